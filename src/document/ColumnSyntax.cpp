#include "document/ColumnSyntax.h"

#include <fast_float/fast_float.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

#include "document/GraphDocument.h"
#include "document/TextNumbers.h"

namespace korvelin::document::columns {
namespace {

constexpr double kGap = std::numeric_limits<double>::quiet_NaN();

// Spaces, tabs and the other control characters, NUL included.
inline bool IsBlank(char c) { return static_cast<unsigned char>(c) <= ' '; }

// A separator that ends a field even without blanks; two of them in a row
// enclose an empty field.
inline bool IsHardSeparator(char c, char decimal) {
  return c == ';' || (c == ',' && decimal == '.');
}

inline bool IsDigit(char c) { return c >= '0' && c <= '9'; }

const char* SkipBlanks(const char* p, const char* end) {
  while (p < end && IsBlank(*p)) ++p;
  return p;
}

// One field from p to the next blank or separator, read as a number with
// the file's decimal sign. nan, inf and values past the double range are
// gaps: a plot has no place for them.
bool ReadNumber(const char*& p, const char* end, char decimal, double& value) {
  if (decimal == '.') {
    // Most fields are plain decimals, read in one pass.
    const char* r = p;
    if (ReadPlainNumber(r, end, value) &&
        (r == end || IsBlank(*r) || IsHardSeparator(*r, decimal))) {
      p = r;
      return true;
    }
  }
  const char* q = p;
  while (q < end && !IsBlank(*q) && !IsHardSeparator(*q, decimal)) ++q;
  // The conversion takes a minus sign but no plus sign, and never both.
  const char* from = (*p == '+' && q - p > 1 && p[1] != '-') ? p + 1 : p;
  const fast_float::parse_options options(fast_float::chars_format::general, decimal);
  const auto [ptr, ec] = fast_float::from_chars_advanced(from, q, value, options);
  if (ptr != q || (ec != std::errc() && ec != std::errc::result_out_of_range)) return false;
  if (!std::isfinite(value)) value = kGap;
  p = q;
  return true;
}

bool IsValidUtf8(std::string_view text) {
  for (size_t i = 0; i < text.size();) {
    const auto c = static_cast<unsigned char>(text[i]);
    const size_t length = c < 0x80         ? 1
                          : (c >> 5) == 6  ? 2
                          : (c >> 4) == 14 ? 3
                          : (c >> 3) == 30 ? 4
                                           : 0;
    if (length == 0 || i + length > text.size()) return false;
    for (size_t k = 1; k < length; ++k) {
      if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return false;
    }
    i += length;
  }
  return true;
}

std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  if (text.size() >= 2 && (text.front() == '"' || text.front() == '\'') &&
      text.back() == text.front()) {
    text = text.substr(1, text.size() - 2);
  }
  return text;
}

std::string LowerAscii(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
  }
  return lower;
}

}  // namespace

bool IsCommentLine(std::string_view line) {
  const char* end = line.data() + line.size();
  const char* p = SkipBlanks(line.data(), end);
  if (p == end) return false;
  switch (*p) {
    case '#':
    case '!':
    case '%':
    case ';':
    case '\'':
      return true;
    case '/':
      return end - p > 1 && p[1] == '/';
    default:
      return false;
  }
}

bool IsBlankLine(std::string_view line) {
  return SkipBlanks(line.data(), line.data() + line.size()) == line.data() + line.size();
}

int32_t ReadRow(std::string_view line, char decimal, double* values, int32_t capacity) {
  const char* p = line.data();
  const char* end = p + line.size();
  int32_t count = 0;
  int32_t gaps = 0;  // empty fields not yet known to lie before a number
  bool after_number = false;
  auto put = [&](double value) {
    if (count < capacity) values[count] = value;
    ++count;
  };
  for (;;) {
    p = SkipBlanks(p, end);
    if (p == end) return count;
    if (IsHardSeparator(*p, decimal)) {
      if (!after_number) ++gaps;
      after_number = false;
      ++p;
      continue;
    }
    double value;
    if (!ReadNumber(p, end, decimal, value)) return -1;
    for (; gaps > 0; --gaps) put(kGap);
    put(value);
    after_number = true;
  }
}

bool HasDecimalComma(std::string_view line) {
  for (size_t i = 1; i + 1 < line.size(); ++i) {
    if (line[i] == ',' && IsDigit(line[i - 1]) && IsDigit(line[i + 1])) return true;
  }
  return false;
}

char FindDecimalSign(const std::vector<std::string>& lines) {
  int64_t rows_point = 0;
  int64_t rows_comma = 0;
  bool comma_between_digits = false;
  for (const std::string& line : lines) {
    if (IsCommentLine(line)) continue;
    if (ReadRow(line, '.', nullptr, 0) >= 2) ++rows_point;
    if (ReadRow(line, ',', nullptr, 0) >= 2) {
      ++rows_comma;
      comma_between_digits = comma_between_digits || HasDecimalComma(line);
    }
  }
  const bool comma = rows_comma > rows_point || (rows_comma == rows_point && comma_between_digits);
  return comma && rows_comma > 0 ? ',' : '.';
}

