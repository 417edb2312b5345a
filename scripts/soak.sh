#!/usr/bin/env bash
# Soak run: ironvale-server with load-generator clients joining, chatting and leaving
# continuously (three groups of up to four, so at most 12 users) for MINUTES minutes.
# Every 10 s it samples the server's resident memory and its open descriptors; descriptors
# are also shown without the client connections open at that moment ("fixed"), the number
# that must not move. Fails when the resident memory or the fixed descriptors grow after the
# first minute (their highest value within it is the reference), when any client run saw a
# disconnect or failed to join (a protocol error), or when the server dies.
# Usage: scripts/soak.sh MINUTES   (SOAK_BUILD: build folder, default build/release)
set -euo pipefail
cd "$(dirname "$0")/.."
MINUTES=${1:?usage: scripts/soak.sh MINUTES}
BUILD=${SOAK_BUILD:-build/release}
RSS_SLACK_KB=${SOAK_RSS_SLACK_KB:-64}  # malloc may take a page or two back and forth

if [ ! -f "$BUILD/CMakeCache.txt" ]; then
  cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release -DIRONVALE_TESTS=OFF >/dev/null
fi
cmake --build "$BUILD" --target ironvale-server ironvale-loadgen >/dev/null
SERVER="$BUILD/bin/ironvale-server"
LOADGEN="$BUILD/bin/ironvale-loadgen"

WORK=$(mktemp -d)
SERVER_PID=""
GROUP_PIDS=()
cleanup() {
  for p in "${GROUP_PIDS[@]}"; do
    pkill -TERM -P "$p" 2>/dev/null || true  # its load generator
    kill "$p" 2>/dev/null || true
  done
  [ -n "$SERVER_PID" ] && kill "$SERVER_PID" 2>/dev/null || true
  wait 2>/dev/null || true
  rm -rf "$WORK"
}
trap cleanup EXIT

# A free port: the server exits at once when the port is taken.
for attempt in $(seq 1 20); do
  PORT=$((20000 + RANDOM % 40000))
  "$SERVER" --port "$PORT" --name "Soak Server" >"$WORK/server.log" 2>&1 &
  SERVER_PID=$!
  for _ in $(seq 1 50); do
    grep -q "listening on port" "$WORK/server.log" && break
    kill -0 "$SERVER_PID" 2>/dev/null || break
    sleep 0.1
  done
  grep -q "listening on port" "$WORK/server.log" && break
  SERVER_PID=""
done
[ -n "$SERVER_PID" ] || { echo "soak: the server did not start"; exit 1; }
echo "soak: ironvale-server pid $SERVER_PID on port $PORT for $MINUTES min"

END=$(($(date +%s) + MINUTES * 60))
# One group: runs of 1 to 4 clients for 2 to 9 s each, back to back, chatting and sending
# events; a failed run is recorded with its report.
group() {
  local g=$1 run=0
  while [ "$(date +%s)" -lt "$END" ]; do
    run=$((run + 1))
    local n=$((1 + RANDOM % 4)) secs=$((2 + RANDOM % 8)) out="$WORK/group$g.run"
    if ! "$LOADGEN" --port "$PORT" --clients "$n" --seconds "$secs" --events 7 --texts 5 --json >"$out" 2>&1
    then
      { echo "group $g run $run ($n clients, $secs s) failed:"; cat "$out"; } >>"$WORK/failures"
    fi
    echo "$n" >>"$WORK/group$g.joins"
  done
}
for g in 1 2 3; do
  group "$g" &
  GROUP_PIDS+=($!)
done

# One look at the server: its descriptors, and how many of them are client connections that
# are established (a socket the server forgot to close lingers in another state and counts
# as fixed). A client coming or going between the reads, or a closed connection the server
# has not been scheduled to reap yet, skews one look, so the smallest "fixed" of five looks
# over two seconds is kept: a leaked descriptor stays in all of them.
look() {
  local links
  links=$(find "/proc/$SERVER_PID/fd" -mindepth 1 -printf '%l\n' 2>/dev/null || true)
  fds=$(grep -c . <<<"$links" || true)
  clients=$(grep -Fxc -f <(awk -v p="$(printf ':%04X' "$PORT")" \
      '$2 ~ p"$" && $4 == "01" {print "socket:[" $10 "]"}' /proc/net/tcp /proc/net/tcp6) <<<"$links" || true)
  fixed=$((fds - clients))
}
sample() {
  local best_fds best_clients best_fixed=1000000
  for _ in 1 2 3 4 5; do
    look
    if ((fixed < best_fixed)); then best_fds=$fds best_clients=$clients best_fixed=$fixed; fi
    sleep 0.4
  done
  fds=$best_fds clients=$best_clients fixed=$best_fixed
  rss=$(awk '/^VmRSS:/ {print $2}' "/proc/$SERVER_PID/status")
}

printf '%6s %10s %5s %8s %6s %8s\n' "time_s" "rss_kb" "fds" "clients" "fixed" "runs"
start=$(date +%s)
ref_rss=0 ref_fixed=0 grew="" next=$start
while :; do
  next=$((next + 10))
  (($(date +%s) < next)) && sleep $((next - $(date +%s)))
  t=$(($(date +%s) - start))
  kill -0 "$SERVER_PID" 2>/dev/null || { echo "soak: the server died"; exit 1; }
  sample
  runs=$(cat "$WORK"/group*.joins 2>/dev/null | wc -l)
  printf '%6d %10d %5d %8d %6d %8d\n' "$t" "$rss" "$fds" "$clients" "$fixed" "$runs"
  if [ "$t" -le 60 ]; then
    ((rss > ref_rss)) && ref_rss=$rss
    ((fixed > ref_fixed)) && ref_fixed=$fixed
  else
    ((rss > ref_rss + RSS_SLACK_KB)) && grew="$grew resident memory ${rss} kB at ${t} s (first minute: ${ref_rss} kB);"
    ((fixed > ref_fixed)) && grew="$grew descriptors ${fixed} at ${t} s (first minute: ${ref_fixed});"
  fi
  [ "$(date +%s)" -ge "$END" ] && break
done
for p in "${GROUP_PIDS[@]}"; do wait "$p" || true; done
GROUP_PIDS=()
users=$(awk '{s += $1} END {print s + 0}' "$WORK"/group*.joins 2>/dev/null)
joined=$(grep -c "^joined: id" "$WORK/server.log" || true)
echo "soak: $users client sessions requested, $joined joined the server"
status=0
if [ -n "$grew" ]; then echo "soak: FAILED, growth after the first minute:$grew"; status=1; fi
if [ -s "$WORK/failures" ]; then
  echo "soak: FAILED, client runs with a protocol error or a failed join:"
  head -40 "$WORK/failures"
  status=1
fi
kill -TERM "$SERVER_PID"
wait "$SERVER_PID" || { echo "soak: the server did not stop cleanly"; status=1; }
SERVER_PID=""
[ "$status" -eq 0 ] && echo "soak: ok"
exit "$status"
