#!/usr/bin/env bash
# End to end on a Wayland compositor (run by tests/tools/with-display --wayland with Weston's
# --debug, see wayland.cmake): the built program shows its main window natively; a second copy,
# started with an activation token as a launcher gives one, hands a playlist over and ends; the
# first copy plays it at once: a video and then a picture. Every step is checked on Weston's own
# screenshots, so what is seen is what reached the screen. Says whether the compositor offered
# xdg-activation for the token.
#   wayland_e2e.sh <built vantoro executable>
set -euo pipefail
exe="$1"
[[ -n "${WAYLAND_DISPLAY:-}" ]] || { echo "wayland_e2e: not on a Wayland compositor" >&2; exit 1; }
work=$(mktemp -d /tmp/vantoro-wayland-e2e-XXXXXX)
pid=""
cleanup() {
  [[ -n "$pid" ]] && kill -KILL "$pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

fail() {
  echo "FAIL: $*" >&2
  [[ -f "$work/first.err" ]] && sed 's/^/  vantoro: /' "$work/first.err" >&2
  last=$(ls -t "$work"/shots/*.png 2>/dev/null | head -n1 || true)
  [[ -n "$last" ]] && cp "$last" /tmp/vantoro-wayland-e2e-last.png &&
    echo "  last screenshot: /tmp/vantoro-wayland-e2e-last.png" >&2
  exit 1
}

mkdir -p "$work/bin" "$work/home" "$work/run" "$work/shots" "$work/My Clips"
chmod 700 "$work/run"
cp "$exe" "$work/bin/vantoro"
# The headless compositor has no seat, so no key can answer the "no sound card" notice of a
# machine without one: the private runtime folder gets a sound server's socket that nobody
# answers (the player looks for one), and the private home an ALSA default device that discards
# the sound, where mpv's audio goes once the server refuses it.
mkdir -p "$work/run/pulse"
python3 -c 'import socket, sys; socket.socket(socket.AF_UNIX).bind(sys.argv[1])' "$work/run/pulse/native"
printf 'pcm.!default { type null }\n' > "$work/home/.asoundrc"

# A 6 s video in one colour (YUV4MPEG2, which mpv reads without any codec) and a picture in another.
python3 - "$work/My Clips/red video.y4m" <<'PY'
import sys
w, h, frames = 160, 120, 150
y, u, v = 87, 96, 223  # rgb(220, 30, 30)
with open(sys.argv[1], "wb") as f:
    f.write(b"YUV4MPEG2 W%d H%d F25:1 Ip A1:1 C420jpeg\n" % (w, h))
    frame = b"FRAME\n" + bytes([y]) * (w * h) + bytes([u]) * (w * h // 4) + bytes([v]) * (w * h // 4)
    for _ in range(frames):
        f.write(frame)
PY
convert -size 160x120 'xc:rgb(30,200,40)' "$work/My Clips/green picture.png"
printf '<ASX VERSION="3.0">\r\n<Title>wayland</Title>\r\n <ENTRY><REF HREF="%s" /></ENTRY>\r\n <ENTRY><REF HREF="%s" /></ENTRY>\r\n</ASX>\r\n' \
  "$work/My Clips/red video.y4m" "$work/My Clips/green picture.png" > "$work/My Clips/show.asx"

# The program itself turns input methods off on a compositor without a seat: the wrapper's
# QT_IM_MODULE, which does that for the in-process tests, is removed.
run_env=(env -u QT_IM_MODULE HOME="$work/home" XDG_RUNTIME_DIR="$work/run" XDG_CONFIG_HOME="$work/home/.config"
         XDG_DATA_HOME="$work/home/.local/share" QT_QPA_PLATFORM=wayland)

# Pixels of the colour $2 (within a tolerance) in the screenshot $1.
pixels_of() {
  convert "$1" -fuzz 12% -fill black +opaque "$2" -fill white -opaque "$2" \
    -format '%[fx:int(mean*w*h+0.5)]' info:
}

# Takes screenshots until one shows at least $2 pixels of the colour $1, for at most $3 seconds.
wait_for_colour() {
  local i shot count=0
  for ((i = 0; i < $3 * 2; i++)); do
    rm -f "$work"/shots/*.png
    (cd "$work/shots" && weston-screenshooter >/dev/null 2>&1) || true
    shot=$(ls -t "$work"/shots/*.png 2>/dev/null | head -n1 || true)
    if [[ -n "$shot" ]]; then
      count=$(pixels_of "$shot" "$1")
      ((count >= $2)) && { echo "  $1: $count pixels on screen"; return 0; }
    fi
    sleep 0.5
  done
  return 1
}

"${run_env[@]}" "$work/bin/vantoro" >"$work/first.out" 2>"$work/first.err" &
pid=$!
# The playlist box of the main window is pure blue.
wait_for_colour 'rgb(0,0,255)' 20000 30 || fail "the main window never reached the screen"
echo "main window on screen"

start=$(date +%s)
XDG_ACTIVATION_TOKEN="wayland-e2e-token" "${run_env[@]}" "$work/bin/vantoro" \
  "$work/My Clips/show.asx" || fail "the second copy failed"
(( $(date +%s) - start < 10 )) || fail "the second copy took too long to end"
kill -0 "$pid" || fail "the first copy ended"

wait_for_colour 'rgb(220,30,30)' 4000 30 || fail "no video frame reached the screen"
echo "video frames on screen"
wait_for_colour 'rgb(30,200,40)' 4000 30 || fail "the picture never reached the screen"
echo "picture on screen"

if weston-info 2>/dev/null | grep -q "'xdg_activation_v1'"; then
  echo "activation: the compositor offers xdg-activation; the second copy's token went with its request"
else
  echo "activation: the compositor offers no xdg-activation; the first copy raised itself as far as a Wayland client can"
fi

kill -TERM "$pid"
for ((i = 0; i < 100; i++)); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
kill -0 "$pid" 2>/dev/null && fail "the first copy did not end on SIGTERM"
pid=""
if grep -E "Segmentation|Could not|failed to (create|map)" "$work/first.err"; then
  fail "the program reported a window-system failure"
fi
echo "1 passed, 0 failed"
