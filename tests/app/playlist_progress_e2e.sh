#!/usr/bin/env bash
# End to end, at a person's pace: `vantoro long.m3u` reads a long playlist, some of whose clips
# are missing. The read's progress window shows while it runs and must be gone, for good, by the
# time the "could not be found" box asks to be read, and while the player plays.
#   playlist_progress_e2e.sh <built vantoro executable>
# Runs on a display of its own with a window manager (tests/tools/with-display --wm).
set -euo pipefail
source "$(dirname "$0")/../tools/e2e-lib.sh"
e2e_begin "$1" bin/vantoro
work=$e2e_work
mkdir -p "$work/music/gone"
write_wav "$work/music/clip.wav" 240000 # 30 s: still playing while the windows are looked at

# The ids of the visible top-level windows whose title is exactly the program's name: the
# progress window (the player's and the boxes' titles differ).
progress_windows() { xdotool search --onlyvisible --name '^Vantoro$' 2>/dev/null || true; }

# The playlist grows until its read lasts long enough for the progress window to show.
entries=200000
seen=""
for attempt in 1 2 3 4; do
  {
    echo "#EXTM3U"
    echo "$work/music/clip.wav"
    awk -v n="$entries" -v d="$work/music" 'BEGIN { for (i = 0; i < n; i++) print d "/clip.wav"; print d "/gone/a.wav"; print d "/gone/b.wav" }'
  } > "$work/music/long.m3u"
  "${e2e_env[@]}" "$e2e_exe" "$work/music/long.m3u" &
  e2e_pid=$!
  box=""
  for ((i = 0; i < 1200; i++)); do # at most 60 s
    ids=$(progress_windows)
    [[ -n "$ids" ]] && seen="$seen $ids"
    box=$(xdotool search --onlyvisible --name '^Error$' 2>/dev/null | head -n1 || true)
    [[ -n "$box" ]] && break
    sleep 0.05
  done
  [[ -n "$box" ]] || fail "the missing-clips box did not show"
  [[ -n "$seen" ]] && break
  # Too quick for a progress window on this machine: a longer playlist.
  kill -KILL "$e2e_pid"; wait "$e2e_pid" 2>/dev/null || true; e2e_pid=""
  entries=$((entries * 2))
done
[[ -n "$seen" ]] || fail "no progress window showed even for $entries entries"
echo "progress window seen for $entries entries:$seen"

# A person reads the box before answering it.
sleep 1.5
left=$(progress_windows)
[[ -z "$left" ]] || fail "a progress window is still on screen under the box: $left"
xdotool windowfocus "$box"
xdotool key Return

# The player opens; the progress window does not come back behind it.
player=""
for ((i = 0; i < 600; i++)); do
  info=$(xdotool search --onlyvisible --name '^Information$' 2>/dev/null | head -n1 || true)
  if [[ -n "$info" ]]; then xdotool windowfocus "$info"; xdotool key Return; fi
  player=$(xdotool search --onlyvisible --name '^Vantoro - ' 2>/dev/null | head -n1 || true)
  [[ -n "$player" ]] && break
  sleep 0.1
done
[[ -n "$player" ]] || fail "the player did not open"
sleep 1.5
left=$(progress_windows)
[[ -z "$left" ]] || fail "a progress window is still on screen behind the player: $left"
for id in $seen; do
  state=$(xwininfo -id "$id" 2>/dev/null | sed -n 's/^ *Map State: *//p' || true)
  [[ -z "$state" || "$state" != "IsViewable" ]] || fail "progress window $id is still mapped"
done
kill -TERM "$e2e_pid"
wait "$e2e_pid" 2>/dev/null || true
e2e_pid=""
echo "1 passed, 0 failed"
