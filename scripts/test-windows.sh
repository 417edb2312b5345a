#!/usr/bin/env bash
# The Windows program under Wine: cross-build it (scripts/build-windows.sh),
# start it in an X server with Mesa's software GL and no sound card, and check
# what a player sees:
#   1. the start-up log in order, the main menu drawn, a single-player game
#      started with Down and Return and seen running, the window closed with
#      Alt+F4 and exit status 0, no GL errors;
#   2. ironvale-win32.exe --connect 127.0.0.1:PORT --name N joins a Linux
#      ironvale-server (the server prints the join) and leaves it again.
# Uses $DISPLAY when set (scripts/test.sh starts a private Xvfb), else starts one.
# The Wine prefix is build/windows/wineprefix (made when missing).
# IRONVALE_HOST_BUILD=DIR takes the assets and the server from a native build
# (scripts/test.sh passes its sanitizer build).
# Pictures and logs of the runs are left in build/windows/test/.
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$(pwd)
START=$SECONDS
step() { echo "test-windows.sh: $1 done at $((SECONDS - START)) s"; }

scripts/build-windows.sh
step build
BIN=$ROOT/build/windows/bin
OUT=$ROOT/build/windows/test
HOSTBUILD=${IRONVALE_HOST_BUILD:-$ROOT/build/windows-host}
rm -rf "$OUT"
mkdir -p "$OUT"

export LIBGL_ALWAYS_SOFTWARE=1 ALSOFT_DRIVERS=null
export WINEPREFIX=$ROOT/build/windows/wineprefix WINEARCH=win64 WINEDEBUG=-all
# No Mono or Gecko installer prompts: the program needs neither.
export WINEDLLOVERRIDES="mscoree,mshtml="

PROGRAM="" SERVER="" OWN_XVFB=0
cleanup() {
  set +e
  [ -n "$PROGRAM" ] && kill "$PROGRAM" 2>/dev/null
  [ -n "$SERVER" ] && kill "$SERVER" 2>/dev/null
  # Only this prefix's server (and the Wine processes it runs) is stopped.
  wineserver -k 2>/dev/null
  [ "$OWN_XVFB" -eq 1 ] && xvfb_stop
  return 0
}
trap cleanup EXIT
if [ -z "${DISPLAY:-}" ]; then
  source scripts/xvfb.sh
  xvfb_start
  OWN_XVFB=1
fi

if [ ! -f "$WINEPREFIX/system.reg" ]; then
  echo "== creating the Wine prefix"
  rm -rf "$WINEPREFIX"
  wineboot -i >/dev/null 2>&1
  wineserver -w
  step "Wine prefix"
fi

RUN=""
fail() {
  echo "test-windows.sh: FAIL: $*"
  if [ -n "$RUN" ] && [ -f "$RUN/log.txt" ]; then
    echo "--- $RUN/log.txt (last 40 lines)"
    tail -40 "$RUN/log.txt"
  fi
  exit 1
}

# Wait up to $2 seconds for the text $1 in the log of the run in $RUN.
wait_log() {
  local end=$((SECONDS + $2))
  while [ "$SECONDS" -lt "$end" ]; do
    grep -qF -- "$1" "$RUN/log.txt" 2>/dev/null && return 0
    kill -0 "$PROGRAM" 2>/dev/null || { grep -qF -- "$1" "$RUN/log.txt" 2>/dev/null; return; }
    sleep 0.2
  done
  return 1
}

# The program's X window: Wine's class is the program's name, its X title the
# window's ("Engine", then "<n> fps").
find_window() {
  local w
  for _ in $(seq 1 50); do
    for w in $(xdotool search --onlyvisible --class '^ironvale-win32\.exe$' 2>/dev/null || true); do
      [[ "$(xdotool getwindowname "$w" 2>/dev/null)" =~ fps$|^Engine$ ]] && { echo "$w"; return 0; }
    done
    sleep 0.2
  done
  return 1
}

