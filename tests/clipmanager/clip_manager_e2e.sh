#!/usr/bin/env bash
# End to end, as a person would: start the built program on a virtual display, make a new
# playlist of two clips, mark the first while it plays, close the player, and in the clip manager
# that opens move the clip into the Action Box and send it to the Trash. The clip must be in the
# private Trash, the other clip where it was, and the main window back.
#   clip_manager_e2e.sh <built vantoro executable>
# Runs on a display of its own (tests/tools/with-display, see actionform.cmake). E2E_SHOT=file.png keeps a picture of the window.
set -euo pipefail
source "$(dirname "$0")/../tools/e2e-lib.sh"
e2e_begin "$1"
work=$e2e_work
write_wav "$work/a.wav"
write_wav "$work/b.wav"

e2e_start
# New with both clips, a.wav marked while it plays, the player closed: with a clip marked there is
# no "Save Playlist?", the clip manager opens.
e2e_mark_and_open_clip_manager b.wav a.wav
[[ -n "${E2E_SHOT:-}" ]] && import -window "$manager" "$E2E_SHOT"
click_at "$manager" 500 256 # ">>", between the two lists
sleep 0.3
xdotool windowfocus "$manager"
xdotool key Return # Go, with the first action, Delete, chosen
wait_for_window '^Move to Trash$' 10 || fail "the Trash question did not appear"
xdotool windowfocus "$win"
xdotool key Return # Yes

wait_for_window '^Vantoro 5\.0' 10 || fail "the main window did not come back"
wait_gone '^Vantoro - Media File Manager$' 5 ||
  fail "the clip manager stayed open with nothing left to act on"
e2e_quit || true

[[ -f "$work/home/.local/share/Trash/files/a.wav" ]] || fail "a.wav is not in the Trash"
[[ -f "$work/home/.local/share/Trash/info/a.wav.trashinfo" ]] || fail "a.wav has no Trash record"
[[ ! -e "$work/a.wav" ]] || fail "a.wav is still in its folder"
[[ -f "$work/b.wav" ]] || fail "b.wav, never marked, is gone"
echo "1 passed, 0 failed"
