#!/bin/sh
# Takes the pictures of the README and the AppStream metadata afresh: the program itself runs
# offscreen on the simulated harbour and saves its screen (--save-screen), which is converted
# to PNG in docs/. Run it after a change to what the window shows, then look at the pictures
# before committing them.
# Usage: scripts/take-screenshots.sh [BUILD-DIR]   (defaults to build/release)
set -e
cd "$(dirname "$0")/.."
BUILD=${1:-build/release}
SECONDS_EACH=${SCREENSHOT_SECONDS:-40}
if [ ! -x "$BUILD/app/tarvisk" ]; then
  cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  cmake --build "$BUILD" -j "$(nproc)" --target tarvisk
fi
command -v convert >/dev/null || { echo "take-screenshots: needs ImageMagick's convert"; exit 1; }
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT

# shoot NAME SETTINGS...: one run with a TARVISK.INI of these [Settings] lines.
shoot() {
  name=$1
  shift
  printf '[Settings]\n' > "$WORK/$name.ini"
  for line in "$@"; do printf '%s\n' "$line" >> "$WORK/$name.ini"; done
  QT_QPA_PLATFORM=offscreen "$BUILD/app/tarvisk" --simulate --ini "$WORK/$name.ini" \
    --quit-after "$SECONDS_EACH" --save-screen "$WORK/$name.bmp" > "$WORK/$name.log" 2>&1
}

# The runs wait on the simulated line's pace most of the time, so they share the machine.
shoot tarvisk-screen & pids=$!
shoot sim-harbour-sector GridMode=0 Speed=3 & pids="$pids $!"
shoot sim-harbour-polar GridMode=1 Speed=4 & pids="$pids $!"
shoot sim-harbour-ss GridMode=2 SSTrain=2 & pids="$pids $!"
failed=0
for pid in $pids; do wait "$pid" || failed=1; done
for name in tarvisk-screen sim-harbour-sector sim-harbour-polar sim-harbour-ss; do
  if [ ! -s "$WORK/$name.bmp" ]; then
    cat "$WORK/$name.log"
    echo "take-screenshots: no capture for $name"
    failed=1
    continue
  fi
  # No time stamps in the PNG, so an unchanged picture gives an unchanged file.
  convert "$WORK/$name.bmp" -strip -define png:exclude-chunks=date,time "docs/$name.png"
  echo "docs/$name.png"
done
exit $failed
