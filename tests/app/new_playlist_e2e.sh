#!/usr/bin/env bash
# End to end, as a person would: start the built program on a virtual display, press New, type
# two clip names into the file dialog, press Go, and watch the player's caption name the first
# clip. Then close the player, decline saving, and close the program.
#   new_playlist_e2e.sh <built vantoro executable>
# Runs on a display of its own (tests/tools/with-display, see e2e.cmake).
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

# A silent one-second 8 kHz mono WAV.
write_wav() {
  local bytes=8000
  {
    printf 'RIFF'; printf "\\x$(printf %02x $(( (36 + bytes) & 255 )))\\x$(printf %02x $(( ((36 + bytes) >> 8) & 255 )))\\x00\\x00"
    printf 'WAVEfmt '; printf '\x10\x00\x00\x00\x01\x00\x01\x00\x40\x1f\x00\x00\x40\x1f\x00\x00\x01\x00\x08\x00'
    printf 'data'; printf "\\x$(printf %02x $(( bytes & 255 )))\\x$(printf %02x $(( (bytes >> 8) & 255 )))\\x00\\x00"
    head -c "$bytes" /dev/zero | tr '\0' '\200'
  } > "$1"
}

cp "$exe" "$work/vantoro"
[[ -f "$(dirname "$exe")/vthelp.html" ]] && cp "$(dirname "$exe")/vthelp.html" "$work/"
write_wav "$work/b.wav"
write_wav "$work/a.wav"
mkdir -p "$work/home" "$work/run"; chmod 700 "$work/run"

wait_for_window() { # name-regex, seconds
  local i
  for ((i = 0; i < $2 * 10; i++)); do
    win=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n1 || true)
    [[ -n "$win" ]] && return 0
    sleep 0.1
  done
  return 1
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
dialog=$win
sleep 0.5
xdotool windowfocus "$dialog"
xdotool type --delay 20 '"b.wav" "a.wav"'
xdotool key Return

wait_for_window '^Vantoro - Player' 20 || fail "the player window did not appear"
player=$win
sleep 0.5
xdotool windowfocus "$player"
xdotool key Return # Go is the default button

found=""
for ((i = 0; i < 200; i++)); do
  # This machine may have no sound card: acknowledge the warning and playback goes on.
  box=$(xdotool search --onlyvisible --name '^Information$' 2>/dev/null | head -n1 || true)
  if [[ -n "$box" ]]; then
    echo "acknowledged: $(xdotool getwindowname "$box")"
    xdotool windowfocus "$box"; xdotool key Return; sleep 0.3
  fi
  title=$(xdotool getwindowname "$player" 2>/dev/null || true)
  if [[ "$title" == "Vantoro - (1/2) a.wav"* ]]; then found=1; break; fi
  sleep 0.1
done
[[ -n "$found" ]] || fail "caption never became 'Vantoro - (1/2) a.wav' (last: '$title')"
echo "saw caption: $title"
[[ -n "${E2E_SHOT:-}" ]] && import -window "$player" "$E2E_SHOT"

# Escape only stops playback; the close glyph sits at the lower right corner of the player.
xdotool key Escape
eval "$(xdotool getwindowgeometry --shell "$player")"
xdotool mousemove --window "$player" $((WIDTH - 18)) $((HEIGHT - 23)) click 1
if wait_for_window '^Confirm' 10; then
  xdotool windowfocus "$win"
  xdotool key n
fi
wait_for_window '^Vantoro 5\.0' 10 || fail "the main window did not come back"
kill -TERM "$pid"
wait "$pid"
pid=""
grep -q "Clips=$work" "$work/Vantoro.INI" || fail "settings do not hold the clip folder"
echo "1 passed, 0 failed"
