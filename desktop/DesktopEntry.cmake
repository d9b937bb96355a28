# Writes the desktop entry at install time and installs it. The entry names
# the installed program by its full path: a desktop session's PATH need not
# hold the install's bin folder (~/.local/bin often is not on it), and the
# path is known only now, after `cmake --install --prefix` has had its say.
# A staged install (DESTDIR) names the program where the package will put it.
# Expects KORVELIN_DESKTOP_TEMPLATE, KORVELIN_DESKTOP_OUTPUT, KORVELIN_BINDIR
# and KORVELIN_DATADIR.

if(IS_ABSOLUTE "${KORVELIN_BINDIR}")
  set(program "${KORVELIN_BINDIR}/korvelin")
else()
  set(program "${CMAKE_INSTALL_PREFIX}/${KORVELIN_BINDIR}/korvelin")
endif()
if(program MATCHES "[\n\r\t]")
  message(FATAL_ERROR "The program's path cannot be named in a desktop entry: ${program}")
endif()

# An argument with characters a desktop would split or expand is quoted,
# and ", `, $ and \ inside the quotes take a backslash; the entry's own
# escaping then doubles every backslash. "%" is a field code unless doubled.
# /home/a b/bin/korvelin becomes "/home/a b/bin/korvelin".
set(exec "${program}")
if(exec MATCHES "[^A-Za-z0-9_./+,:=@-]")
  string(REPLACE "\\" "\\\\" exec "${exec}")
  string(REPLACE "\"" "\\\"" exec "${exec}")
  string(REPLACE "`" "\\`" exec "${exec}")
  string(REPLACE "$" "\\$" exec "${exec}")
  set(exec "\"${exec}\"")
  string(REPLACE "\\" "\\\\" exec "${exec}")
endif()
string(REPLACE "%" "%%" KORVELIN_EXEC "${exec}")

configure_file("${KORVELIN_DESKTOP_TEMPLATE}" "${KORVELIN_DESKTOP_OUTPUT}" @ONLY)
file(INSTALL DESTINATION "${CMAKE_INSTALL_PREFIX}/${KORVELIN_DATADIR}/applications" TYPE FILE
     FILES "${KORVELIN_DESKTOP_OUTPUT}")
