#!/usr/bin/env bash
# Short libFuzzer runs of every network and file parser under AddressSanitizer (leak checks
# on) and UndefinedBehaviorSanitizer, each on a copy of its seed corpus. Fails on any crash.
# FUZZ_SECONDS sets the time per harness (default 10); FUZZ_JOBS harnesses run at once
# (default 2). File parsers are seeded from the generated asset tree, FUZZ_ASSETS (default
# build/sanitize/assets, which scripts/test.sh builds).
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD=build/fuzz
SECONDS_EACH=${FUZZ_SECONDS:-10}
JOBS=${FUZZ_JOBS:-2}
ASSETS=${FUZZ_ASSETS:-build/sanitize/assets}

# One line per harness: its name, then seed files under $ASSETS (tests/fuzz/corpus/<name>/ is
# always taken when it exists). A harness named here must be built by tests/fuzz/CMakeLists.txt.
HARNESSES=(
  "fuzz_client_frames"
  "fuzz_client_datagram"
  "fuzz_netman_client"
  "fuzz_server_frames"
  "fuzz_server_datagram"
  "fuzz_server_message"
  "fuzz_rawmdl models/redcross.rawmdl models/laserbullet.rawmdl"
  "fuzz_png textures/white.png textures/gui.png"
  "fuzz_ogg sounds/hit.ogg sounds/step0.ogg"
  "fuzz_text_registry"
  "fuzz_font font/fontcyr.bin"
)

CC=clang CXX=clang++ cmake -S tests/fuzz -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DIRONVALE_FUZZ=ON -DIRONVALE_TESTS=OFF >/dev/null
cmake --build "$BUILD" --target fuzz_harnesses

# Scratch files (corpora, and the inputs the file harnesses write) live in memory when possible.
WORK=$(mktemp -d -p /dev/shm 2>/dev/null || mktemp -d)
trap 'rm -rf "$WORK"' EXIT
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export LSAN_OPTIONS=suppressions=$PWD/scripts/lsan.supp:print_suppressions=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1

# Seeds of parsers whose inputs no asset file holds.
seed_extra() {
  case $1 in
    fuzz_text_registry)  # two entries, "Start" and "Quit", in a 16-byte buffer
      printf '\002\0\0\0\020\0\0\0\005\0\0\0Start\004\0\0\0Quit' >"$2/two_entries" ;;
  esac
}

run_one() {
  local h=$1
  shift
  mkdir -p "$WORK/$h"
  if [ -d tests/fuzz/corpus/"$h" ]; then cp tests/fuzz/corpus/"$h"/* "$WORK/$h/"; fi
  for f in "$@"; do
    if [ ! -f "$ASSETS/$f" ]; then
      echo "fuzz: $h: seed $ASSETS/$f is missing (build the assets first, or set FUZZ_ASSETS)"
      return 1
    fi
    cp "$ASSETS/$f" "$WORK/$h/"
  done
  seed_extra "$h" "$WORK/$h"
  if TMPDIR="$WORK" "$BUILD/fuzz/$h" -max_total_time="$SECONDS_EACH" -timeout=10 -rss_limit_mb=2048 \
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
for ((i = 0; i < ${#HARNESSES[@]}; i += JOBS)); do
  pids=()
  for line in "${HARNESSES[@]:i:JOBS}"; do
    # shellcheck disable=SC2086  # the line splits into the name and its seeds
    run_one $line & pids+=($!)
  done
  for p in "${pids[@]}"; do wait "$p" || status=1; done
done
if [ "$status" -ne 0 ]; then
  echo "fuzz: failures found; crash inputs kept in $BUILD/crashes/"
fi
exit "$status"
