#!/usr/bin/env bash
# End to end, as a person edits a playlist at their own pace with the keyboard: open an M3U
# playlist one of whose clips is on a drive that is not there, read the warning (titled
# Warning, over the editor whose list shows the missing clip), delete the framed clip, hold
# Move Down, and press OK, which asks before replacing the ASX playlist of the same name (first
# Cancel, then OK) and whether to keep the missing clip (first Escape: Cancel, nothing written
# and the editor stays; then Yes). Every question is answered only after 1.5 s. The saved
# playlist must hold the edits and the missing clip in its place, after the clip it followed.
#   editor_e2e.sh <built vantoro executable>
# Runs on a display of its own with a window manager (tests/tools/with-display --wm, see
# editor.cmake). E2E_SHOT=file.png keeps a picture of the editor.
set -euo pipefail
source "$(dirname "$0")/../tools/e2e-lib.sh"
e2e_begin "$1"
work=$e2e_work

# Waits for a box, reads it as a person would (1.5 s) and answers with a key.
answer() { # name-regex, what it is, key
  wait_for_window "$1" 10 || fail "$2 did not appear"
  sleep 1.5
  xdotool windowfocus "$win"
  xdotool key "$3"
  sleep 0.5
}
# The entries of a playlist file, in order.
hrefs() { grep -o 'HREF="[^"]*"' "$1" | sed 's/^HREF="//; s/"$//'; }

mkdir -p "$work/clips"
{
  printf '#EXTM3U\r\n'
  for i in $(seq -w 1 20); do
    : > "$work/clips/w$i.wav"
    printf '%s\r\n' "$work/clips/w$i.wav"
    [[ $i == 03 ]] && printf '%s\r\n' "$work/unplugged/gone.wav"
  done
} > "$work/mix.m3u"
cp "$work/mix.m3u" "$work/mix.m3u.before"
printf '<ASX VERSION="3.0">\r\n <ENTRY><REF HREF="%s" /></ENTRY>\r\n</ASX>\r\n' \
  "$work/clips/w20.wav" > "$work/mix.asx"
cp "$work/mix.asx" "$work/mix.asx.before"

e2e_start
key "$main" alt+e

wait_for_window '^Select Playlist to Modify' 20 || fail "the playlist dialog did not appear"
xdotool windowfocus "$win"
sleep 0.5
xdotool type --delay 20 "$work/mix.m3u"
xdotool key Return

# The editor shows at once; the clip that could not be found is announced as a warning over
# it, not dropped silently.
wait_for_window '^Vantoro - Edit Playlist \[' 20 || fail "the editor did not appear"
editor=$win
answer '^Warning$' "the warning about the missing clip" Return
xdotool search --onlyvisible --name '^Error$' >/dev/null 2>&1 && fail "an Error box came up"
sleep 1.5
[[ -n "${E2E_SHOT:-}" ]] && import -window "$editor" "$E2E_SHOT"
xdotool windowfocus "$editor"
# The list has the focus and frames its first row: that row is the selected one, so Delete
# asks about it (and does not answer "You must first select").
xdotool key Tab Tab space # Add clip(s), Delete clip
wait_for_window '^Confirm clip deletion from playlist$|^Vantoro$' 10 ||
  fail "Delete showed nothing"
[[ "$(xdotool getwindowname "$win")" == Vantoro ]] &&
  fail "Delete answered that no clip is selected, with a row framed"
answer '^Confirm clip deletion from playlist$' "the deletion question" Return

# Back to the list, where nothing is selected after a delete: Down selects the first row
# (w02); then hold Move Down.
xdotool windowfocus "$editor"
xdotool key shift+Tab shift+Tab
sleep 0.5
xdotool key Down
sleep 0.3
xdotool key Tab Tab Tab Tab # Add, Delete, Move Up, Move Down
sleep 0.3
xdotool keydown space
sleep 1.5
xdotool keyup space
sleep 0.5

# OK replaces mix.asx, another playlist: first Cancel (nothing written, the editor stays)...
xdotool key Tab Tab space # Sort, OK
answer '^Confirm$' "the overwrite question" Escape
cmp -s "$work/mix.asx" "$work/mix.asx.before" || fail "Cancel still wrote mix.asx"
xdotool search --onlyvisible --name '^Vantoro - Edit Playlist \[' >/dev/null 2>&1 ||
  fail "the editor closed on Cancel"
# ...then OK, and Escape on the question about the missing clip: Cancel, which writes nothing
# and keeps the editor open with its edits...
xdotool windowfocus "$editor"
xdotool key space
answer '^Confirm$' "the overwrite question" Return
answer '^Confirm$' "the question about the missing clip" Escape
wait_gone '^Confirm$' 5 || fail "Escape left the question open"
cmp -s "$work/mix.asx" "$work/mix.asx.before" || fail "Cancel on keeping the missing clip wrote mix.asx"
xdotool search --onlyvisible --name '^Information$' >/dev/null 2>&1 && fail "Cancel said the playlist was saved"
xdotool search --onlyvisible --name '^Vantoro - Edit Playlist \[' >/dev/null 2>&1 ||
  fail "the editor closed on Cancel"
# ...then OK once more, and Yes (the default) to keeping it.
xdotool windowfocus "$editor"
xdotool key space
answer '^Confirm$' "the overwrite question" Return
answer '^Confirm$' "the question about the missing clip" Return
answer '^Information$' "the saved message" Return

wait_gone '^Vantoro - Edit Playlist' 5 || true
e2e_quit || true

cmp -s "$work/mix.m3u" "$work/mix.m3u.before" || fail "the M3U playlist was changed"
mapfile -t saved < <(hrefs "$work/mix.asx")
echo "saved: ${saved[*]##*/}"
[[ ${#saved[@]} -eq 20 ]] || fail "mix.asx holds ${#saved[@]} entries, not 19 clips and the missing one"
# The missing clip followed w03 in the file; w01 was deleted and w02 moved down past both.
[[ "${saved[0]}" == */w03.wav && "${saved[1]}" == "$work/unplugged/gone.wav" ]] ||
  fail "the missing clip is not kept after w03, where it stood"
printf '%s\n' "${saved[@]}" | grep -q '/w01\.wav$' && fail "the deleted clip w01 is still there"
# Held for 1.5 s, Move Down carried w02 more than one place.
for ((at = 0; at < 19; at++)); do [[ "${saved[$at]}" == */w02.wav ]] && break; done
[[ $at -ge 3 ]] || fail "holding Move Down moved w02 only to place $at"
echo "w02 moved to place $at"
echo "1 passed, 0 failed"
