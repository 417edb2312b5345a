#!/usr/bin/env bash
# Multiplayer played end to end on 127.0.0.1: ironvale-server on a free port, two
# ironvale-x11 clients (each on its own Xvfb, driven with xdotool) joining with
# --connect and --name. Checks what each player gets: both join, each sees the other
# walk, a chat line reaches the other, one shoots the other and both score tables show
# the frag and the death, one leaves and the other's list shrinks, the
# server stopping sends the last one to the status screen. Then one client and eleven
# load-generator players: eleven figures and the frame rate. Screenshots land in
# $BIN/../contact/mp-*.png.
# Usage: mp_e2e.sh BIN_DIR
set -uo pipefail
BIN=$(cd "$1" && pwd)
CONTACT="$BIN/../contact"
WORK=$(mktemp -d)
PIDS=()
cleanup() {
  for p in "${PIDS[@]}"; do kill "$p" 2>/dev/null; done
  wait 2>/dev/null
  [ -n "${KEEP_WORK:-}" ] && cp "$WORK"/*.log "$CONTACT/" 2>/dev/null
  rm -rf "$WORK"
}
trap cleanup EXIT
mkdir -p "$CONTACT"
export LIBGL_ALWAYS_SOFTWARE=1 ALSOFT_DRIVERS=null IRONVALE_NET_TRACE=1
export ASAN_OPTIONS=detect_leaks=0 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
FAILS=0
check() {  # check "what" command...
  local what=$1; shift
  if "$@"; then echo "ok: $what"; else echo "FAILED: $what"; FAILS=$((FAILS + 1)); fi
}
# wait_for FILE PATTERN [SECONDS]
wait_for() {
  local end=$((SECONDS + ${3:-60}))
  until grep -qE "$2" "$1" 2>/dev/null; do
    [ $SECONDS -ge $end ] && return 1
    sleep 0.3
  done
}
xvfb() {  # prints the display number of a new Xvfb (room for the 1024x600 window at 100,100)
  local fifo; fifo=$(mktemp -u); mkfifo "$fifo"
  Xvfb -displayfd 3 -screen 0 1124x700x24 -nolisten tcp -noreset +extension GLX 3>"$fifo" >/dev/null 2>&1 &
  PIDS+=($!)
  local n; read -r n <"$fifo"; rm -f "$fifo"
  echo "$n"
}
shot() {  # shot DISPLAY NAME
  xwd -root -display ":$1" -silent | convert xwd:- "$CONTACT/mp-$2.png" 2>/dev/null
}
client() {  # client NAME DISPLAY PORT -> starts it with its own start directory
  mkdir -p "$WORK/$1"
  (cd "$WORK/$1" && DISPLAY=":$2" exec "$BIN/ironvale-x11" --connect "127.0.0.1:$3" --name "$1" >"$WORK/$1.log" 2>&1) &
  PIDS+=($!)
  eval "PID_$1=$!"
}
last_pos() {  # last_pos LOG NAME -> "x y" of NAME's last traced slot
  grep -E "net: slot [0-9]+ $2 at" "$1" | tail -1 | sed -E 's/.* at ([-0-9.]+) ([-0-9.]+).*/\1 \2/'
}
moved() {  # moved "x1 y1" "x2 y2" -> distance above 0.5
  awk -v a="$1" -v b="$2" 'BEGIN { split(a, p); split(b, q); d = (p[1]-q[1])^2 + (p[2]-q[2])^2; exit !(d > 0.25) }'
}

PORT=$((20000 + RANDOM % 40000))
"$BIN/ironvale-server" --port "$PORT" --name "E2E Arena" >"$WORK/server.log" 2>&1 &
SERVER=$!; PIDS+=($SERVER)
DA=$(xvfb); DB=$(xvfb)
client Alice "$DA" "$PORT"
client Bob "$DB" "$PORT"

check "server prints both joins" wait_for "$WORK/server.log" '"Bob".*2 users|"Alice".*2 users' 120
check "Alice sees Bob in a slot" wait_for "$WORK/Alice.log" 'net: slot 0 Bob at' 60
check "Bob sees Alice in a slot" wait_for "$WORK/Bob.log" 'net: slot 0 Alice at' 60
sleep 2
shot "$DA" alice-joined

# Bob walks (forward, back, to each side); Alice's trace follows him somewhere.
mark=$(wc -l <"$WORK/Alice.log")
before=$(last_pos "$WORK/Alice.log" Bob)
for k in w s d a; do
  DISPLAY=":$DB" xdotool keydown $k; sleep 1.5; DISPLAY=":$DB" xdotool keyup $k
done
sleep 2.5
far=$(tail -n +"$mark" "$WORK/Alice.log" | grep -E "net: slot [0-9]+ Bob at" | sed -E 's/.* at ([-0-9.]+) ([-0-9.]+).*/\1 \2/' |
  while read -r p; do moved "$before" "$p" && echo "$p"; done | head -1)
echo "Bob seen by Alice: from ($before), later at (${far:-the same place})"
check "Alice sees Bob walk" test -n "$far"
shot "$DA" alice-sees-bob

