#!/usr/bin/env bash
# End to end, as a person would: make a new playlist of two clips, mark the first while it plays,
# close the player, and in the clip manager copy the clip to another folder, making that folder
# with the folder dialog's "New folder": an empty answer first (nothing happens, no message), then
# a name with an empty part (refused, asked again), then "Clips/2024/June" (nested folders made
# inside the selected folder, which the dialog then selects). Every question is read for 1.5 s.
#   new_folder_e2e.sh <built vantoro executable>
# Runs on a display of its own with a window manager (tests/tools/with-display --wm).
set -euo pipefail
exe="$1"
work=$(mktemp -d /tmp/vantoro-e2e-XXXXXX)
pid=""
cleanup() {
  [[ -n "$pid" ]] && kill -KILL "$pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

fail() { echo "FAIL: $*" >&2; xdotool search --name '.' getwindowname %@ 2>/dev/null | sed 's/^/  window: /' >&2 || true; exit 1; }

# A silent three-second 8 kHz mono WAV.
write_wav() {
  local bytes=24000
  {
    printf 'RIFF'; printf "\\x$(printf %02x $(( (36 + bytes) & 255 )))\\x$(printf %02x $(( ((36 + bytes) >> 8) & 255 )))\\x00\\x00"
    printf 'WAVEfmt '; printf '\x10\x00\x00\x00\x01\x00\x01\x00\x40\x1f\x00\x00\x40\x1f\x00\x00\x01\x00\x08\x00'
    printf 'data'; printf "\\x$(printf %02x $(( bytes & 255 )))\\x$(printf %02x $(( (bytes >> 8) & 255 )))\\x00\\x00"
    head -c "$bytes" /dev/zero | tr '\0' '\200'
  } > "$1"
}

cp "$exe" "$work/vantoro"
mkdir -p "$work/home" "$work/run"; chmod 700 "$work/run"
write_wav "$work/a.wav"
write_wav "$work/b.wav"

wait_for_window() { # name-regex, seconds
  local i
  for ((i = 0; i < $2 * 10; i++)); do
    win=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n1 || true)
    [[ -n "$win" ]] && return 0
    sleep 0.1
  done
  return 1
}
# Clicks at a point given in thousandths of the window's width and height.
click_at() { # window, x/1000, y/1000
  eval "$(xdotool getwindowgeometry --shell "$1")"
  xdotool mousemove --window "$1" $((WIDTH * $2 / 1000)) $((HEIGHT * $3 / 1000)) click 1
}

cd "$work"
HOME="$work/home" XDG_RUNTIME_DIR="$work/run" XDG_CONFIG_HOME="$work/home/.config" \
  XDG_DATA_HOME="$work/home/.local/share" QT_QPA_PLATFORM=xcb ./vantoro &
pid=$!

wait_for_window '^Vantoro 5\.0' 20 || fail "the main window did not appear"
main=$win
sleep 0.5
xdotool windowfocus --sync "$main" 2>/dev/null || xdotool windowfocus "$main"
xdotool key --window "$main" alt+n

wait_for_window '^Select clip' 20 || fail "the clip dialog did not appear"
xdotool windowfocus "$win"
sleep 0.5
xdotool type --delay 20 '"b.wav" "a.wav"'
xdotool key Return

wait_for_window '^Vantoro - Player' 20 || fail "the player window did not appear"
player=$win
sleep 0.5
xdotool windowfocus "$player"
xdotool key Return # Go is the default button

marked=""
for ((i = 0; i < 200; i++)); do
  # This machine may have no sound card: acknowledge the warning and playback goes on.
  box=$(xdotool search --onlyvisible --name '^Information$' 2>/dev/null | head -n1 || true)
  if [[ -n "$box" ]]; then
    xdotool windowfocus "$box"; xdotool key Return; sleep 0.3
  fi
  title=$(xdotool getwindowname "$player" 2>/dev/null || true)
  if [[ "$title" == "Vantoro - (1/2) a.wav"* ]]; then
    sleep 0.3
    xdotool windowfocus "$player"
    xdotool key Return # Mark, the default button while a new playlist plays
    marked=1
    break
  fi
  sleep 0.1
