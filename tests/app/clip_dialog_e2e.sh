#!/usr/bin/env bash
# End to end, as a person would: New opens the clip dialog "Select clip(s)" in a folder holding
# subfolders and clips; a click on a clip, Ctrl+A and a click on Open take the clips (the player
# opens for them) instead of going into the first subfolder.
#   clip_dialog_e2e.sh <built vantoro executable>
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
mkdir -p "$work/Alpha" "$work/Beta"
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
dialog=$win
sleep 1.5 # the folder is listed in the background
click_at "$dialog" 142 412 # a.wav, the first clip below the four folders
sleep 0.3
xdotool key ctrl+a
sleep 0.5
click_at "$dialog" 950 720 # Open

wait_for_window '^Vantoro - Player' 10 ||
  fail "Open on the selected files and folders did not take the files"
xdotool search --onlyvisible --name '^Select clip' >/dev/null 2>&1 && fail "the clip dialog stayed open"
kill -TERM "$pid"
wait "$pid" || true
pid=""
echo "1 passed, 0 failed"
