#!/usr/bin/env bash
# End to end, as a person would: New opens the clip dialog "Select clip(s)" in a folder holding
# subfolders and clips; a click on a clip, Ctrl+A and a click on Open take the clips (the player
# opens for them) instead of going into the first subfolder.
#   clip_dialog_e2e.sh <built vantoro executable>
# Runs on a display of its own with a window manager (tests/tools/with-display --wm).
set -euo pipefail
source "$(dirname "$0")/../tools/e2e-lib.sh"
e2e_begin "$1"
work=$e2e_work
mkdir -p "$work/Alpha" "$work/Beta"
write_wav "$work/a.wav"
write_wav "$work/b.wav"

e2e_start
key "$main" alt+n

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
e2e_quit || true
echo "1 passed, 0 failed"