# Alice chats: Y, the text, Return; it reaches Bob's chat box.
DISPLAY=":$DA" xdotool key y; sleep 0.6
DISPLAY=":$DA" xdotool type --delay 40 "hello bob"; DISPLAY=":$DA" xdotool key Return
check "Bob gets Alice's chat line" wait_for "$WORK/Bob.log" 'Got TEXT message, index=0: Alice: hello bob' 20
sleep 0.5
shot "$DB" bob-chat

# Alice shoots Bob. Every player starts facing +y; nobody touches the mouse, so that
# stays. Alice walks into the spawn room's south-west corner and Bob into its north-west
# one: both stand at x -32.3, Bob 5.4 ahead of Alice. She takes the spread gun (its
# pellets start where she fired them, not moved on by the pings as machine-gun rounds
# are) and holds the trigger 3 s: shots 100 ticks apart, six pellets of 6 damage each,
# so Bob (60 health) dies at the second or third and is still dead when she lets go.
# Bob's game decides the hits and reports his death with Alice as the killer; Alice's
# game counts the frag from that report.
DISPLAY=":$DA" xdotool key 2
DISPLAY=":$DA" xdotool keydown a s
DISPLAY=":$DB" xdotool keydown a w
sleep 2.5
DISPLAY=":$DA" xdotool keyup a s
DISPLAY=":$DB" xdotool keyup a w
check "Alice sees Bob in the north-west corner" wait_for "$WORK/Alice.log" 'net: slot 0 Bob at -32.30 12.30 ' 10
check "Bob sees Alice in the south-west corner" wait_for "$WORK/Bob.log" 'net: slot 0 Alice at -32.30 6.90 ' 10
# F3 twice: the free camera on and off again, which logs where Alice looks from.
DISPLAY=":$DA" xdotool key F3; sleep 0.5; DISPLAY=":$DA" xdotool key F3
check "Alice looks level along +y" wait_for "$WORK/Alice.log" 'Camera: -32.300 6.900 1.000 \| 1.571 -?0.000 0.000' 10
fire=$SECONDS
DISPLAY=":$DA" xdotool mousedown 1; sleep 3; DISPLAY=":$DA" xdotool mouseup 1
check "Bob's game tells him Alice killed him" wait_for "$WORK/Bob.log" 'net: chat You were killed by Alice' 20
check "Alice's game tells her she killed Bob" wait_for "$WORK/Alice.log" 'net: chat Alice killed Bob' 20
table='net: score (Alice 1 0 \| Bob 0 1|Bob 0 1 \| Alice 1 0) $'
check "Alice's table: Alice 1 frag, Bob 1 death" wait_for "$WORK/Alice.log" "$table" 20
check "Bob's table: Alice 1 frag, Bob 1 death" wait_for "$WORK/Bob.log" "$table" 20
echo "from the trigger to both tables: $((SECONDS - fire)) s"
for p in Alice:$DA Bob:$DB; do
  n=${p%%:*}; d=${p#*:}
  DISPLAY=":$d" xdotool keydown Tab; sleep 1.5
  shot "$d" "score-${n,,}"
  DISPLAY=":$d" xdotool keyup Tab
done
# Still one frag and one death: nothing else counted since.
last_table_is() { grep 'net: score' "$1" | tail -1 | grep -qE "$2"; }
for n in Alice Bob; do check "$n's table holds" last_table_is "$WORK/$n.log" "$table"; done

# Bob leaves: Alice's user list shrinks to one and Bob's slot empties.
kill "$PID_Bob"
check "server prints Bob leaving" wait_for "$WORK/server.log" 'left: id [0-9]+ "Bob" \(1 users\)' 20
check "Alice's list shrinks" wait_for "$WORK/Alice.log" 'Got USERLIST message, icount=1 ' 20

# The server stops: Alice lands on the status screen with its message.
kill -TERM "$SERVER"
check "Alice is told the connection ended" wait_for "$WORK/Alice.log" 'GameNetManOnDisconnect' 20
sleep 1
shot "$DA" alice-server-gone
kill "$PID_Alice"

# Twelve players: one client and eleven load-generator users.
PORT=$((20000 + RANDOM % 40000))
"$BIN/ironvale-server" --port "$PORT" >"$WORK/server12.log" 2>&1 &
PIDS+=($!)
DC=$(xvfb)
client Carol "$DC" "$PORT"
check "Carol joins" wait_for "$WORK/server12.log" '"Carol"' 120
"$BIN/ironvale-loadgen" --port "$PORT" --clients 11 --seconds 14 >"$WORK/loadgen.log" 2>&1 &
LOADGEN=$!; PIDS+=($LOADGEN)
# The eleventh slot filled by a load-generator user (which one joined last varies).
check "Carol sees eleven figures" wait_for "$WORK/Carol.log" 'net: slot 10 load-[0-9]+ at' 12
sleep 2  # the window title carries the frame rate of the last 500 ms
fps=$(DISPLAY=":$DC" xdotool search --name fps getwindowname 2>/dev/null | sed -E 's/.*, ([0-9]+) fps/\1/' | head -1)
echo "frame rate with twelve players: ${fps:-?} fps"
shot "$DC" twelve-players
wait "$LOADGEN"
tail -1 "$WORK/loadgen.log"

if [ "$FAILS" -ne 0 ]; then
  for f in "$WORK"/*.log; do echo "---- $f"; tail -25 "$f"; done
fi
exit "$FAILS"
