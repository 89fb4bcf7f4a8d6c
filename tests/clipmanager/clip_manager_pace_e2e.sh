#!/usr/bin/env bash
# The clip manager at a person's pace: the built program on a private display with a window
# manager, driven from outside with the mouse and keys, every question read for 1.5 s before it
# is answered by a click on its button. One scenario per run:
#
#   delete       ">>", Go, the Trash question answered Yes after reading it: the clip is in the
#                Trash, no progress window covered the question meanwhile, and its focused
#                button, Yes, showed a focus frame.
#   copy, move   Copy/Move to a folder holding an older file of the same name: the folder
#                browser, "Ready to ...", then the conflict question answered Replace.
#   error        the marked clip vanishes before a Copy: the per-file error question, read, then
#                Skip clicked; nothing lands in the destination.
#   no-trash     a Copy as above into a folder on a tmpfs (no Trash there; root only): after
#                Replace, "delete it permanently?" is read and answered No: the older file stays.
#   keys         Escape and Alt+F4 leave the window open with its clips; Close closes it.
#   quit         SIGTERM while the Trash question is open: the program ends by itself, cleanly
#                and promptly (before its five-second backstop), and the clip stays.
#
#   clip_manager_pace_e2e.sh SCENARIO <built vantoro executable>
# E2E_SHOTS=DIR keeps pictures of the windows.
set -euo pipefail
scenario=$1
source "$(dirname "$0")/../tools/e2e-lib.sh"
e2e_begin "$2"
w=$e2e_work
write_wav "$w/a.wav"
write_wav "$w/b.wav"
mkdir "$w/dst"
if [[ $scenario == no-trash ]]; then
  ((EUID == 0)) || { echo "skipped: mounting a tmpfs needs root"; exit 77; }
  mount -t tmpfs -o size=4m tmpfs "$w/dst" || { echo "skipped: no tmpfs"; exit 77; }
  trap 'umount -l "$w/dst" 2>/dev/null; e2e_cleanup' EXIT
fi
printf 'older' >"$w/dst/a.wav"

# Places in the clip manager's window (561x429 with the default font): ">>", the action radio
# buttons, Go and Close.
SELECT_ALL=(281 110)
COPY=(382 290)
MOVE=(382 316)
GO=(408 407)
CLOSE=(504 407)
# A question box's buttons sit at its bottom right: the last one 53 px from the right edge,
# each one before it 90 px further left.
box_button() { # box, index from the right (0 = last)
  click_from "$1" $((-53 - 90 * $2)) -24
}
# The Trash question's Yes button (x y width height from the right and bottom edges), and how
# many black pixels make a focus frame there (its label alone has fewer than ten).
TRASH_YES=(-178 -36 86 26)
FRAMED=30
no_progress_over() { # what is being asked
  visible '^Vantoro$' && fail "the progress window came up over the open $1"
  return 0
}

e2e_start
e2e_mark_and_open_clip_manager a.wav b.wav
shot "$manager" manager

case "$scenario" in
delete)
  click_from "$manager" "${SELECT_ALL[@]}"
  pace
  click_from "$manager" "${GO[@]}"
  wait_for_window '^Move to Trash$' 10 || fail "the Trash question did not appear"
  question=$win
  pace
  shot "$question" trash-question
  no_progress_over "Trash question"
  focus "$question"
  black=$(black_pixels "$question" "${TRASH_YES[@]}")
  ((black >= FRAMED)) || fail "the focused Yes shows no focus frame ($black black pixels)"
  box_button "$question" 1 # Yes
  wait_gone '^Move to Trash$' 5 || fail "the Trash question took no click"
  wait_gone '^Vantoro - Media File Manager$' 10 || fail "the clip manager stayed open"
  e2e_quit || fail "the program did not end cleanly (status $?)"
  [[ -f "$w/home/.local/share/Trash/files/a.wav" ]] || fail "a.wav is not in the Trash"
  [[ ! -e "$w/a.wav" ]] || fail "a.wav is still in its folder"
  [[ -f "$w/b.wav" ]] || fail "b.wav, never marked, is gone"
  ;;
