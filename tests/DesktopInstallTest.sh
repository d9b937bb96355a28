#!/usr/bin/env bash
# Installs the program into a temporary prefix, as `cmake --install` puts it
# on a desktop, and checks what a desktop reads there: the menu entry and the
# file type pass their validators, the icon is well-formed SVG, and with the
# installed type registered, the desktop's own type detection names pattern
# files by their name and by their first line, and the entry, started as a
# desktop starts it with a PATH that holds no folder of the install, runs the
# installed program on the file. The prefix has a space in it, as a home
# folder may.
# Usage: DesktopInstallTest.sh CMAKE BUILD_DIR
set -euo pipefail
cmake=$1
build=$2
top=$(mktemp -d)
prefix="$top/KORVELIN home"
started=
stop_started() {
  if [ -n "$started" ]; then kill "$started" 2>/dev/null || true; fi
  rm -rf "$top"
}
trap stop_started EXIT

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
exec_line="Exec=\"$prefix/bin/korvelin\" -- %F"
grep -qxF "$exec_line" "$entry" || fail "the entry does not start the installed program: $(grep ^Exec= "$entry")"
grep -qx 'MimeType=text/x-igor-pattern;text/x-xy-pattern;text/x-xye-pattern;text/x-chi-pattern;text/csv;text/plain;' "$entry" ||
  fail "the entry does not name the file types"

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
for pair in scan.xy:text/x-xy-pattern run.xye:text/x-xye-pattern ring.chi:text/x-chi-pattern; do
  name=${pair%%:*}
  printf '# 2theta I\n10 1\n11 2\n' >"$files/$name"
  test "$(type_of "$files/$name")" = "${pair#*:}" || fail "$name: $(type_of "$files/$name")"
done
# The desktop's own launcher refuses an entry whose program it cannot find,
# so with the program named only by name this start fails. The program runs
# off screen; it is found by its executable, which lies in this test's own
# folder, and stopped by its process id.
env -i HOME="$top" PATH=/nonexistent QT_QPA_PLATFORM=offscreen XDG_RUNTIME_DIR="$top" \
  /usr/bin/gio launch "$entry" "$files/scan.pat" >"$top/launch.log" 2>&1 ||
  fail "gio launch: $(cat "$top/launch.log")"
for _ in $(seq 100); do
  for process in /proc/[0-9]*; do
    if [ "$(readlink "$process/exe" 2>/dev/null)" = "$prefix/bin/korvelin" ]; then
      started=${process#/proc/}
      break 2
    fi
  done
  sleep 0.1
done
test -n "$started" || fail "the entry did not start the installed program"
arguments=$(tr '\0' '\n' <"/proc/$started/cmdline" | tail -n +2)
test "$arguments" = "--
$files/scan.pat" || fail "the program was started with: $arguments"
echo "installed, recognised and started"
