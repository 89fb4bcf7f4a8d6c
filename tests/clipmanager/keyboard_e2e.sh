#!/usr/bin/env bash
# End to end with the keyboard alone, at a person's pace: a new playlist of two clips, the first
# marked while it plays; in the player F shows the picture on the whole screen, Escape brings the
# window back and Ctrl+W closes it; in the clip manager that opens Insert moves the clip into the
# Action Box, Tab reaches the Action Box past the four move buttons, Delete moves it back,
# Shift+Tab returns to the left list, Insert again, Return presses Go and the Trash question is
# answered with Return. No mouse click anywhere: the clip must be in the private Trash.
#   keyboard_e2e.sh <built vantoro executable>
# Runs on a display with a window manager (tests/tools/with-display --wm, see actionform.cmake).
set -euo pipefail
source "$(dirname "$0")/../tools/e2e-lib.sh"
e2e_begin "$1"
work=$e2e_work
write_wav "$work/a.wav" 48000
write_wav "$work/b.wav" 48000

e2e_start
e2e_play_new b.wav a.wav
e2e_mark_while_playing "(1/2) a.wav"

# Full screen and back, by keys.
geometry() { xdotool getwindowgeometry "$player" | sed -n 's/.*Geometry: //p'; }
normal=$(geometry)
key "$player" f
sleep 1
full=$(geometry)
[[ "$full" == "$(xdotool getdisplaygeometry | tr ' ' x)" ]] ||
  fail "F did not fill the screen (window $full, before $normal)"
pace
key "$player" Escape
sleep 1
[[ "$(geometry)" == "$normal" ]] || fail "Escape did not leave full screen ($(geometry), was $normal)"

pace
key "$player" ctrl+w
wait_for_window '^Vantoro - Media File Manager$' 15 || fail "Ctrl+W did not close the player"
manager=$win
sleep 0.5

# The left list has the focus: its first clip is under the cursor.
pace
key "$manager" Insert
pace
key "$manager" Tab Tab Tab Tab Tab # >, >>, <, <<, then the Action Box
key "$manager" Delete
pace
key "$manager" shift+Tab shift+Tab shift+Tab shift+Tab shift+Tab
key "$manager" Insert
pace
key "$manager" Return # Go, with the first action, Delete, chosen
wait_for_window '^Move to Trash$' 10 ||
  fail "Go did not ask about the Trash (the Action Box was empty?)"
question=$win
pace
key "$question" Return # Yes

wait_for_window '^Vantoro 5\.0' 10 || fail "the main window did not come back"
e2e_quit || true

[[ -f "$work/home/.local/share/Trash/files/a.wav" ]] || fail "a.wav is not in the Trash"
[[ -f "$work/b.wav" ]] || fail "b.wav, never marked, is gone"
echo "1 passed, 0 failed"
