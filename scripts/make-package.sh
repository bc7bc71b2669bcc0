#!/bin/sh
# Builds the Debian package out/tarvisk_VERSION_ARCH.deb from a release build of its own.
# Usage: scripts/make-package.sh [BUILD-DIR]   (the directory defaults to build/package)
set -e
cd "$(dirname "$0")/.."
ROOT=$(pwd)
DIR=${1:-build/package}
scripts/install-deps.sh
if [ ! -f "$DIR/CMakeCache.txt" ]; then
  cmake -S "$ROOT" -B "$DIR" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
    -DTARVISK_TESTS=OFF -DTARVISK_BENCH=OFF >/dev/null
fi
cmake --build "$DIR" -j "$(nproc)"
(cd "$DIR" && cpack -G DEB >/dev/null)
mkdir -p out
for deb in "$DIR"/tarvisk_*.deb; do
  cp "$deb" out/
  echo "Package: out/$(basename "$deb")"
done
