#!/usr/bin/env bash
# End to end, as a person would, at a person's pace (every wait past the program's timers):
# both clips of a new playlist are marked; in the clip manager a.wav alone goes to the Trash and
# the Undo button brings it back while the window stays open; then both go to the Trash, the
# window closes itself, and Ctrl+Z in the main window brings both back from the Trash with their
# records gone.
#   undo_e2e.sh <built vantoro executable>
# Runs on a display of its own with a window manager (tests/tools/with-display --wm).
set -euo pipefail
source "$(dirname "$0")/../tools/e2e-lib.sh"
e2e_begin "$1"
work=$e2e_work
write_wav "$work/a.wav"
write_wav "$work/b.wav"

# A picture of the lowest 24 pixels of a window, saved under a name; answers its file.
foot_of() {
  local file="$work/foot-$2.png" WIDTH HEIGHT X Y SCREEN WINDOW
  eval "$(xdotool getwindowgeometry --shell "$1")"
  import -window "$1" -crop "${WIDTH}x24+0+$((HEIGHT - 24))" +repage "$file" 2>/dev/null
  echo "$file"
}

# Answers Yes to the engine's Trash question as a person does, after reading it: the progress
# window never comes up over an open question.
answer_trash_question() {
  sleep 1.5
  xdotool windowfocus "$win"
  xdotool key Return
}

e2e_start
e2e_play_new b.wav a.wav
# Marks both clips, each while it plays.
e2e_mark_while_playing '(1/2) a.wav'
sleep 0.5
e2e_mark_while_playing '(2/2) b.wav'

# With a clip marked there is no "Save Playlist?": the clip manager opens.
e2e_open_clip_manager
[[ -n "${E2E_SHOT:-}" ]] && import -window "$manager" "$E2E_SHOT"
# a.wav alone to the Trash: b.wav stays on the left, so the window stays open.
click_at "$manager" 223 112 # a.wav, the first entry of the left list
sleep 0.3
click_at "$manager" 501 191 # ">"
sleep 0.3
xdotool windowfocus "$manager"
xdotool key Return # Go, with the first action, Delete, chosen
wait_for_window '^Move to Trash$' 10 || fail "the Trash question did not appear"
answer_trash_question
for ((i = 0; i < 50; i++)); do
  [[ -f "$work/home/.local/share/Trash/files/a.wav" ]] && break
  sleep 0.1
done
[[ -f "$work/home/.local/share/Trash/files/a.wav" ]] || fail "a.wav is not in the Trash"
xdotool search --onlyvisible --name '^Vantoro - Media File Manager$' >/dev/null 2>&1 ||
  fail "the clip manager closed with b.wav left to act on"

# The Undo button, above the action text, at a person's pace.
sleep 1.5
click_at "$manager" 89 550
for ((i = 0; i < 50; i++)); do
  [[ -f "$work/a.wav" ]] && break
  sleep 0.1
done
[[ -f "$work/a.wav" ]] || fail "the Undo button did not bring a.wav back"
[[ ! -e "$work/home/.local/share/Trash/files/a.wav" ]] || fail "a.wav is still in the Trash"

# Both clips (a.wav is back in the Action Box) to the Trash: the window closes itself.
sleep 1.5
click_at "$manager" 500 256 # ">>"
sleep 0.3
xdotool windowfocus "$manager"
xdotool key Return # Go
wait_for_window '^Move to Trash$' 10 || fail "the second Trash question did not appear"
answer_trash_question
wait_for_window '^Vantoro 5\.0' 10 || fail "the main window did not come back"
wait_gone '^Vantoro - Media File Manager$' 5 ||
  fail "the clip manager stayed open with nothing left to act on"
[[ -f "$work/home/.local/share/Trash/files/a.wav" && -f "$work/home/.local/share/Trash/files/b.wav" ]] ||
  fail "a.wav and b.wav are not both in the Trash"

# The clip manager closed itself: the main window's Ctrl+Z undoes its action.
sleep 1.5
wait_for_window '^Vantoro 5\.0' 10 || fail "the main window is not there"
main=$win
xdotool windowactivate --sync "$main" 2>/dev/null || xdotool windowfocus "$main"
sleep 0.5
foot_before=$(foot_of "$main" before)
xdotool key --clearmodifiers ctrl+z
for ((i = 0; i < 100; i++)); do
  [[ -f "$work/a.wav" && -f "$work/b.wav" ]] && break
  sleep 0.1
done
[[ -f "$work/a.wav" && -f "$work/b.wav" ]] || fail "Ctrl+Z in the main window did not bring both clips back"
# What it undid is said in a line at the foot of the main window.
sleep 0.5
[[ -n "${E2E_SHOTS:-}" ]] && import -window "$main" "$E2E_SHOTS/main-undo-note.png"
changed=$(compare -metric AE "$foot_before" "$(foot_of "$main" after)" null: 2>&1 || true)
((${changed%% *} > 200)) || fail "Ctrl+Z said nothing at the foot of the main window ($changed pixels changed)"
[[ -z "$(ls -A "$work/home/.local/share/Trash/files")" ]] || fail "the Trash is not empty"
[[ -z "$(ls -A "$work/home/.local/share/Trash/info")" ]] || fail "Trash records are left"
if command -v trash-list >/dev/null; then
  listing=$(XDG_DATA_HOME="$work/home/.local/share" trash-list 2>/dev/null || true)
  [[ "$listing" != *.wav* ]] || fail "trash-list still shows a clip: $listing"
fi
# Nothing left to undo: a second Ctrl+Z asks nothing and changes nothing.
sleep 1.5
xdotool key --clearmodifiers ctrl+z
sleep 1.5
box=$(xdotool search --onlyvisible --name '^(Confirm|Information|Vantoro)$' 2>/dev/null | head -n1 || true)
[[ -z "$box" ]] || fail "a second Ctrl+Z showed a box: $(xdotool getwindowname "$box")"
[[ -f "$work/a.wav" && -f "$work/b.wav" ]] || fail "a clip went missing"

e2e_quit || true
echo "1 passed, 0 failed"
