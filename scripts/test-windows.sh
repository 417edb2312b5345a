#!/usr/bin/env bash
# The Windows program under Wine: cross-build it (scripts/build-windows.sh),
# start it in an X server with Mesa's software GL and no sound card, and check
# what a player sees: the start-up log in order, the window drawn, and a clean
# exit (status 0) when the window is closed with Alt+F4. When the program has
# --connect, one client also joins a Linux ironvale-server on 127.0.0.1.
# Uses $DISPLAY when set (scripts/test.sh starts a private Xvfb), else starts one;
# IRONVALE_HOST_BUILD=DIR takes the assets and the server from a native build.
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$(pwd)
START=$(date +%s)

scripts/build-windows.sh
BIN=$ROOT/build/windows/bin
OUT=$ROOT/build/windows/test
rm -rf "$OUT"
mkdir -p "$OUT"

if [ -z "${DISPLAY:-}" ]; then
  source scripts/xvfb.sh
  xvfb_start
  trap xvfb_stop EXIT
fi
export LIBGL_ALWAYS_SOFTWARE=1 ALSOFT_DRIVERS=null
export WINEPREFIX=$ROOT/build/windows/wineprefix WINEARCH=win64 WINEDEBUG=-all
# No Mono or Gecko installer prompts: the program needs neither.
export WINEDLLOVERRIDES="mscoree,mshtml="
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  echo "== creating the Wine prefix"
  wineboot -i >/dev/null 2>&1
  wineserver -w
fi

fail() {
  echo "FAIL: $*"
  [ -f "$RUN/log.txt" ] && { echo "--- log.txt (last 40 lines)"; tail -40 "$RUN/log.txt"; }
  exit 1
}

# Wait up to $2 seconds for the text $1 in the log of the run in $RUN.
wait_log() {
  for _ in $(seq 1 $(($2 * 5))); do
    grep -qF -- "$1" "$RUN/log.txt" 2>/dev/null && return 0
    sleep 0.2
  done
  return 1
}

# The program's X window (Wine names it after the window title, "Engine" or "<n> fps").
find_window() {
  for _ in $(seq 1 50); do
    local w
    w=$(xdotool search --onlyvisible --name 'fps$|^Engine$' 2>/dev/null | head -n 1 || true)
    [ -n "$w" ] && { echo "$w"; return 0; }
    sleep 0.2
  done
  return 1
}

# Start the program in a start directory of its own, with assets/ beside it.
start_program() {  # name, extra args...
  RUN=$OUT/$1; shift
  mkdir -p "$RUN"
  ln -s "$BIN/assets" "$RUN/assets"
  (cd "$RUN" && exec wine "$BIN/ironvale-win32.exe" "$@" >"$RUN/stdout.txt" 2>"$RUN/stderr.txt") &
  PROGRAM=$!
}

# Close the window as a player does (Alt+F4) and expect exit status 0.
close_program() {
  local win=$1
  xdotool mousemove --window "$win" 200 200
  xdotool key --clearmodifiers alt+F4
  local status=0
  for _ in $(seq 1 100); do
    kill -0 "$PROGRAM" 2>/dev/null || break
    sleep 0.2
  done
  if kill -0 "$PROGRAM" 2>/dev/null; then
    kill "$PROGRAM" 2>/dev/null || true
    fail "the program did not end after Alt+F4"
  fi
  wait "$PROGRAM" || status=$?
  [ "$status" -eq 0 ] || fail "exit status $status after closing the window"
}

# Every given line must appear in the file, in this order.
expect_in_order() {
  local file=$1; shift
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

# ---- run 1: start, draw, close ----------------------------------------------
echo "== ironvale-win32.exe under Wine"
start_program single
wait_log "starting WHILE loop" 90 || fail "the main loop did not start"
WIN=$(find_window) || fail "no program window"
sleep 3
xwd -silent -root | convert xwd:- "$OUT/window.png"
# The window shows the program's drawing: many colours, not one cleared screen.
COLOURS=$(convert "$OUT/window.png" -format %k info:)
[ "$COLOURS" -ge 20 ] || fail "the window shows only $COLOURS colours ($OUT/window.png)"
close_program "$WIN"
# log.txt opens inside kxAppInit: main's first lines reach standard output only.
expect_in_order "$RUN/stdout.txt" "main start" "kxAppZero..." "Opening LOG.txt" "Initializing OpenGL: " \
  "starting WHILE loop" "kxAppTerm:  " "END "
expect_in_order "$RUN/log.txt" "LOG START" "Initializing OpenGL: " "Auto pixel format" \
  "--- glkxInit ---" "OpenGL Version string: [4.5" "WGL_EXT_swap_control is" "WGL ChoosePixelFormat is" \
  "--- shader init ---" "MSAA is" "updating size" "starting WHILE loop" "bQuit = TRUE" \
  "in main: after loop end" "in main: calling kxAppTerm ... " "kxAppTerm:  " "LOG END"
grep -q "NTEST: glError" "$RUN/log.txt" && fail "GL errors in the log"
echo "ok: start-up log in order, window drawn ($COLOURS colours, $OUT/window.png), exit status 0"

# ---- run 2: a client joins a Linux server ----------------------------------
# The option's text is in the program once the game's option parsing is linked in.
if grep -qaF -- '--connect' "$BIN/ironvale-win32.exe"; then
  HOSTBUILD=${IRONVALE_HOST_BUILD:-$ROOT/build/windows-host}
  cmake --build "$HOSTBUILD" --target ironvale-server >/dev/null
  PORT=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
  "$HOSTBUILD/bin/ironvale-server" --port "$PORT" >"$OUT/server.txt" 2>&1 &
  SERVER=$!
  for _ in $(seq 1 25); do grep -q "listening" "$OUT/server.txt" && break; sleep 0.2; done
  # With a name as well, the game joins at start without the menus.
  start_program connect --connect "127.0.0.1:$PORT" --name WinePlayer
  joined=0
  for _ in $(seq 1 150); do grep -q "^joined: " "$OUT/server.txt" && { joined=1; break; }; sleep 0.2; done
  WIN=$(find_window) || fail "no program window (connect)"
  close_program "$WIN"
  kill "$SERVER" 2>/dev/null || true
  wait "$SERVER" 2>/dev/null || true
  [ "$joined" -eq 1 ] || fail "the server saw no join: $(cat "$OUT/server.txt")"
  echo "ok: ironvale-win32.exe --connect 127.0.0.1:$PORT joined the Linux server"
else
  echo "skip: the program has no --connect option yet"
fi

echo "== Windows tests passed in $(($(date +%s) - START)) s"
