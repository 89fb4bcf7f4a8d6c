#!/usr/bin/env bash
# End to end, as a file manager opens a playlist: `vantoro first.asx` starts and plays it at once;
# `vantoro second.m3u` while the first copy plays hands the playlist over and ends; when the user
# closes the player, the running copy plays the second playlist. A wrong argument ends with code 2
# after a box has said so.
#   open_playlist_e2e.sh <built vantoro executable>
# Runs on a display of its own (tests/tools/with-display, see e2e.cmake).
set -euo pipefail
source "$(dirname "$0")/../tools/e2e-lib.sh"
e2e_begin "$1" bin/vantoro
work=$e2e_work
mkdir -p "$work/My Music"
write_wav "$work/My Music/first.wav" 240000   # 30 s: still playing when the second arrives
write_wav "$work/My Music/second.wav" 240000
printf '#EXTM3U\n%s\n' "$work/My Music/second.wav" > "$work/My Music/second.m3u"
printf '<ASX VERSION="3.0">\r\n<Title>first</Title>\r\n <ENTRY><REF HREF="%s" /></ENTRY>\r\n</ASX>\r\n' \
  "$work/My Music/first.wav" > "$work/My Music/first.asx"

# A wrong argument given from the desktop, with no terminal to read stderr: one line on stderr
# and a box that says the same; once the box is closed the program ends with code 2.
"${e2e_env[@]}" "$e2e_exe" "$work/My Music/first.wav" </dev/null >/dev/null 2>"$work/err.txt" &
refused=$!
wait_for_window '^Error$' 20 || fail "no box told of the refused argument"
pace
xdotool windowfocus "$win"
xdotool key Return
set +e
wait "$refused"
rc=$?
set -e
err=$(cat "$work/err.txt")
[[ $rc -eq 2 ]] || fail "a clip as argument ended with code $rc, not 2"
[[ "$err" == "vantoro: "*"is not a playlist Vantoro reads"* ]] || fail "unexpected message: $err"

cd "$work/home"
"${e2e_env[@]}" "$e2e_exe" "../My Music/first.asx" &
e2e_pid=$!
wait_for_window '^Vantoro - ' 20 || fail "the player did not open for the playlist"
player=$win
wait_for_caption "$player" 'Vantoro - (1/1) first.wav*' 20 ||
  fail "caption never became 'Vantoro - (1/1) first.wav' (last: '$title')"
echo "first copy plays: $(xdotool getwindowname "$player")"

# A second copy hands its playlist over and ends at once.
start=$(date +%s)
"${e2e_env[@]}" "$e2e_exe" "file://$work/My%20Music/second.m3u" ||
  fail "the second copy failed"
(( $(date +%s) - start < 10 )) || fail "the second copy took too long to end"
kill -0 "$e2e_pid" || fail "the first copy ended"

# Close the player: the handed-over playlist plays next, in a new player window.
close_player "$player"
for ((i = 0; i < 200; i++)); do
  win=$(xdotool search --onlyvisible --name '^Vantoro - \(1/1\) second\.wav' 2>/dev/null | head -n1 || true)
  [[ -n "$win" ]] && break
  box=$(xdotool search --onlyvisible --name '^Information$' 2>/dev/null | head -n1 || true)
  if [[ -n "$box" ]]; then xdotool windowfocus "$box"; xdotool key Return; fi
  sleep 0.1
done
[[ -n "$win" ]] || fail "the handed-over playlist did not play after the player closed"
echo "then plays: $(xdotool getwindowname "$win")"
e2e_quit || true
grep -q "Lists=$work/My Music" "$work/home/.config/Vantoro/Vantoro.INI" 2>/dev/null ||
  grep -q "Lists=$work/My Music" "$work/bin/Vantoro.INI" || fail "Load's folder was not kept"
echo "1 passed, 0 failed"
