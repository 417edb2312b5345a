#!/usr/bin/env bash
# Install what is needed, build under AddressSanitizer and UndefinedBehaviorSanitizer,
# then run every test against a private Xvfb with Mesa's software GL, the short fuzz
# runs, and the Windows program under Wine (scripts/test-windows.sh: it cross-builds
# the program, installing its own tools the first time, and joins this build's
# ironvale-server). IRONVALE_BUILD names another build folder of the same settings.
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

# Last, so the Linux results are in before the long cross-build starts.
IRONVALE_HOST_BUILD="$BUILD" scripts/test-windows.sh || {
  echo "test.sh: FAIL: the Windows program under Wine (scripts/test-windows.sh; logs and pictures in build/windows/test/)" >&2
  exit 1
}
phase windows
