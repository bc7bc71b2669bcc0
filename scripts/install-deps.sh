#!/bin/sh
# Installs the Debian packages Tarvisk needs to build, test and run; skips what is there.
set -e
PACKAGES="build-essential cmake ninja-build pkg-config googletest libgtest-dev libbenchmark-dev
  clang libclang-rt-14-dev qt6-base-dev qt6-base-dev-tools libgl-dev fonts-dejavu-core
  libgdal-dev libproj-dev gdal-bin python3
  xvfb xauth imagemagick xdotool
  dpkg-dev debhelper ccache file lintian desktop-file-utils appstream shared-mime-info man-db
  locales"
SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO=sudo
missing=""
for p in $PACKAGES; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
if [ -n "$missing" ]; then
  echo "Installing:$missing"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends $missing
fi
# The window tests run a second time under a decimal-comma locale.
if ! locale -a 2>/dev/null | grep -qix 'de_DE\.utf-\?8'; then
  echo "Generating the de_DE.UTF-8 locale"
  $SUDO localedef -i de_DE -f UTF-8 de_DE.UTF-8
fi
