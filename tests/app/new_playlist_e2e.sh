#!/usr/bin/env bash
# End to end, as a person would: start the built program on a virtual display, press New, type
# two clip names into the file dialog, press Go, and watch the player's caption name the first
# clip. Then close the player, decline saving, and close the program.
#   new_playlist_e2e.sh <built vantoro executable>
# Runs on a display of its own (tests/tools/with-display, see e2e.cmake).
set -euo pipefail
source "$(dirname "$0")/../tools/e2e-lib.sh"
e2e_begin "$1"
work=$e2e_work
[[ -f "$(dirname "$1")/vthelp.html" ]] && cp "$(dirname "$1")/vthelp.html" "$work/"
write_wav "$work/b.wav" 8000 # one second
write_wav "$work/a.wav" 8000

e2e_start
e2e_play_new b.wav a.wav
wait_for_caption "$player" 'Vantoro - (1/2) a.wav*' 20 ||
  fail "caption never became 'Vantoro - (1/2) a.wav' (last: '$title')"
echo "saw caption: $title"
[[ -n "${E2E_SHOT:-}" ]] && import -window "$player" "$E2E_SHOT"

# Escape only stops playback; the close glyph sits at the lower right corner of the player.
close_player "$player"
if wait_for_window '^Confirm' 10; then
  xdotool windowfocus "$win"
  xdotool key n
fi
wait_for_window '^Vantoro 5\.0' 10 || fail "the main window did not come back"
e2e_quit || fail "the program did not end cleanly (status $?)"
grep -q "Clips=$work" "$work/Vantoro.INI" || fail "settings do not hold the clip folder"
echo "1 passed, 0 failed"
