# Shared steps of the tests that drive the built program from outside, as a person does: on a
# private display with a window manager (tests/tools/with-display --wm), with xdotool moving the
# mouse and clicking at screen positions, and Tab, Return and Escape on the keyboard. A person
# reads a question before answering it, so every answer waits `pace` (1.5 s) first: past every
# timer of the program (a progress window is due after 0.5 s).
#
# Source it from a bash test script, then call e2e_begin EXE. Windows are found by their title
# (xdotool search --name); a button is clicked at its place in the window, given in pixels from
# the window's edges, as the window's layout puts it.

E2E_PACE=${E2E_PACE:-1.5}
e2e_pid=""
e2e_pids=() # more processes a test starts (a stand-in for another program): killed at the end
e2e_work=""
e2e_exe=""
e2e_env=()
e2e_shots=${E2E_SHOTS:-}

e2e_cleanup() {
  local p
  [[ -n "$e2e_pid" ]] && kill -KILL "$e2e_pid" 2>/dev/null || true
  for p in "${e2e_pids[@]}"; do kill -KILL "$p" 2>/dev/null || true; done
  [[ -n "$e2e_work" ]] && rm -rf "$e2e_work"
}

fail() {
  echo "FAIL: $*" >&2
  xdotool search --onlyvisible --name '.' getwindowname %@ 2>/dev/null | sed 's/^/  window: /' >&2 || true
  [[ -n "$e2e_shots" ]] && import -window root "$e2e_shots/failure.png" 2>/dev/null
  if [[ -n "$e2e_work" ]]; then
    echo "files of the test:" >&2
    (cd "$e2e_work" && find . -path ./home/.cache -prune -o -path ./home/.config -prune -o -print |
      sort | head -n 60 | sed 's/^/  /') >&2
  fi
  e2e_dump_stacks
  exit 1
}

# e2e_dump_stacks: where every thread of the program is now (a failure that is a hang shows
# here), when gdb is installed and may attach.
e2e_dump_stacks() {
  [[ -n "$e2e_pid" ]] && command -v gdb >/dev/null || return 0
  local pid
  # $e2e_pid is the subshell that exec'd the program: the same process.
  pid=$e2e_pid
  kill -0 "$pid" 2>/dev/null || return 0
  echo "threads of the program (pid $pid):" >&2
  timeout 60 gdb -p "$pid" -batch -nx -ex 'set pagination off' -ex 'thread apply all bt 30' \
    2>/dev/null | grep -E '^(Thread|#)' >&2 || true
}

pace() { sleep "$E2E_PACE"; }

# e2e_begin EXE [PLACE]: a work folder with a private HOME and XDG tree; the program is copied
# into it (to PLACE in it, vantoro by default: $e2e_exe), so its settings and temporary playlist
# stay there. "${e2e_env[@]}" CMD runs a command in that private tree.
e2e_begin() {
  e2e_work=$(mktemp -d /tmp/vantoro-e2e-XXXXXX)
  trap e2e_cleanup EXIT
  e2e_exe="$e2e_work/${2:-vantoro}"
  mkdir -p "$(dirname "$e2e_exe")"
  cp "$1" "$e2e_exe"
  mkdir -p "$e2e_work/home/.local/share" "$e2e_work/run"
  chmod 700 "$e2e_work/run"
  e2e_env=(env HOME="$e2e_work/home" XDG_RUNTIME_DIR="$e2e_work/run"
           XDG_CONFIG_HOME="$e2e_work/home/.config" XDG_DATA_HOME="$e2e_work/home/.local/share"
           QT_QPA_PLATFORM=xcb)
}

# write_wav FILE [BYTES]: a silent 8 kHz mono WAV of BYTES bytes (8000 a second), three seconds
# by default (the player needs real media to mark).
write_wav() {
  local bytes=${2:-24000}
  {
    printf 'RIFF'; printf "\\x$(printf %02x $(( (36 + bytes) & 255 )))\\x$(printf %02x $(( ((36 + bytes) >> 8) & 255 )))\\x$(printf %02x $(( ((36 + bytes) >> 16) & 255 )))\\x00"
    printf 'WAVEfmt '; printf '\x10\x00\x00\x00\x01\x00\x01\x00\x40\x1f\x00\x00\x40\x1f\x00\x00\x01\x00\x08\x00'
    printf 'data'; printf "\\x$(printf %02x $(( bytes & 255 )))\\x$(printf %02x $(( (bytes >> 8) & 255 )))\\x$(printf %02x $(( (bytes >> 16) & 255 )))\\x00"
    head -c "$bytes" /dev/zero | tr '\0' '\200'
  } > "$1"
}

# e2e_start: starts the program in the work folder and waits for its main window ($main).
e2e_start() {
  (cd "$(dirname "$e2e_exe")" && exec "${e2e_env[@]}" "$e2e_exe") &
  e2e_pid=$!
  wait_for_window '^Vantoro 5\.0' 20 || fail "the main window did not appear"
  main=$win
  sleep 0.5
}

# wait_for_window REGEX SECONDS: the first visible window whose title matches, in $win.
wait_for_window() {
  local i
  for ((i = 0; i < $2 * 10; i++)); do
    win=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n1 || true)
    [[ -n "$win" ]] && return 0
    sleep 0.1
  done
  return 1
}

# wait_gone REGEX SECONDS: succeeds once no visible window's title matches, in two searches
# in a row: a search also fails when a window it looks at is destroyed meanwhile (an X error
# ends xdotool), which says nothing about the window sought.
wait_gone() {
  local i absent=0
  for ((i = 0; i < $2 * 10; i++)); do
    if visible "$1"; then absent=0; else ((++absent >= 2)) && return 0; fi
    sleep 0.1
  done
  return 1
}