copy | move | error | no-trash)
  click_from "$manager" "${SELECT_ALL[@]}"
  [[ $scenario == error ]] && mv "$w/a.wav" "$w/gone.wav"
  if [[ $scenario != move ]]; then click_from "$manager" "${COPY[@]}"; else click_from "$manager" "${MOVE[@]}"; fi
  pace
  click_from "$manager" "${GO[@]}"
  wait_for_window '^Browse for Folder$' 10 || fail "the folder browser did not appear"
  browser=$win
  pace
  # It opens on the clips' folder: its first subfolder is dst.
  key "$browser" Right
  sleep 0.5
  key "$browser" Down
  pace
  shot "$browser" browser
  key "$browser" Return
  wait_for_window '^Confirm$' 10 || fail "the 'Ready to' question did not appear"
  pace
  box_button "$win" 1 # OK
  if [[ $scenario == error ]]; then
    wait_for_window '^File Operation Error$' 10 || fail "the error question did not appear"
    question=$win
    pace
    shot "$question" error-question
    no_progress_over "error question"
    box_button "$question" 1 # Retry, Skip, Cancel
    wait_gone '^File Operation Error$' 5 || fail "the error question took no click"
    wait_gone '^Vantoro - Media File Manager$' 10 || fail "the clip manager stayed open"
    e2e_quit || fail "the program did not end cleanly (status $?)"
    [[ $(cat "$w/dst/a.wav") == older ]] || fail "dst/a.wav changed although its source was gone"
    echo "1 passed, 0 failed"
    exit 0
  fi
  wait_for_window '^Replace Item$' 10 || fail "the conflict question did not appear"
  question=$win
  pace
  shot "$question" conflict-question
  no_progress_over "conflict question"
  box_button "$question" 2 # Replace, Skip, Cancel
  wait_gone '^Replace Item$' 5 || fail "the conflict question took no click"
  if [[ $scenario == no-trash ]]; then
    wait_for_window '^Cannot Move to Trash$' 10 || fail "the delete-for-good question did not appear"
    question=$win
    pace
    shot "$question" replace-for-good-question
    no_progress_over "delete-for-good question"
    box_button "$question" 0 # Yes, No
    wait_gone '^Cannot Move to Trash$' 5 || fail "the delete-for-good question took no click"
    wait_gone '^Vantoro - Media File Manager$' 10 || fail "the clip manager stayed open"
    e2e_quit || fail "the program did not end cleanly (status $?)"
    [[ $(cat "$w/dst/a.wav") == older ]] || fail "No, and dst/a.wav was replaced all the same"
    [[ -f "$w/a.wav" ]] || fail "a.wav left its folder in a copy"
    echo "1 passed, 0 failed"
    exit 0
  fi
  wait_gone '^Vantoro - Media File Manager$' 10 || fail "the clip manager stayed open"
  e2e_quit || fail "the program did not end cleanly (status $?)"
  # Both clips have the same bytes; the older dst/a.wav has others.
  cmp -s "$w/b.wav" "$w/dst/a.wav" || fail "dst/a.wav was not replaced by the clip"
  if [[ $scenario == move ]]; then
    [[ ! -e "$w/a.wav" ]] || fail "a.wav is still in its folder after the move"
  else
    [[ -f "$w/a.wav" ]] || fail "a.wav left its folder in a copy"
  fi
  ;;
keys)
  key "$manager" Escape
  pace
  visible '^Vantoro - Media File Manager$' || fail "Escape closed the clip manager"
  key "$manager" alt+F4
  pace
  visible '^Vantoro - Media File Manager$' || fail "the window manager's close closed the clip manager"
  click_from "$manager" "${CLOSE[@]}"
  wait_gone '^Vantoro - Media File Manager$' 5 || fail "Close did not close the clip manager"
  e2e_quit || fail "the program did not end cleanly (status $?)"
  ;;
quit)
  click_from "$manager" "${SELECT_ALL[@]}"
  click_from "$manager" "${GO[@]}"
  wait_for_window '^Move to Trash$' 10 || fail "the Trash question did not appear"
  pace
  status=0
  e2e_quit || status=$?
  ((status == 0)) || fail "the program ended with status $status, not by itself"
  [[ -f "$w/a.wav" ]] || fail "a.wav left its folder although the question was never answered"
  ;;
*)
  echo "unknown scenario $scenario" >&2
  exit 2
  ;;
esac
echo "1 passed, 0 failed"
