#!/usr/bin/env bash
# Short libFuzzer runs of every network parser under AddressSanitizer and
# UndefinedBehaviorSanitizer, each on a copy of its seed corpus. Fails on any crash.
# FUZZ_SECONDS sets the time per harness (default 20); two harnesses run at once.
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD=build/fuzz
SECONDS_EACH=${FUZZ_SECONDS:-20}
HARNESSES=(fuzz_client_frames fuzz_client_datagram fuzz_netman_client
           fuzz_server_frames fuzz_server_datagram fuzz_server_message)

CC=clang CXX=clang++ cmake -S tests/fuzz -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DIRONVALE_FUZZ=ON -DIRONVALE_TESTS=OFF >/dev/null
cmake --build "$BUILD" --target fuzz_harnesses

WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
export ASAN_OPTIONS=detect_leaks=0:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1

run_one() {
  local h=$1
  mkdir -p "$WORK/$h"
  cp tests/fuzz/corpus/"$h"/* "$WORK/$h/"
  if "$BUILD/fuzz/$h" -max_total_time="$SECONDS_EACH" -timeout=10 -rss_limit_mb=2048 \
       -artifact_prefix="$WORK/$h-" "$WORK/$h" >"$WORK/$h.log" 2>&1; then
    echo "fuzz: $h ok ($(grep -o 'Done [0-9]* runs' "$WORK/$h.log" || echo 'done'))"
  else
    echo "fuzz: $h FAILED"
    grep -E -A30 'ERROR|runtime error|SUMMARY|deadly signal' "$WORK/$h.log" | head -60
    mkdir -p "$BUILD/crashes"
    cp "$WORK/$h"-* "$BUILD/crashes/" 2>/dev/null || true
    return 1
  fi
}

status=0
for ((i = 0; i < ${#HARNESSES[@]}; i += 2)); do
  pids=()
  for h in "${HARNESSES[@]:i:2}"; do
    run_one "$h" & pids+=($!)
  done
  for p in "${pids[@]}"; do wait "$p" || status=1; done
done
if [ "$status" -ne 0 ]; then
  echo "fuzz: failures found; crash inputs kept in $BUILD/crashes/"
fi
exit "$status"