# visible REGEX: a visible window's title matches (a window that matched once before the search
# failed with an X error is looked for again).
visible() {
  local out
  out=$(xdotool search --onlyvisible --name "$1" 2>&1) && return 0
  [[ "$out" == *"X Error"* ]] && xdotool search --onlyvisible --name "$1" >/dev/null 2>&1
}

# click_from WINDOW X Y: a left click at a point of the window; a negative X or Y counts from
# the right or bottom edge. The pointer moves there first, as a hand would.
click_from() {
  local WIDTH HEIGHT X Y SCREEN WINDOW
  eval "$(xdotool getwindowgeometry --shell "$1")"
  local x=$2 y=$3
  ((x < 0)) && x=$((WIDTH + x))
  ((y < 0)) && y=$((HEIGHT + y))
  xdotool mousemove --window "$1" "$x" "$y"
  sleep 0.2
  xdotool click 1
}

# click_at WINDOW X/1000 Y/1000: a click at a point given in thousandths of the window's size.
click_at() {
  local WIDTH HEIGHT X Y SCREEN WINDOW
  eval "$(xdotool getwindowgeometry --shell "$1")"
  click_from "$1" $((WIDTH * $2 / 1000)) $((HEIGHT * $3 / 1000))
}

focus() {
  xdotool windowactivate --sync "$1" 2>/dev/null || xdotool windowfocus "$1" 2>/dev/null || true
  sleep 0.1
}

# key WINDOW KEY...: keys to the window that has the focus, after focusing WINDOW.
key() {
  focus "$1"
  shift
  xdotool key "$@"
}

# black_pixels WINDOW X Y W H: how many pure black pixels a rectangle of the window shows now
# (X and Y negative: from the right or bottom edge). Text and the focus frame are drawn black.
black_pixels() {
  local file="$e2e_work/picture.png" WIDTH HEIGHT X Y SCREEN WINDOW
  import -window "$1" "$file" 2>/dev/null
  eval "$(xdotool getwindowgeometry --shell "$1")"
  local x=$2 y=$3
  ((x < 0)) && x=$((WIDTH + x))
  ((y < 0)) && y=$((HEIGHT + y))
  convert "$file" -crop "${4}x${5}+${x}+${y}" +repage txt:- | grep -c '#000000' || true
}

shot() { [[ -n "$e2e_shots" ]] && import -window "$1" "$e2e_shots/$2.png" 2>/dev/null || true; }

# wait_for_caption WINDOW PATTERN SECONDS: waits until the window's title matches the glob
# PATTERN (the last title seen in $title). This machine may have no sound card: the player's
# warning about it is acknowledged meanwhile, and playback goes on.
wait_for_caption() {
  local i box
  title=""
  for ((i = 0; i < $3 * 10; i++)); do
    box=$(xdotool search --onlyvisible --name '^Information$' 2>/dev/null | head -n1 || true)
    if [[ -n "$box" ]]; then
      key "$box" Return
      sleep 0.3
    fi
    title=$(xdotool getwindowname "$1" 2>/dev/null || true)
    # shellcheck disable=SC2053 # PATTERN is a glob
    [[ "$title" == $2 ]] && return 0
    sleep 0.1
  done
  return 1
}

# e2e_play_new CLIP...: New with the clips (in the work folder, typed into the clip dialog), then
# Go in the player ($player), which plays them in alphabetical order.
e2e_play_new() {
  local names="" c
  for c in "$@"; do names+="\"$c\" "; done
  key "$main" alt+n
  wait_for_window '^Select clip' 20 || fail "the clip dialog did not appear"
  focus "$win"
  sleep 0.5
  xdotool type --delay 20 "$names"
  xdotool key Return

  wait_for_window '^Vantoro - Player' 20 || fail "the player window did not appear"
  player=$win
  sleep 0.5
  key "$player" Return # Go is the default button
}

# e2e_mark_while_playing CAPTION: marks the clip as soon as the player's caption shows
# "Vantoro - CAPTION" (a glob).
e2e_mark_while_playing() {
  wait_for_caption "$player" "Vantoro - $1*" 20 ||
    fail "the player never played $1 (caption '$title')"
  sleep 0.3
  key "$player" Return # Mark, the default button while a new playlist plays
}

# close_player WINDOW: Escape stops playback; then a click on the Close button at the player's
# lower right corner.
close_player() {
  key "$1" Escape
  click_from "$1" -18 -23
}

# e2e_open_clip_manager: with clips marked, closing the player opens the clip manager
# ($manager).
e2e_open_clip_manager() {
  close_player "$player"
  wait_for_window '^Vantoro - Media File Manager$' 15 || fail "the clip manager did not appear"
  manager=$win
  sleep 0.5
}

# e2e_mark_and_open_clip_manager CLIP...: e2e_play_new with the clips, the first in play order
# marked, then e2e_open_clip_manager.
e2e_mark_and_open_clip_manager() {
  e2e_play_new "$@"
  e2e_mark_while_playing "(1/$#) $(printf '%s\n' "$@" | sort | head -n1)"
  e2e_open_clip_manager
}

# e2e_quit: SIGTERM, as a logout sends; the program must end by itself, promptly and cleanly.
e2e_quit() {
  kill -TERM "$e2e_pid"
  local status=0
  wait "$e2e_pid" || status=$?
  e2e_pid=""
  return "$status"
}
