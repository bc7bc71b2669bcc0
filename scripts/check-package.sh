#!/bin/sh
# Builds the Debian package and checks it as a user's machine would see it: its contents,
# the desktop entry and metadata validators, the programs run from a staging copy, lintian,
# and (as root) a real install and removal with apt.
# Usage: scripts/check-package.sh [BUILD-DIR]
set -e
cd "$(dirname "$0")/.."
scripts/make-package.sh "$@"
DEB=$(ls -t out/tarvisk_*.deb | head -1)
STAGE=$(mktemp -d)
trap 'rm -rf "$STAGE"' EXIT
fail() { echo "check-package: $*" >&2; exit 1; }

echo "-- contents of $DEB"
dpkg-deb -c "$DEB" > "$STAGE/contents"
for f in ./usr/bin/tarvisk ./usr/bin/tarvisk-tool ./usr/bin/tarvisk-headsim \
         ./usr/share/applications/org.tarvisk.Tarvisk.desktop \
         ./usr/share/metainfo/org.tarvisk.Tarvisk.metainfo.xml \
         ./usr/share/icons/hicolor/48x48/apps/org.tarvisk.Tarvisk.png \
         ./usr/share/icons/hicolor/256x256/apps/org.tarvisk.Tarvisk.png \
         ./usr/share/icons/hicolor/scalable/apps/org.tarvisk.Tarvisk.svg \
         ./usr/share/man/man1/tarvisk.1.gz ./usr/share/man/man1/tarvisk-tool.1.gz \
         ./usr/share/man/man1/tarvisk-headsim.1.gz ./usr/share/doc/tarvisk/copyright; do
  grep -q " $f\$" "$STAGE/contents" || fail "missing $f"
done
dpkg-deb -f "$DEB" Depends | grep -q libqt6widgets6 || fail "Depends lacks the Qt libraries"

echo "-- validators"
dpkg-deb -x "$DEB" "$STAGE/root"
desktop-file-validate "$STAGE/root/usr/share/applications/org.tarvisk.Tarvisk.desktop"
appstreamcli validate --no-net --pedantic \
  "$STAGE/root/usr/share/metainfo/org.tarvisk.Tarvisk.metainfo.xml" >/dev/null ||
  fail "the AppStream metadata does not validate"
for page in tarvisk tarvisk-tool tarvisk-headsim; do
  MANWIDTH=80 man -l "$STAGE/root/usr/share/man/man1/$page.1.gz" >/dev/null
done

echo "-- programs from the staging copy"
BIN="$STAGE/root/usr/bin"
for p in tarvisk tarvisk-tool tarvisk-headsim; do
  v=$("$BIN/$p" --version)
  echo "$v" | grep -Eq "^$p [0-9]+\.[0-9]+" || fail "$p --version printed \"$v\""
  "$BIN/$p" --help > "$STAGE/help"
  [ "$(tail -c1 "$STAGE/help" | od -An -c | tr -d ' ')" = '\n' ] || fail "$p --help lacks a final newline"
done
"$BIN/tarvisk-tool" --help | grep -q "Subcommands" || fail "tarvisk-tool --help"

echo "-- lintian"
lintian --fail-on error --suppress-tags no-manual-page "$DEB"

if [ "$(id -u)" -eq 0 ] && command -v apt-get >/dev/null && ! dpkg -s tarvisk >/dev/null 2>&1; then
  echo "-- install and remove with apt"
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "./$DEB" >/dev/null
  tarvisk --version
  [ -f /usr/share/applications/org.tarvisk.Tarvisk.desktop ] || fail "desktop entry not installed"
  DEBIAN_FRONTEND=noninteractive apt-get remove -y -qq tarvisk >/dev/null
  [ ! -e /usr/bin/tarvisk ] || fail "apt remove left /usr/bin/tarvisk"
fi
echo "Package checks passed: $DEB"
