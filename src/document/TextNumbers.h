#pragma once
// Text and numbers as every part of the program reads and writes them: the
// token rule of pattern-file lines, the forgiving text-to-number conversions
// (a text that is no number gives the caller's default), and the two number
// formats shown to the user (the axis numbers and the coordinate readout).
// The reader, both plots, the readout and the Modify Graph dialog share them;
// which separator the user's locale uses is the caller's to say.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace korvelin::document {

// Delimiters of a line: every code 0 to 32 and ( ) , = { }. Codes 128 to 255
// are ordinary characters.
inline constexpr std::array<bool, 256> kDelimiter = [] {
  std::array<bool, 256> table{};
  for (int c = 0; c <= 32; ++c) table[c] = true;
  for (unsigned char c : std::string_view("(),={}")) table[c] = true;
  return table;
}();

inline bool IsDelimiter(char c) { return kDelimiter[static_cast<unsigned char>(c)]; }

inline char UpperAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c; }

// True when the token, upper-cased (ASCII letters only), equals the keyword,
// which is written in upper case.
bool IsKeyword(std::string_view token, std::string_view keyword);

// True when the token begins with the keyword in that sense: "SETSCALE/P"
// and "waves/D" start with SETSCALE and WAVES.
bool StartsWithKeyword(std::string_view token, std::string_view keyword);

// 10^0 .. 10^22: every one an exact double.
constexpr std::array<double, 23> kExactPowersOfTen = [] {
  std::array<double, 23> powers{};
  double power = 1;
  for (double& p : powers) p = power, power *= 10;
  return powers;
}();

// The common row number, digits with at most one point and no exponent
// ("47.1234", "-1000", ".5"), read in one pass: with at most 19 digits and
// an integer part of digits m below 2^53 and k digits after the point
// (k <= 22), m and 10^k are exact doubles and m / 10^k is rounded once,
// correctly, so the value is the one a full conversion gives. Moves p past
// the number; returns false and leaves p alone for every other text. What
// may follow the number is the caller's to check.
inline bool ReadPlainNumber(const char*& p, const char* end, double& value) {
  const char* q = p + (*p == '-' ? 1 : 0);
  uint64_t digits = 0;
  const char* first = q;
  while (q < end && static_cast<unsigned char>(*q - '0') < 10) digits = digits * 10 + (*q++ - '0');
  const ptrdiff_t whole = q - first;
  ptrdiff_t fraction = 0;
  if (q < end && *q == '.') {
    const char* point = ++q;
    while (q < end && static_cast<unsigned char>(*q - '0') < 10)
      digits = digits * 10 + (*q++ - '0');
    fraction = q - point;
  }
  if (whole + fraction == 0 || whole + fraction > 19 || fraction > 22) return false;
  if (digits > (uint64_t{1} << 53)) return false;
  const double magnitude = static_cast<double>(digits) / kExactPowersOfTen[fraction];
  value = *p == '-' ? -magnitude : magnitude;
  p = q;
  return true;
}

// Walks the tokens of one line from left to right, so that a line is
// tokenized once however long it is.
class TokenCursor {
 public:
  explicit TokenCursor(std::string_view line) : p_(line.data()), end_(line.data() + line.size()) {}

  // The next token, or the empty text once the line is used up.
  std::string_view Next() {
    while (p_ < end_ && IsDelimiter(*p_)) ++p_;
    const char* start = p_;
    while (p_ < end_ && !IsDelimiter(*p_)) ++p_;
    return std::string_view(start, static_cast<size_t>(p_ - start));
  }

  // What is left of the line after the tokens taken so far.
  std::string_view Rest() const { return std::string_view(p_, static_cast<size_t>(end_ - p_)); }

 private:
  const char* p_;
  const char* end_;
};

// Token n (from 1) of the line; empty when there are fewer tokens or n < 1.
std::string_view GetToken(std::string_view line, int32_t n);

// Text to double: optional spaces, sign, digits with at most one separator,
// optional exponent, optional spaces, nothing else; overflow, NaN, INF and
// anything else give the default. Pattern files always use '.'; the dialog
// passes the locale's separator.
double ToFloatDef(std::string_view text, double fallback, char decimal_separator = '.');

// Text to 32-bit integer: optional leading spaces, then a sign and decimal
// digits, or '$' and up to 32 bits of hex digits; anything else gives the default.
int32_t ToIntDef(std::string_view text, int32_t fallback);

// The strict reading of settings and options: the whole text as decimal
// digits with an optional '-', in 32 bits; nothing for an empty text, a '+',
// spaces, any other character or overflow. "-7" is -7; " 7", "+7", "7px"
// and "2147483648" are nothing.
std::optional<int32_t> WholeInt32(std::string_view text);

// A double as general-format text with at most 15 significant digits: the
// axis numbers and the dialog's values. 0.5, 1500, 1E-5, 2.5E15, -3.
std::string FormatGeneral(double value, char decimal_separator = '.');

// The coordinate readout: at most `precision` significant digits and at most
// `decimals` digits after the separator, halves rounded away from zero.
// (12.3456, 4, 2) is "12.35", (12345.6, 4, 2) is "1.235E4", (-0.002, 4, 2)
// is "-0.00" and (-0.0002, 4, 2) is "0.00".
std::string FormatReadout(double value, int precision, int decimals, char decimal_separator = '.');

}  // namespace korvelin::document
