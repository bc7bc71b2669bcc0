#!/bin/sh
# Builds the Debian package and checks it as a user's machine would see it: its contents and
# dependencies, the desktop entry and metadata validators, the programs run from a staging
# copy, lintian --pedantic, and (as root) a real install and removal with apt that leaves
# nothing behind.
# Usage: scripts/check-package.sh [WORK-DIR]   (passed on to scripts/make-package.sh)
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
         ./usr/share/mime/packages/tarvisk.xml \
         ./usr/share/icons/hicolor/48x48/apps/org.tarvisk.Tarvisk.png \
         ./usr/share/icons/hicolor/256x256/apps/org.tarvisk.Tarvisk.png \
         ./usr/share/icons/hicolor/scalable/apps/org.tarvisk.Tarvisk.svg \
         ./usr/share/man/man1/tarvisk.1.gz ./usr/share/man/man1/tarvisk-tool.1.gz \
         ./usr/share/man/man1/tarvisk-headsim.1.gz ./usr/share/doc/tarvisk/copyright \
         ./usr/share/doc/tarvisk/changelog.gz ./usr/share/doc/tarvisk/README.md.gz \
         ./usr/share/doc/tarvisk/docs/tarvisk-screen.png \
         ./usr/share/doc/tarvisk/examples/60-tarvisk-k260.rules; do
  grep -q " $f\$" "$STAGE/contents" || fail "missing $f"
done
depends=$(dpkg-deb -f "$DEB" Depends)
for p in libqt6widgets6 fonts-dejavu-core; do
  echo "$depends" | grep -q "$p" || fail "Depends lacks $p: $depends"
done

echo "-- the message after installing: on the first install only"
dpkg-deb -e "$DEB" "$STAGE/control"
[ -n "$(sh "$STAGE/control/postinst" configure "" 2>&1)" ] || fail "postinst says nothing on the first install"
[ -z "$(sh "$STAGE/control/postinst" configure 0.1.0 2>&1)" ] || fail "postinst repeats its message on an upgrade"

echo "-- validators"
dpkg-deb -x "$DEB" "$STAGE/root"
desktop-file-validate "$STAGE/root/usr/share/applications/org.tarvisk.Tarvisk.desktop"
appstreamcli validate --no-net --pedantic \
  "$STAGE/root/usr/share/metainfo/org.tarvisk.Tarvisk.metainfo.xml" >/dev/null ||
  fail "the AppStream metadata does not validate"
for page in tarvisk tarvisk-tool tarvisk-headsim; do
  warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$STAGE/root/usr/share/man/man1/$page.1.gz" 2>&1 >/dev/null)
  [ -z "$warnings" ] || fail "man $page: $warnings"
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

echo "-- lintian --pedantic"
lintian --pedantic --fail-on error,warning,info,pedantic "$DEB"

if [ "$(id -u)" -eq 0 ] && command -v apt-get >/dev/null && ! dpkg -s tarvisk >/dev/null 2>&1; then
  echo "-- install and remove with apt"
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "./$DEB" >/dev/null
  tarvisk --version
  dpkg -L tarvisk > "$STAGE/installed"
  [ -f /usr/share/applications/org.tarvisk.Tarvisk.desktop ] || fail "desktop entry not installed"
  grep -q "application/x-tarvisk-ksd" /usr/share/mime/globs2 ||
    fail "the .KSD file type did not reach the MIME database"
  DEBIAN_FRONTEND=noninteractive apt-get purge -y -qq tarvisk >/dev/null
  while read -r path; do
    # Folders the package shares with others (/usr/bin, /usr/share/man ...) stay.
    [ -d "$path" ] && [ ! -L "$path" ] && continue
    [ ! -e "$path" ] && [ ! -L "$path" ] || fail "apt purge left $path"
  done < "$STAGE/installed"
  [ ! -d /usr/share/doc/tarvisk ] || fail "apt purge left /usr/share/doc/tarvisk"
  ! grep -q "application/x-tarvisk-ksd" /usr/share/mime/globs2 ||
    fail "the .KSD file type stayed in the MIME database"
fi
echo "Package checks passed: $DEB"
