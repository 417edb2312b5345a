#!/usr/bin/env bash
# Install what is needed, build under AddressSanitizer and UndefinedBehaviorSanitizer,
# then run every test against a private Xvfb with Mesa's software GL, and the
# short fuzz runs. IRONVALE_BUILD names another build folder of the same settings.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
BUILD=${IRONVALE_BUILD:-build/sanitize}
phase() { echo "test.sh: $1 done at ${SECONDS} s"; }
cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DIRONVALE_SANITIZE=ON -DIRONVALE_BENCH=ON
cmake --build "$BUILD"
phase build

source scripts/xvfb.sh
xvfb_start
trap xvfb_stop EXIT

export LIBGL_ALWAYS_SOFTWARE=1
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export LSAN_OPTIONS=suppressions=$PWD/scripts/lsan.supp:print_suppressions=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export ALSOFT_DRIVERS=null
ctest --test-dir "$BUILD" --output-on-failure -j2 --timeout 300
phase ctest

if [ -x scripts/fuzz.sh ]; then
  FUZZ_ASSETS="$BUILD/assets" scripts/fuzz.sh
  phase fuzz
fi
