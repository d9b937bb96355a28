#pragma once
// File names as messages show them. A name is the user's bytes and may hold
// anything but '/' and NUL; one holding a control character (a newline, an
// escape sequence) would break a message's line or repaint the terminal, so
// it is shown quoted as a shell shows it, `$'gone\nfake.pat'`, which can be
// pasted back into a command. Every other name is shown as it is.

#include <string>
#include <string_view>

namespace korvelin::document {

// The name unchanged, or quoted as the shell's `printf %q` quotes it in a
// UTF-8 locale when it holds a control character (C0, DEL or C1).
std::string QuoteName(std::string_view name);

}  // namespace korvelin::document
