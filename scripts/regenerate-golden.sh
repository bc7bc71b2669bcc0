#!/bin/sh
# Rewrites the golden files of tests/golden from the recording there: the ksd info dump, the
# checksums of the rendered frames, the XYZ files and the colour tables. With --record it first
# makes a new recording on the simulator (about half a minute; new time stamps, so every golden
# file changes). A golden file changes only in a commit whose message says why.
#
#   scripts/regenerate-golden.sh [--record] [BUILD_DIR]     (BUILD_DIR defaults to bld)
set -eu
record=0
if [ "${1:-}" = "--record" ]; then
    record=1
    shift
fi
build=${1:-bld}
cd "$(dirname "$0")/.."
cmake --build "$build" --target golden_tests tarvisk-tool
if [ "$record" = 1 ]; then
    "$build/tests/golden_tests" --gtest_also_run_disabled_tests \
        --gtest_filter=GoldenRecording.DISABLED_Record
fi
TARVISK_GOLDEN_UPDATE=1 "$build/tests/golden_tests" --gtest_filter='Golden.*'
"$build/tests/golden_tests" --gtest_filter='Golden.*'
git status --short tests/golden
echo "Commit the changed golden files with a message that says why they changed."
