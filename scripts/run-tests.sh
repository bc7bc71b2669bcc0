#!/bin/sh
# Sets up, builds and runs the whole test suite: the normal build, ASan+UBSan and TSan over
# every test (the window's too), and a short run of every fuzz target. Exits non-zero when
# anything fails.
set -e
cd "$(dirname "$0")/.."
ROOT=$(pwd)
JOBS=$(nproc)
# Each stage's time, printed again at the end: a CI log keeps only its tail.
STARTED=$(date +%s)
TIMES=""
stage() {
  now=$(date +%s)
  if [ -n "$STAGE" ]; then TIMES="$TIMES$(printf '%6ss  %s' $((now - STAGE_START)) "$STAGE")
"; fi
  STAGE=$1
  STAGE_START=$now
  if [ -n "$1" ]; then echo "== $1"; fi
}
STAGE=""
summary() {
  status=$?
  stage ""
  printf 'Stage times:\n%s%6ss  in all\n' "$TIMES" $(($(date +%s) - STARTED))
  exit $status
}
trap summary EXIT
stage "Setup (Debian packages)"
scripts/install-deps.sh
export QT_QPA_PLATFORM=offscreen

configure() {  # configure DIR CMAKE-ARGS...
  dir=$1; shift
  cmake -S "$ROOT" -B "$dir" -G Ninja -DTARVISK_BENCH=OFF "$@" >/dev/null
}
build() {  # build DIR CMAKE-ARGS...
  configure "$@"
  cmake --build "$1" -j "$JOBS"
}

stage "Build and test"
build build/release -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTARVISK_BENCH=ON
ctest --test-dir build/release --output-on-failure --timeout 600 -j "$JOBS"

stage "The window and program tests again, under a decimal-comma locale"
# Only the Qt programs take the locale from the environment; every number they show, take
# and write must keep the point all the same.
LC_ALL=de_DE.UTF-8 ctest --test-dir build/release --output-on-failure --timeout 600 \
  -j "$JOBS" -L 'gui|program'

stage "Debian package (dpkg-buildpackage, its tests left to the stages here)"
scripts/check-package.sh

# The sanitizer stages build everything, the window included, and run every test: the window
# and program tests offscreen. Libraries that are not built with a sanitizer (Qt, GDAL) get
# entries in the suppression files, each with its reason.
SUPP="$ROOT/scripts/sanitizers"

stage "ASan + UBSan (everything, in de_DE.UTF-8)"
build build/asan -DCMAKE_BUILD_TYPE=Debug "-DTARVISK_SANITIZE=address;undefined"
# Under a decimal-comma locale as a whole: whatever would pick the locale up must keep the point.
LC_ALL=de_DE.UTF-8 ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  LSAN_OPTIONS="suppressions=$SUPP/lsan-qt.supp:print_suppressions=0" \
  ctest --test-dir build/asan --output-on-failure --timeout 900 -j "$JOBS"

stage "TSan (everything)"
build build/tsan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTARVISK_SANITIZE=thread
TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1 suppressions=$SUPP/tsan-qt.supp" \
  ctest --test-dir build/tsan --output-on-failure --timeout 900 -j "$JOBS"

if command -v clang++ >/dev/null; then
  stage "Fuzz targets (short runs)"
  configure build/fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
    -DTARVISK_FUZZ=ON -DTARVISK_GUI=OFF
  cmake --build build/fuzz -j "$JOBS" --target fuzzers
  for f in build/fuzz/tests/*_fuzz; do
    [ -x "$f" ] || continue
    name=$(basename "$f")
    corpus="build/fuzz/corpus/$name"
    mkdir -p "$corpus"
    seeds="tests/fuzz/seeds/$name"
    [ -d "$seeds" ] || seeds=""
    echo "-- $name"
    log="build/fuzz/$name.log"
    if ! "$f" -max_total_time="${FUZZ_SECONDS:-20}" -timeout=10 -rss_limit_mb=2048 \
        "$corpus" $seeds >"$log" 2>&1; then
      tail -40 "$log"
      echo "Fuzz target $name found a failure (log: $log)"
      exit 1
    fi
    tail -1 "$log"
  done
fi
echo "All test stages passed."