done
[[ -n "$marked" ]] || fail "caption never became 'Vantoro - (1/2) a.wav' (last: '$title')"

xdotool key Escape
eval "$(xdotool getwindowgeometry --shell "$player")"
xdotool mousemove --window "$player" $((WIDTH - 18)) $((HEIGHT - 23)) click 1

# With a clip marked there is no "Save Playlist?": the clip manager opens.
wait_for_window '^Vantoro - Media File Manager$' 15 || fail "the clip manager did not appear"
manager=$win
sleep 0.5
click_at "$manager" 500 256 # ">>", between the two lists
sleep 0.3
click_at "$manager" 681 676 # "Copy to another folder"
sleep 0.3
xdotool windowfocus "$manager"
xdotool key Return # Go

wait_for_window '^Browse for Folder$' 10 || fail "the folder dialog did not appear"
browse=$win
sleep 1.5
# New folder, answered with nothing: no message, the folder dialog stays as it was.
click_at "$browse" 126 948
wait_for_window '^New folder$' 10 || fail "the new-folder question did not appear"
xdotool windowfocus "$win"
sleep 1.5
xdotool key Return
sleep 1.5
xdotool search --onlyvisible --name '^Error$' >/dev/null 2>&1 && fail "an empty answer got a message"
xdotool search --onlyvisible --name '^New folder$' >/dev/null 2>&1 && fail "the question stayed open"
xdotool search --onlyvisible --name '^Browse for Folder$' >/dev/null 2>&1 ||
  fail "the folder dialog went away on an empty answer"
[[ -z "$(ls -A "$work" | grep -v -e '^home$' -e '^run$' -e '\.wav$' -e '^vantoro$' -e '^playlist\.tmp$' -e '\.INI$' || true)" ]] ||
  fail "an empty answer made something: $(ls -A "$work")"

# An empty part is refused and asked again; nested folders are made inside the selected one.
click_at "$browse" 126 948
wait_for_window '^New folder$' 10 || fail "the new-folder question did not appear again"
xdotool windowfocus "$win"
sleep 1.5
xdotool type --delay 20 'Clips//2024'
xdotool key Return
wait_for_window '^Error$' 10 || fail "a name with an empty part was not refused"
xdotool windowfocus "$win"
sleep 1.5
xdotool key Return
wait_for_window '^New folder$' 10 || fail "the question was not asked again"
xdotool windowfocus "$win"
sleep 1.5
xdotool type --delay 20 'Clips/2024/June'
xdotool key Return

# The folder dialog reopens on the new folder: OK, then OK to the copy's question.
for ((i = 0; i < 100; i++)); do
  [[ -d "$work/Clips/2024/June" ]] && break
  sleep 0.1
done
[[ -d "$work/Clips/2024/June" ]] || fail "the nested folders were not made"
wait_for_window '^Browse for Folder$' 10 || fail "the folder dialog did not reopen"
xdotool windowfocus "$win"
sleep 1.5
xdotool key Return # OK
wait_for_window '^Confirm$' 10 || fail "the copy's question did not appear"
xdotool windowfocus "$win"
sleep 1.5
xdotool key Return # OK

for ((i = 0; i < 100; i++)); do
  [[ -f "$work/Clips/2024/June/a.wav" ]] && break
  sleep 0.1
done
[[ -f "$work/Clips/2024/June/a.wav" ]] || fail "a.wav was not copied into the new folder"
[[ -f "$work/a.wav" ]] || fail "a.wav left its folder on a copy"
kill -TERM "$pid"
wait "$pid" || true
pid=""
echo "1 passed, 0 failed"
