// The token rule, the text-to-number conversions and the two number formats.
// Conversions go through std::from_chars and formats through std::to_chars,
// so neither depends on the C library's locale; the decimal separator is
// always passed in.

#include "document/TextNumbers.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>

namespace korvelin::document {
namespace {

// Checks the mantissa and exponent shape when from_chars fails, so that a
// lone separator ("." or "-.e5") still reads as zero as the format allows.
bool IsSeparatorOnly(std::string_view s) {
  if (s.empty() || s[0] != '.') return false;
  s.remove_prefix(1);
  if (s.empty()) return true;
  if (s[0] != 'e' && s[0] != 'E') return false;
  s.remove_prefix(1);
  if (!s.empty() && (s[0] == '+' || s[0] == '-')) s.remove_prefix(1);
  return !s.empty() && std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

bool HasNegativeExponent(std::string_view s) {
  size_t e = s.find_first_of("eE");
  return e != std::string_view::npos && e + 1 < s.size() && s[e + 1] == '-';
}

// The unsigned part of a number, written with '.' as separator: digits,
// at most one separator, an optional exponent, and nothing after it.
bool ParseUnsignedDecimal(std::string_view s, double& value) {
  if (s.empty() || !((s[0] >= '0' && s[0] <= '9') || s[0] == '.')) return false;
  const char* end = s.data() + s.size();
  auto [ptr, ec] = std::from_chars(s.data(), end, value, std::chars_format::general);
  if (ec == std::errc() && ptr == end) return true;
  if (ec == std::errc::result_out_of_range && ptr == end) {
    // Too small a magnitude reads as zero; too large a one is no number.
    if (!HasNegativeExponent(s)) return false;
    value = 0.0;
    return true;
  }
  if (ec == std::errc::invalid_argument && IsSeparatorOnly(s)) {
    value = 0.0;
    return true;
  }
  return false;
}

std::string_view TrimSpaces(std::string_view s) {
  while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
  while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
  return s;
}

// A positive finite value as decimal digits without trailing zeros and the
// position of the decimal point relative to them: value = 0.digits * 10^point
// (123.4 is "1234" with point 3, 0.05 is "5" with point -1).
struct Decimal {
  std::string digits;
  int point = 0;
};

// `significant` selects to_chars' shortest round-trip form when negative,
// otherwise that many significant digits rounded half to even.
Decimal ToDecimal(double magnitude, int significant) {
  char buffer[64];
  const auto result =
      significant < 0
          ? std::to_chars(buffer, buffer + sizeof buffer, magnitude, std::chars_format::scientific)
          : std::to_chars(buffer, buffer + sizeof buffer, magnitude, std::chars_format::scientific,
                          significant - 1);
  const std::string_view text(buffer, static_cast<size_t>(result.ptr - buffer));
  const size_t e = text.find('e');
  Decimal d;
  d.digits.assign(1, text[0]);
  if (e > 2) d.digits.append(text.substr(2, e - 2));
  while (d.digits.size() > 1 && d.digits.back() == '0') d.digits.pop_back();
  d.point = std::atoi(std::string(text.substr(e + 1)).c_str()) + 1;
  return d;
}

// Keeps the first `keep` digits, rounding half away from zero on the digits
// themselves; the result is empty when the value rounds to zero.
// "99997" keeping 4 becomes "1" with the point one further right.
void RoundAwayFromZero(Decimal& d, int keep) {
  if (keep >= static_cast<int>(d.digits.size())) return;
  if (keep < 0) {
    d.digits.clear();
    return;
  }
  const bool up = d.digits[static_cast<size_t>(keep)] >= '5';
  d.digits.resize(static_cast<size_t>(keep));
  if (up) {
    int i = keep - 1;
    for (; i >= 0 && d.digits[static_cast<size_t>(i)] == '9'; --i) d.digits.pop_back();
    if (i < 0) {
      d.digits.assign(1, '1');
      ++d.point;
    } else {
      ++d.digits[static_cast<size_t>(i)];
    }
  }
  while (!d.digits.empty() && d.digits.back() == '0') d.digits.pop_back();
}

std::string NotFinite(double value) {
  if (std::isnan(value)) return "NAN";
  return value < 0 ? "-INF" : "INF";
}

}  // namespace

bool IsKeyword(std::string_view token, std::string_view keyword) {
  if (token.size() != keyword.size()) return false;
  for (size_t i = 0; i < token.size(); ++i) {
    if (UpperAscii(token[i]) != keyword[i]) return false;
  }
  return true;
}

bool StartsWithKeyword(std::string_view token, std::string_view keyword) {
  return token.size() >= keyword.size() && IsKeyword(token.substr(0, keyword.size()), keyword);
}

std::string_view GetToken(std::string_view line, int32_t n) {
  if (n < 1) return {};
  TokenCursor tokens(line);
  std::string_view token;
  for (int32_t i = 0; i < n; ++i) {
    token = tokens.Next();
    if (token.empty()) break;
  }
  return token;
}

double ToFloatDef(std::string_view text, double fallback, char decimal_separator) {
  std::string_view s = TrimSpaces(text);
  bool negative = false;
  if (!s.empty() && (s[0] == '+' || s[0] == '-')) {
    negative = s[0] == '-';
    s.remove_prefix(1);
  }
  double value = 0;
  bool ok;
  if (decimal_separator == '.') {
    ok = ParseUnsignedDecimal(s, value);
  } else {
    // A full stop is no separator in such a locale; the locale's one is
    // swapped for a full stop before the conversion.
    if (s.find('.') != std::string_view::npos) return fallback;
    std::string swapped(s);
    std::replace(swapped.begin(), swapped.end(), decimal_separator, '.');
    ok = ParseUnsignedDecimal(swapped, value);
  }
  if (!ok) return fallback;
  return negative ? -value : value;
}

int32_t ToIntDef(std::string_view text, int32_t fallback) {
  std::string_view s = text;
  while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
  if (s.empty()) return fallback;
  if (s[0] == '$') {
    s.remove_prefix(1);
    uint32_t bits = 0;
    auto [ptr, ec] = std::from_chars(s.data(), s.data() + s.size(), bits, 16);
    if (s.empty() || ec != std::errc() || ptr != s.data() + s.size()) return fallback;
    return static_cast<int32_t>(bits);  // two's complement pattern
  }
  bool negative = s[0] == '-';
  if (s[0] == '+' || s[0] == '-') s.remove_prefix(1);
  // from_chars would take a second sign; only digits may follow the first.
  if (s.empty() || s[0] < '0' || s[0] > '9') return fallback;
  int64_t magnitude = 0;
  auto [ptr, ec] = std::from_chars(s.data(), s.data() + s.size(), magnitude, 10);
  if (ec != std::errc() || ptr != s.data() + s.size()) return fallback;
  int64_t value = negative ? -magnitude : magnitude;
  if (value < INT32_MIN || value > INT32_MAX) return fallback;
  return static_cast<int32_t>(value);
}

std::optional<int32_t> WholeInt32(std::string_view text) {
  int32_t value = 0;
  const char* end = text.data() + text.size();
  const auto [ptr, ec] = std::from_chars(text.data(), end, value);
  if (text.empty() || ec != std::errc() || ptr != end) return std::nullopt;
  return value;
}

std::string FormatGeneral(double value, char decimal_separator) {
  if (!std::isfinite(value)) return NotFinite(value);
  if (value == 0) return "0";
  const Decimal d = ToDecimal(std::fabs(value), 15);
  const int e = d.point;  // value = 0.d1d2... * 10^e
  const int count = static_cast<int>(d.digits.size());
  std::string out = value < 0 ? "-" : "";
  if (e >= -3 && e <= 15) {
    if (e <= 0) {
      out += '0';
      out += decimal_separator;
      out.append(static_cast<size_t>(-e), '0');
      out += d.digits;
    } else if (count <= e) {
      out += d.digits;
      out.append(static_cast<size_t>(e - count), '0');
    } else {
      out.append(d.digits, 0, static_cast<size_t>(e));
      out += decimal_separator;
      out.append(d.digits, static_cast<size_t>(e));
    }
    return out;
  }
  out += d.digits[0];
  if (count > 1) {
    out += decimal_separator;
    out.append(d.digits, 1);
  }
  out += 'E';
  if (e - 1 < 0) out += '-';
  out += std::to_string(std::abs(e - 1));
  return out;
}

// The digits rounded are those of the value's shortest round-trip decimal
// form, the decimal a user reads for it: 1234.5 with no decimals is a true
// half and gives 1235. A negative value keeps its minus sign when it rounds
// to zero, so "-0.00" tells the user which side of zero the pointer is on,
// unless it lies below 10^-(decimals + 1), which reads as a plain zero.
std::string FormatReadout(double value, int precision, int decimals, char decimal_separator) {
  if (!std::isfinite(value)) return NotFinite(value);
  Decimal d;
  if (value != 0) d = ToDecimal(std::fabs(value), -1);
  const bool tiny = value == 0 || d.point < -decimals;
  RoundAwayFromZero(d, std::min(precision, d.point + decimals));
  std::string out = (value < 0 && !tiny) ? "-" : "";
  const int count = static_cast<int>(d.digits.size());
  if (!d.digits.empty() && d.point > precision) {
    out += d.digits[0];
    if (count > 1) {
      out += decimal_separator;
      out.append(d.digits, 1);
    }
    out += 'E';
    out += std::to_string(d.point - 1);
    return out;
  }
  const int before = d.digits.empty() ? 0 : std::max(d.point, 0);
  if (before == 0) {
    out += '0';
  } else {
    out.append(d.digits, 0, static_cast<size_t>(std::min(before, count)));
    if (count < before) out.append(static_cast<size_t>(before - count), '0');
  }
  if (decimals > 0) {
    std::string fraction;
    if (!d.digits.empty()) {
      if (d.point < 0) fraction.append(static_cast<size_t>(-d.point), '0');
      if (count > before) fraction.append(d.digits, static_cast<size_t>(before));
    }
    fraction.resize(static_cast<size_t>(decimals), '0');
    out += decimal_separator;
    out += fraction;
  }
  return out;
}

}  // namespace korvelin::document
