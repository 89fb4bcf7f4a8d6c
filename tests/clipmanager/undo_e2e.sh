#!/usr/bin/env bash
# End to end, as a person would, at a person's pace (every wait past the program's timers):
# both clips of a new playlist are marked; in the clip manager a.wav alone goes to the Trash and
# the Undo button brings it back while the window stays open; then both go to the Trash, the
# window closes itself, and Ctrl+Z in the main window brings both back from the Trash with their
# records gone.
#   undo_e2e.sh <built vantoro executable>
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
# Answers Yes to the engine's Trash question as a person does, after reading it: the progress
# window never comes up over an open question.
answer_trash_question() {
  sleep 1.5
  xdotool windowfocus "$win"
  xdotool key Return
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

# Marks both clips, each while it plays.
marked=""
for ((i = 0; i < 300; i++)); do
  # This machine may have no sound card: acknowledge the warning and playback goes on.
  box=$(xdotool search --onlyvisible --name '^Information$' 2>/dev/null | head -n1 || true)
  if [[ -n "$box" ]]; then
    xdotool windowfocus "$box"; xdotool key Return; sleep 0.3
  fi
  title=$(xdotool getwindowname "$player" 2>/dev/null || true)
  if [[ -z "$marked" && "$title" == "Vantoro - (1/2) a.wav"* ]] ||
     [[ "$marked" == a && "$title" == "Vantoro - (2/2) b.wav"* ]]; then
    sleep 0.3
    xdotool windowfocus "$player"
    xdotool key Return # Mark, the default button while a new playlist plays
    marked=${marked:+${marked}b}; marked=${marked:-a}
    [[ "$marked" == ab ]] && break
    sleep 0.5
  fi
  sleep 0.1
done
[[ "$marked" == ab ]] || fail "did not mark both clips (last caption: '$title')"

xdotool key Escape
eval "$(xdotool getwindowgeometry --shell "$player")"
xdotool mousemove --window "$player" $((WIDTH - 18)) $((HEIGHT - 23)) click 1

# With a clip marked there is no "Save Playlist?": the clip manager opens.
wait_for_window '^Vantoro - Media File Manager$' 15 || fail "the clip manager did not appear"
manager=$win
sleep 0.5
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
for ((i = 0; i < 50; i++)); do
  xdotool search --onlyvisible --name '^Vantoro - Media File Manager$' >/dev/null 2>&1 || break
  sleep 0.1
done
xdotool search --onlyvisible --name '^Vantoro - Media File Manager$' >/dev/null 2>&1 &&
  fail "the clip manager stayed open with nothing left to act on"
[[ -f "$work/home/.local/share/Trash/files/a.wav" && -f "$work/home/.local/share/Trash/files/b.wav" ]] ||
  fail "a.wav and b.wav are not both in the Trash"

# The clip manager closed itself: the main window's Ctrl+Z undoes its action.
sleep 1.5
wait_for_window '^Vantoro 5\.0' 10 || fail "the main window is not there"
main=$win
xdotool windowactivate --sync "$main" 2>/dev/null || xdotool windowfocus "$main"
sleep 0.5
xdotool key --clearmodifiers ctrl+z
for ((i = 0; i < 100; i++)); do
  [[ -f "$work/a.wav" && -f "$work/b.wav" ]] && break
  sleep 0.1
done
[[ -f "$work/a.wav" && -f "$work/b.wav" ]] || fail "Ctrl+Z in the main window did not bring both clips back"
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

kill -TERM "$pid"
wait "$pid" || true
pid=""
echo "1 passed, 0 failed"