# Start the program in a start directory of its own, with assets/ beside it.
start_program() {  # name, extra args...
  RUN=$OUT/$1
  shift
  mkdir -p "$RUN"
  ln -s "$BIN/assets" "$RUN/assets"
  (cd "$RUN" && exec wine "$BIN/ironvale-win32.exe" "$@" >"$RUN/stdout.txt" 2>"$RUN/stderr.txt") &
  PROGRAM=$!
}

# Give the window the keyboard (there is no window manager to do it).
focus() {
  xdotool windowfocus --sync "$1"
  sleep 0.5
}

# Close the window as a player does (Alt+F4) and expect exit status 0.
close_program() {
  local win=$1 status=0
  focus "$win"
  xdotool key --clearmodifiers alt+F4
  for _ in $(seq 1 150); do
    kill -0 "$PROGRAM" 2>/dev/null || break
    sleep 0.2
  done
  kill -0 "$PROGRAM" 2>/dev/null && fail "the program did not end within 30 s of Alt+F4"
  wait "$PROGRAM" || status=$?
  PROGRAM=""
  [ "$status" -eq 0 ] || fail "exit status $status after closing the window"
}

# Every given line must appear in the file, in this order.
expect_in_order() {
  local file=$1
  shift
  python3 - "$file" "$@" <<'PY' || fail "$(basename "$file"): lines missing or out of order"
import sys
text = open(sys.argv[1], encoding="latin-1").read()
pos = 0
for want in sys.argv[2:]:
    at = text.find(want, pos)
    if at < 0:
        print("missing after offset %d: %r" % (pos, want))
        sys.exit(1)
    pos = at + len(want)
PY
}

shot() { xwd -silent -id "$1" | convert xwd:- "$2"; }
colours() { convert "$1" -format %k info:; }
size_of() { convert "$1" -format %wx%h info:; }
# Mean red, green and blue (0..255) of a rectangle: file x y w h.
mean_rgb() {
  convert "$1" -crop "$4x$5+$2+$3" +repage \
    -format '%[fx:int(255*mean.r)] %[fx:int(255*mean.g)] %[fx:int(255*mean.b)]' info:
}
# The mean colour of a rectangle must meet a test on r, g and b: file x y w h test what.
expect_rgb() {
  local r g b
  read -r r g b <<<"$(mean_rgb "$1" "$2" "$3" "$4" "$5")"
  (($6)) || fail "$7: mean colour $r $g $b of ${4}x$5+$2+$3 fails $6 ($1)"
}
# Mean absolute difference of two pictures, 0..255 (compare's status 1 means "they differ").
difference() {
  local m
  m=$(compare -metric MAE "$1" "$2" null: 2>&1 || true)
  echo "$m" | sed -n 's/.*(\([0-9.e+-]*\)).*/\1/p' | awk '{printf "%d\n", $1 * 255}'
}

# ---- run 1: start, menu, single player, close ---------------------------
echo "== ironvale-win32.exe under Wine: menu and single player"
start_program single --windowed --size 1024x600
wait_log "starting WHILE loop" 120 || fail "the main loop did not start"
wait_log "Stage 1 has been loaded." 60 || fail "the menu's stage was not loaded"
WIN=$(find_window) || fail "no program window"
# The menu: the title's warm letters on the cool sky, the lighter buttons below it.
sleep 2
shot "$WIN" "$OUT/menu.png"
[ "$(size_of "$OUT/menu.png")" = 1024x600 ] || fail "the window is $(size_of "$OUT/menu.png"), not 1024x600"
COLOURS=$(colours "$OUT/menu.png")
[ "$COLOURS" -ge 1000 ] || fail "the menu shows only $COLOURS colours ($OUT/menu.png)"
expect_rgb "$OUT/menu.png" 285 100 455 55 "r > b + 10" "the title's orange letters"
expect_rgb "$OUT/menu.png" 0 100 250 55 "b > r + 30" "the menu's sky beside the title"

