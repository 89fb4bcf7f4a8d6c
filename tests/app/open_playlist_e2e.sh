#!/usr/bin/env bash
# End to end, as a file manager opens a playlist: `vantoro first.asx` starts and plays it at once;
# `vantoro second.m3u` while the first copy plays hands the playlist over and ends; when the user
# closes the player, the running copy plays the second playlist. A wrong argument ends with code 2.
#   open_playlist_e2e.sh <built vantoro executable>
# Runs on a display of its own (tests/tools/with-display, see e2e.cmake).
set -euo pipefail
exe="$1"
work=$(mktemp -d /tmp/vantoro-open-e2e-XXXXXX)
pid=""
cleanup() {
  [[ -n "$pid" ]] && kill -KILL "$pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

fail() { echo "FAIL: $*" >&2; xdotool search --name '.' getwindowname %@ 2>/dev/null | sed 's/^/  window: /' >&2 || true; exit 1; }

# A silent 8 kHz mono WAV of $2 bytes (8000 a second).
write_wav() {
  local bytes=$2
  {
    printf 'RIFF'; printf "\\x$(printf %02x $(( (36 + bytes) & 255 )))\\x$(printf %02x $(( ((36 + bytes) >> 8) & 255 )))\\x$(printf %02x $(( ((36 + bytes) >> 16) & 255 )))\\x00"
    printf 'WAVEfmt '; printf '\x10\x00\x00\x00\x01\x00\x01\x00\x40\x1f\x00\x00\x40\x1f\x00\x00\x01\x00\x08\x00'
    printf 'data'; printf "\\x$(printf %02x $(( bytes & 255 )))\\x$(printf %02x $(( (bytes >> 8) & 255 )))\\x$(printf %02x $(( (bytes >> 16) & 255 )))\\x00"
    head -c "$bytes" /dev/zero | tr '\0' '\200'
  } > "$1"
}

mkdir -p "$work/bin" "$work/home" "$work/run" "$work/My Music"; chmod 700 "$work/run"
cp "$exe" "$work/bin/vantoro"
write_wav "$work/My Music/first.wav" 240000   # 30 s: still playing when the second arrives
write_wav "$work/My Music/second.wav" 240000
printf '#EXTM3U\n%s\n' "$work/My Music/second.wav" > "$work/My Music/second.m3u"
printf '<ASX VERSION="3.0">\r\n<Title>first</Title>\r\n <ENTRY><REF HREF="%s" /></ENTRY>\r\n</ASX>\r\n' \
  "$work/My Music/first.wav" > "$work/My Music/first.asx"

run_env=(env HOME="$work/home" XDG_RUNTIME_DIR="$work/run" XDG_CONFIG_HOME="$work/home/.config"
         XDG_DATA_HOME="$work/home/.local/share" QT_QPA_PLATFORM=xcb)

wait_for_window() { # name-regex, seconds
  local i
  for ((i = 0; i < $2 * 10; i++)); do
    win=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n1 || true)
    [[ -n "$win" ]] && return 0
    sleep 0.1
  done
  return 1
}

wait_for_caption() { # window, caption prefix, seconds
  local i title=""
  for ((i = 0; i < $3 * 10; i++)); do
    # This machine may have no sound card: acknowledge the warning and playback goes on.
    box=$(xdotool search --onlyvisible --name '^Information$' 2>/dev/null | head -n1 || true)
    if [[ -n "$box" ]]; then xdotool windowfocus "$box"; xdotool key Return; sleep 0.3; fi
    title=$(xdotool getwindowname "$1" 2>/dev/null || true)
    [[ "$title" == "$2"* ]] && return 0
    sleep 0.1
  done
  fail "caption never became '$2' (last: '$title')"
}

# A wrong argument: one line on stderr, code 2, nothing shown.
set +e
err=$("${run_env[@]}" "$work/bin/vantoro" "$work/My Music/first.wav" 2>&1 >/dev/null)
rc=$?
set -e
[[ $rc -eq 2 ]] || fail "a clip as argument ended with code $rc, not 2"
[[ "$err" == "vantoro: "*"is not an ASX or M3U playlist"* ]] || fail "unexpected message: $err"

cd "$work/home"
"${run_env[@]}" "$work/bin/vantoro" "../My Music/first.asx" &
pid=$!
wait_for_window '^Vantoro - ' 20 || fail "the player did not open for the playlist"
player=$win
wait_for_caption "$player" "Vantoro - (1/1) first.wav" 20
echo "first copy plays: $(xdotool getwindowname "$player")"

# A second copy hands its playlist over and ends at once.
start=$(date +%s)
"${run_env[@]}" "$work/bin/vantoro" "file://$work/My%20Music/second.m3u" ||
  fail "the second copy failed"
(( $(date +%s) - start < 10 )) || fail "the second copy took too long to end"
kill -0 "$pid" || fail "the first copy ended"

# Close the player: the handed-over playlist plays next, in a new player window.
xdotool key --window "$player" Escape
eval "$(xdotool getwindowgeometry --shell "$player")"
xdotool mousemove --window "$player" $((WIDTH - 18)) $((HEIGHT - 23)) click 1
for ((i = 0; i < 200; i++)); do
  win=$(xdotool search --onlyvisible --name '^Vantoro - \(1/1\) second\.wav' 2>/dev/null | head -n1 || true)
  [[ -n "$win" ]] && break
  box=$(xdotool search --onlyvisible --name '^Information$' 2>/dev/null | head -n1 || true)
  if [[ -n "$box" ]]; then xdotool windowfocus "$box"; xdotool key Return; fi
  sleep 0.1
done
[[ -n "$win" ]] || fail "the handed-over playlist did not play after the player closed"
echo "then plays: $(xdotool getwindowname "$win")"
kill -TERM "$pid"
wait "$pid" || true
pid=""
grep -q "Lists=$work/My Music" "$work/home/.config/Vantoro/Vantoro.INI" 2>/dev/null ||
  grep -q "Lists=$work/My Music" "$work/bin/Vantoro.INI" || fail "Load's folder was not kept"
echo "1 passed, 0 failed"
