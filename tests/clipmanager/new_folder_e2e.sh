#!/usr/bin/env bash
# End to end, as a person would: make a new playlist of two clips, mark the first while it plays,
# close the player, and in the clip manager copy the clip to another folder, making that folder
# with the folder dialog's "New folder": an empty answer first (nothing happens, no message), then
# a name with an empty part (refused, asked again), then "Clips/2024/June" (nested folders made
# inside the selected folder, which the dialog then selects). Every question is read for 1.5 s.
#   new_folder_e2e.sh <built vantoro executable>
# Runs on a display of its own with a window manager (tests/tools/with-display --wm).
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
click_at "$manager" 500 256 # ">>", between the two lists
sleep 0.3
click_at "$manager" 681 676 # "Copy to another folder"
sleep 0.3
xdotool windowfocus "$manager"
xdotool key Return # Go

wait_for_window '^Browse for Folder$' 10 || fail "the folder dialog did not appear"
browse=$win
sleep 1.5
# New folder, answered with nothing: no message, the folder dialog stays as it was.
click_at "$browse" 126 948
wait_for_window '^New folder$' 10 || fail "the new-folder question did not appear"
xdotool windowfocus "$win"
sleep 1.5
xdotool key Return
sleep 1.5
xdotool search --onlyvisible --name '^Error$' >/dev/null 2>&1 && fail "an empty answer got a message"
xdotool search --onlyvisible --name '^New folder$' >/dev/null 2>&1 && fail "the question stayed open"
xdotool search --onlyvisible --name '^Browse for Folder$' >/dev/null 2>&1 ||
  fail "the folder dialog went away on an empty answer"
[[ -z "$(ls -A "$work" | grep -v -e '^home$' -e '^run$' -e '\.wav$' -e '^vantoro$' -e '^playlist\.tmp$' -e '\.INI$' || true)" ]] ||
  fail "an empty answer made something: $(ls -A "$work")"

# An empty part is refused and asked again; nested folders are made inside the selected one.
click_at "$browse" 126 948
wait_for_window '^New folder$' 10 || fail "the new-folder question did not appear again"
xdotool windowfocus "$win"
sleep 1.5
xdotool type --delay 20 'Clips//2024'
xdotool key Return
wait_for_window '^Error$' 10 || fail "a name with an empty part was not refused"
xdotool windowfocus "$win"
sleep 1.5
xdotool key Return
wait_for_window '^New folder$' 10 || fail "the question was not asked again"
xdotool windowfocus "$win"
sleep 1.5
xdotool type --delay 20 'Clips/2024/June'
xdotool key Return

# The folder dialog reopens on the new folder: OK, then OK to the copy's question.
for ((i = 0; i < 100; i++)); do
  [[ -d "$work/Clips/2024/June" ]] && break
  sleep 0.1
done
[[ -d "$work/Clips/2024/June" ]] || fail "the nested folders were not made"
wait_for_window '^Browse for Folder$' 10 || fail "the folder dialog did not reopen"
xdotool windowfocus "$win"
sleep 1.5
xdotool key Return # OK
wait_for_window '^Confirm$' 10 || fail "the copy's question did not appear"
xdotool windowfocus "$win"
sleep 1.5
xdotool key Return # OK

for ((i = 0; i < 100; i++)); do
  [[ -f "$work/Clips/2024/June/a.wav" ]] && break
  sleep 0.1
done
[[ -f "$work/Clips/2024/June/a.wav" ]] || fail "a.wav was not copied into the new folder"
[[ -f "$work/a.wav" ]] || fail "a.wav left its folder on a copy"
e2e_quit || true
echo "1 passed, 0 failed"