focus "$WIN"
xdotool key Down
sleep 0.3
xdotool key Return
wait_log "game_logic_start_new_game() done." 30 || fail "Down, Return on the menu started no game"
sleep 3
shot "$WIN" "$OUT/play.png"
DIFF=$(difference "$OUT/menu.png" "$OUT/play.png")
[ "$DIFF" -ge 20 ] || fail "the game looks like the menu (difference $DIFF; $OUT/play.png)"
# The level as on Linux: sky above the horizon, warm ground, the full green health bar.
expect_rgb "$OUT/play.png" 300 10 424 30 "b > r + 20" "the sky"
expect_rgb "$OUT/play.png" 300 440 300 40 "r + 10 >= b" "the ground"
expect_rgb "$OUT/play.png" 930 500 45 60 "g > r + 40 && g > b + 40" "the health bar"
close_program "$WIN"

# log.txt opens inside kxAppInit: main's first lines reach standard output only.
expect_in_order "$RUN/stdout.txt" "main start" "kxAppZero..." "Opening LOG.txt" "Initializing OpenGL: " \
  "starting WHILE loop" "game_logic_start_new_game() done." "kxAppTerm:  " "END "
expect_in_order "$RUN/log.txt" "LOG START" "Initializing OpenGL: " "Auto pixel format" \
  "--- glkxInit ---" "OpenGL Version string: [4.5" "WGL_EXT_swap_control is" "WGL ChoosePixelFormat is" \
  "--- shader init ---" "MSAA is" "updating size" "AUDIO: Init Start" "--- Game Init ---" \
  "End of GameInit()" "starting WHILE loop" "Stage 1 has been loaded." \
  "game_logic_start_new_game() done." "bQuit = TRUE" "in main: after loop end" \
  "in main: calling kxAppTerm ... " "--- Game Term ---" "kxAppTerm:  " "LOG END"
! grep -q "glError" "$RUN/log.txt" || fail "GL errors in the log: $(grep -m 3 glError "$RUN/log.txt")"
echo "ok: start-up in order, menu drawn ($COLOURS colours), single player running (differs by $DIFF), exit status 0"
step "single-player run"

# ---- run 2: a client joins a Linux server --------------------------------
echo "== ironvale-win32.exe --connect joins a Linux ironvale-server"
cmake --build "$HOSTBUILD" --target ironvale-server >/dev/null
PORT=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
"$HOSTBUILD/bin/ironvale-server" --port "$PORT" >"$OUT/server.txt" 2>&1 &
SERVER=$!
for _ in $(seq 1 100); do grep -q "listening" "$OUT/server.txt" && break; sleep 0.2; done
grep -q "listening" "$OUT/server.txt" || fail "the server did not start: $(cat "$OUT/server.txt")"
# With a name as well, the game joins at start without the menus.
start_program connect --windowed --size 1024x600 --connect "127.0.0.1:$PORT" --name WinePlayer
joined=0
for _ in $(seq 1 450); do
  grep -q '^joined: .*"WinePlayer"' "$OUT/server.txt" && { joined=1; break; }
  kill -0 "$PROGRAM" 2>/dev/null || break
  sleep 0.2
done
[ "$joined" -eq 1 ] || fail "the server saw no join within 90 s: $(cat "$OUT/server.txt")"
WIN=$(find_window) || fail "no program window (connect)"
close_program "$WIN"
for _ in $(seq 1 50); do grep -q '^left: .*"WinePlayer"' "$OUT/server.txt" && break; sleep 0.2; done
grep -q '^left: .*"WinePlayer"' "$OUT/server.txt" || fail "the server saw the player not leave: $(cat "$OUT/server.txt")"
kill "$SERVER"
status=0
wait "$SERVER" || status=$?
SERVER=""
[ "$status" -eq 0 ] || fail "the server ended with status $status: $(tail -20 "$OUT/server.txt")"
expect_in_order "$RUN/log.txt" "SOCK CLIENT Connect() 127.0.0.1:$PORT" "SOCK CLIENT Connected!" "kxAppTerm:  "
echo "ok: ironvale-win32.exe --connect 127.0.0.1:$PORT joined the Linux server and left it"
step "join run"

echo "== Windows tests passed in $((SECONDS - START)) s"
