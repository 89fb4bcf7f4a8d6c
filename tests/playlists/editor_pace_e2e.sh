#!/usr/bin/env bash
# The playlist editor at a person's pace: the built program on a private display with a window
# manager, driven from outside with the mouse and keys.
#   1. A clip selected, "Delete clip": the question is read; the focused button (Yes, then No
#      after a Tab) shows a focus frame; Return answers No: the clip stays.
#   2. "Delete clip" again, "Send clip to the Trash also" ticked with the mouse, Yes clicked:
#      the clip leaves the playlist and its file goes to the Trash.
#   3. OK: the playlist written beside the M3U lists only the other clip.
#
#   editor_pace_e2e.sh <built vantoro executable>
# E2E_SHOTS=DIR keeps pictures of the windows.
set -euo pipefail
source "$(dirname "$0")/../tools/e2e-lib.sh"
e2e_begin "$1"
w=$e2e_work
write_wav "$w/a.wav"
write_wav "$w/b.wav"
printf '%s\n%s\n' "$w/a.wav" "$w/b.wav" >"$w/list.m3u"

# Places in the editor's window: the first row of the list, "Delete clip" and OK (from the
# right and bottom edges, which do not move with the font).
FIRST_ROW=(60 40)
DELETE_BUTTON=(-70 88)
OK_BUTTON=(-70 -58)
# Places in the deletion question: the check box, and Yes; the rectangles of the two buttons
# (x y width height from the right and bottom edges).
CHECK_BOX=(30 60)
YES=(-287 -26)
YES_BUTTON=(-330 -42 90 30)
NO_BUTTON=(-220 -42 90 30)
# A button's label alone shows fewer than this many black pixels; with the dotted focus frame
# around it, several times more.
FRAMED=30

e2e_start
key "$main" alt+e
wait_for_window '^Select Playlist to Modify' 20 || fail "the playlist dialog did not appear"
focus "$win"
sleep 0.5
xdotool type --delay 20 "$w/list.m3u"
xdotool key Return
wait_for_window '^Vantoro - Edit Playlist' 20 || fail "the editor did not appear"
editor=$win
pace
shot "$editor" editor

click_from "$editor" "${FIRST_ROW[@]}"
sleep 0.3
click_from "$editor" "${DELETE_BUTTON[@]}"
wait_for_window '^Confirm clip deletion from playlist$' 10 || fail "the deletion question did not appear"
question=$win
pace
shot "$question" question
focus "$question"
yes_black=$(black_pixels "$question" "${YES_BUTTON[@]}")
no_black=$(black_pixels "$question" "${NO_BUTTON[@]}")
((yes_black >= FRAMED && no_black < FRAMED)) ||
  fail "the focused Yes shows no focus frame (black pixels: Yes $yes_black, No $no_black)"
xdotool key Tab # from Yes to No
sleep 0.5
shot "$question" question-no-focused
yes_black=$(black_pixels "$question" "${YES_BUTTON[@]}")
no_black=$(black_pixels "$question" "${NO_BUTTON[@]}")
((no_black >= FRAMED && yes_black < FRAMED)) ||
  fail "the focused No shows no focus frame (black pixels: Yes $yes_black, No $no_black)"
xdotool key Return
wait_gone '^Confirm clip deletion from playlist$' 5 || fail "Return on No left the question open"

pace
click_from "$editor" "${FIRST_ROW[@]}"
sleep 0.3
click_from "$editor" "${DELETE_BUTTON[@]}"
wait_for_window '^Confirm clip deletion from playlist$' 10 || fail "the deletion question did not come back"
question=$win
pace
click_from "$question" "${CHECK_BOX[@]}"
pace
shot "$question" question-trash
click_from "$question" "${YES[@]}"
wait_gone '^Confirm clip deletion from playlist$' 5 || fail "Yes left the question open"
pace
click_from "$editor" "${OK_BUTTON[@]}"
wait_for_window '^Information$' 10 || fail "no word that the playlist was written"
pace
key "$win" Return
wait_gone '^Vantoro - Edit Playlist' 5 || fail "the editor stayed open after OK"
e2e_quit || fail "the program did not end cleanly (status $?)"

[[ -f "$w/list.asx" ]] || fail "the playlist was not written"
grep -q "b.wav" "$w/list.asx" || fail "b.wav is missing from the playlist"
grep -q "a.wav" "$w/list.asx" && fail "a.wav is still in the playlist"
[[ -f "$w/home/.local/share/Trash/files/a.wav" ]] || fail "a.wav is not in the Trash"
[[ -f "$w/b.wav" ]] || fail "b.wav, answered No, is gone"
echo "1 passed, 0 failed"
