#!/usr/bin/env bash
# Installs the program into a temporary prefix, as `cmake --install` puts it
# on a desktop, and checks what a desktop reads there: the menu entry and the
# file type pass their validators, the icon is well-formed SVG, and with the
# installed type registered, the desktop's own type detection names pattern
# files by their name and by their first line.
# Usage: DesktopInstallTest.sh CMAKE BUILD_DIR
set -euo pipefail
cmake=$1
build=$2
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

"$cmake" --install "$build" --prefix "$prefix" >/dev/null
share=$prefix/share
test -x "$prefix/bin/korvelin" || fail "no program in bin/"

entry=$share/applications/korvelin.desktop
test -f "$entry" || fail "no desktop entry"
report=$(desktop-file-validate "$entry" 2>&1) || fail "desktop-file-validate: $report"
test -z "$report" || fail "desktop-file-validate: $report"
grep -qx 'Exec=korvelin -- %F' "$entry" || fail "the entry does not start the program on the files"
grep -qx 'MimeType=text/x-igor-pattern;' "$entry" || fail "the entry does not name the file type"

icon=$share/icons/hicolor/scalable/apps/korvelin.svg
xmllint --noout "$icon" || fail "the icon is not well-formed"
grep -qx 'Icon=korvelin' "$entry" || fail "the entry does not name the icon"

types=$share/mime/packages/korvelin-pattern.xml
xmllint --noout "$types" || fail "the file type is not well-formed"
# The install compiles the type into the prefix's database; a strict second
# run fails on anything the database's own reader refuses.
test -f "$share/mime/mime.cache" || fail "the install did not update the type database"
PKGSYSCONFDIR=/nonexistent update-mime-database -V "$share/mime" >"$prefix/update.log" 2>&1 ||
  fail "update-mime-database: $(cat "$prefix/update.log")"
if grep -qi 'warning\|error' "$prefix/update.log"; then
  fail "update-mime-database: $(cat "$prefix/update.log")"
fi

# Detection as a file manager does it, through the installed database first.
files=$prefix/files
mkdir -p "$files"
printf 'IGOR\r\nWAVES/D a\r\nBEGIN\r\n1\r\nEND\r\n' >"$files/scan.pat"
printf 'igor\nWAVES/D a\nBEGIN\n1\nEND\n' >"$files/scan7"
printf 'IGORS are not patterns\n' >"$files/notes"
type_of() {
  XDG_DATA_HOME=$prefix/none XDG_DATA_DIRS=$share:/usr/share \
    gio info -a standard::content-type "$1" | sed -n 's/^ *standard::content-type: //p'
}
test "$(type_of "$files/scan.pat")" = text/x-igor-pattern || fail "scan.pat: $(type_of "$files/scan.pat")"
test "$(type_of "$files/scan7")" = text/x-igor-pattern || fail "scan7 by its first line: $(type_of "$files/scan7")"
test "$(type_of "$files/notes")" != text/x-igor-pattern || fail "notes taken for a pattern file"
echo "installed and recognised"
