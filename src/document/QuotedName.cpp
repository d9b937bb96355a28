#include "document/QuotedName.h"

#include <cstdint>
#include <cstdio>

namespace korvelin::document {
namespace {

// The length of the well-formed UTF-8 sequence at the start of text, 0 when
// it is not one (a stray or cut byte, an overlong form, a surrogate).
size_t SequenceLength(std::string_view text) {
  const auto byte = [&](size_t i) { return static_cast<uint8_t>(text[i]); };
  const uint8_t lead = byte(0);
  if (lead < 0x80) return 1;
  size_t length = 0;
  uint32_t code = 0;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
    code = lead & 0x1Fu;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    code = lead & 0x0Fu;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    code = lead & 0x07u;
  } else {
    return 0;
  }
  if (text.size() < length) return 0;
  for (size_t i = 1; i < length; ++i) {
    if ((byte(i) & 0xC0u) != 0x80u) return 0;
    code = (code << 6) | (byte(i) & 0x3Fu);
  }
  const uint32_t smallest[] = {0, 0, 0x80, 0x800, 0x10000};
  if (code < smallest[length] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return 0;
  return length;
}

// A control character: C0, DEL, or C1 (U+0080 to U+009F, two bytes C2 80..9F).
bool IsControl(std::string_view text, size_t length) {
  const auto lead = static_cast<uint8_t>(text[0]);
  if (length == 1) return lead < 0x20 || lead == 0x7F;
  return length == 2 && lead == 0xC2 && static_cast<uint8_t>(text[1]) < 0xA0;
}

// The escapes the shell writes for these characters between $' and '.
struct NamedEscape {
  char c;
  const char* text;
};
constexpr NamedEscape kNamedEscapes[] = {
    {'\a', "\\a"}, {'\b', "\\b"}, {'\x1b', "\\E"}, {'\f', "\\f"},  {'\n', "\\n"},
    {'\r', "\\r"}, {'\t', "\\t"}, {'\v', "\\v"},   {'\\', "\\\\"}, {'\'', "\\'"}};

void AppendOctal(std::string& out, std::string_view bytes) {
  for (const char byte : bytes) {
    char digits[5];
    std::snprintf(digits, sizeof digits, "\\%03o", static_cast<uint8_t>(byte));
    out += digits;
  }
}

// One character (or stray byte) of a quoted name.
void AppendQuoted(std::string& out, std::string_view character, bool control) {
  if (character.size() == 1) {
    for (const NamedEscape& escape : kNamedEscapes) {
      if (escape.c == character[0]) {
        out += escape.text;
        return;
      }
    }
  }
  if (control) {
    AppendOctal(out, character);
  } else {
    out.append(character);
  }
}

}  // namespace

std::string QuoteName(std::string_view name) {
  bool control = false;
  for (size_t i = 0; i < name.size() && !control;) {
    const size_t length = SequenceLength(name.substr(i));
    control = length > 0 && IsControl(name.substr(i), length);
    i += length > 0 ? length : 1;
  }
  if (!control) return std::string(name);
  std::string out = "$'";
  for (size_t i = 0; i < name.size();) {
    const size_t length = SequenceLength(name.substr(i));
    // A byte that starts no character is written as its number.
    const std::string_view character = name.substr(i, length > 0 ? length : 1);
    AppendQuoted(out, character, length == 0 || IsControl(character, length));
    i += character.size();
  }
  return out + "'";
}

}  // namespace korvelin::document
