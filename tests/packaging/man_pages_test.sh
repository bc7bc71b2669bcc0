#!/bin/sh
# Every option, subcommand and scene name that a program's --help names must be in its
# manual page: the page is written by hand and falls behind as options are added.
# Usage: man_pages_test.sh BUILD-DIR SOURCE-DIR
set -u
BUILD=$1
SOURCE=$2
failures=0
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The page's words as a reader sees them: roff's \- is a hyphen, font changes vanish.
page_text() {
  sed -e 's/\\-/-/g' -e 's/\\f[BIRP]//g' -e 's/\\(em/-/g' "$SOURCE/packaging/$1.1"
}

# Long options, the names listed under "Subcommands:" and "Scenes", and the second word of
# each usage line (ksd info, head scan ...).
help_names() {
  grep -oE -- '--[a-z][a-z0-9-]*' "$1"
  awk '/^(Subcommands|Scenes)/ { list = 1; next }
       list && /^  [a-z]+ / { print $1; next }
       list && !/^ / { list = 0 }' "$1"
  sed -nE 's/^ *(usage: *)?[a-z-]+ (command|decode|ksd|cfg|head|gps) ([a-z]+)( .*)?$/\3/p' "$1"
}

check() {  # check PAGE HELP-FILE
  page_text "$1" > "$work/page"
  for name in $(help_names "$2" | sort -u); do
    if ! grep -qE -- "(^|[^a-z0-9-])$name([^a-z0-9-]|\$)" "$work/page"; then
      echo "$1.1 does not mention $name (from $(basename "$2"))"
      failures=$((failures + 1))
    fi
  done
}

"$BUILD/app/tarvisk" --help > "$work/tarvisk.help" || { echo "tarvisk --help failed"; exit 1; }
check tarvisk "$work/tarvisk.help"
"$BUILD/tools/tarvisk-headsim" --help > "$work/headsim.help" || exit 1
check tarvisk-headsim "$work/headsim.help"
"$BUILD/tools/tarvisk-tool" --help > "$work/tool.help" || exit 1
check tarvisk-tool "$work/tool.help"
for sub in $(awk '/^Subcommands:/ { list = 1; next } list && /^  [a-z]/ { print $1 }' \
               "$work/tool.help"); do
  "$BUILD/tools/tarvisk-tool" "$sub" --help > "$work/tool-$sub.help" ||
    { echo "tarvisk-tool $sub --help failed"; failures=$((failures + 1)); continue; }
  check tarvisk-tool "$work/tool-$sub.help"
done

if [ "$failures" -ne 0 ]; then
  echo "$failures names missing from the manual pages"
  exit 1
fi
echo "Manual pages name every option of every --help"