std::vector<std::string_view> HeaderNames(std::string_view line, char decimal) {
  while (!line.empty() && IsBlank(line.front())) line.remove_prefix(1);
  if (IsCommentLine(line)) {
    // "## 2theta  I" and "// x y": the whole mark goes.
    const char mark = line.front();
    while (!line.empty() && (line.front() == mark || IsBlank(line.front()))) line.remove_prefix(1);
  }
  auto split_at = [&line](auto is_separator, bool drop_empty) {
    std::vector<std::string_view> names;
    size_t start = 0;
    for (size_t i = 0; i <= line.size(); ++i) {
      if (i < line.size() && !is_separator(line[i])) continue;
      const std::string_view name = Trimmed(line.substr(start, i - start));
      if (!name.empty() || !drop_empty) names.push_back(name);
      start = i + 1;
    }
    while (!names.empty() && names.back().empty()) names.pop_back();
    return names;
  };
  if (std::any_of(line.begin(), line.end(),
                  [decimal](char c) { return IsHardSeparator(c, decimal); })) {
    return split_at([decimal](char c) { return IsHardSeparator(c, decimal); }, false);
  }
  if (line.find('\t') != std::string_view::npos) {
    return split_at([](char c) { return c == '\t'; }, true);
  }
  return split_at([](char c) { return IsBlank(c); }, true);
}

std::string CleanName(std::string_view name) {
  const bool utf8 = IsValidUtf8(name);
  std::string clean(name);
  for (char& c : clean) {
    const auto byte = static_cast<unsigned char>(c);
    if (IsDelimiter(c) || byte == 0x7F || (!utf8 && byte >= 0x80)) c = '_';
  }
  if (clean.size() > static_cast<size_t>(kNameLength)) {
    // Back to the first byte of the character the cut would split.
    size_t length = kNameLength;
    while (length > 0 && (static_cast<unsigned char>(clean[length]) & 0xC0) == 0x80) --length;
    clean.resize(length);
  }
  return clean;
}

bool IsUncertaintyName(std::string_view name) {
  const std::string lower = LowerAscii(name);
  for (const char* exact : {"e", "dy", "di", "sd", "std", "sig", "unc"}) {
    if (lower == exact) return true;
  }
  for (const char* start : {"err", "esd", "sigma", "stdev", "stddev", "uncert", "dy_", "di_"}) {
    if (lower.starts_with(start)) return true;
  }
  for (const char* finish : {"err", "error", "_esd", "_sigma"}) {
    if (lower.ends_with(finish)) return true;
  }
  return false;
}

Encoding FindEncoding(std::string_view head) {
  if (head.starts_with("\xEF\xBB\xBF")) return Encoding::Utf8Bom;
  if (head.starts_with("\xFF\xFE")) return Encoding::Utf16Le;
  if (head.starts_with("\xFE\xFF")) return Encoding::Utf16Be;
  return Encoding::Bytes;
}

size_t MarkLength(Encoding encoding) {
  switch (encoding) {
    case Encoding::Utf8Bom:
      return 3;
    case Encoding::Utf16Le:
    case Encoding::Utf16Be:
      return 2;
    case Encoding::Bytes:
      break;
  }
  return 0;
}

ptrdiff_t Utf16ByteSource::Read(char* buffer, size_t size, int& error) {
  while (served_ == text_.size()) {
    text_.clear();
    served_ = 0;
    if (pending_.size() < 2) {
      raw_buffer_.resize(kReadChunk);
      const ptrdiff_t got = raw_.Read(raw_buffer_.data(), raw_buffer_.size(), error);
      // At the end an odd last byte is half a character and is dropped.
      if (got <= 0) return got;
      pending_.append(raw_buffer_.data(), static_cast<size_t>(got));
    }
    size_t i = 0;
    for (; i + 1 < pending_.size(); i += 2) {
      const auto a = static_cast<unsigned char>(pending_[i]);
      const auto b = static_cast<unsigned char>(pending_[i + 1]);
      const unsigned unit = big_endian_ ? (a << 8 | b) : (b << 8 | a);
      if (unit < 0x80) {
        text_ += static_cast<char>(unit);
      } else if (unit < 0x800) {
        text_ += static_cast<char>(0xC0 | unit >> 6);
        text_ += static_cast<char>(0x80 | (unit & 0x3F));
      } else if (unit >= 0xD800 && unit < 0xE000) {
        text_ += '?';
      } else {
        text_ += static_cast<char>(0xE0 | unit >> 12);
        text_ += static_cast<char>(0x80 | (unit >> 6 & 0x3F));
        text_ += static_cast<char>(0x80 | (unit & 0x3F));
      }
    }
    pending_.erase(0, i);
  }
  const size_t n = std::min(size, text_.size() - served_);
  std::memcpy(buffer, text_.data() + served_, n);
  served_ += n;
  return static_cast<ptrdiff_t>(n);
}

}  // namespace korvelin::document::columns
