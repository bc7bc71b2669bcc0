#!/bin/sh
# Builds the Debian package out/tarvisk_VERSION_ARCH.deb from the source package in debian/,
# with dpkg-buildpackage as a distribution's build service would. It builds in a copy of the
# tree (the committed files and the new ones not ignored), because dpkg-buildpackage leaves
# its results beside the source folder. The package's own test run is left out unless
# DEB_BUILD_OPTIONS is set (scripts/run-tests.sh runs the tests itself); ccache is used when
# it is there.
# Usage: scripts/make-package.sh [WORK-DIR]   (defaults to build/deb)
set -e
cd "$(dirname "$0")/.."
WORK=${1:-build/deb}
scripts/install-deps.sh
VERSION=$(dpkg-parsechangelog -S Version)
SOURCE="$WORK/tarvisk-$VERSION"
rm -rf "$SOURCE"
mkdir -p "$SOURCE" out
git ls-files -z --cached --others --exclude-standard |
  tar --null -T - --ignore-failed-read -cf - 2>/dev/null | tar -xf - -C "$SOURCE"
export DEB_BUILD_OPTIONS="${DEB_BUILD_OPTIONS:-nocheck} parallel=$(nproc)"
(cd "$SOURCE" && dpkg-buildpackage -us -uc -b) > "$WORK/build.log" 2>&1 ||
  { tail -40 "$WORK/build.log"; echo "make-package: dpkg-buildpackage failed ($WORK/build.log)"; exit 1; }
ARCH=$(dpkg-architecture -qDEB_HOST_ARCH)
cp "$WORK/tarvisk_${VERSION}_$ARCH.deb" out/
echo "Package: out/tarvisk_${VERSION}_$ARCH.deb"
