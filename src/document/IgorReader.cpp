#include "document/IgorReader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace korvelin::document {
namespace {

// Delimiters: every code 0 to 32 and ( ) , = { }. Codes 128 to 255 are ordinary.
constexpr std::array<bool, 256> kDelimiter = [] {
  std::array<bool, 256> table{};
  for (int c = 0; c <= 32; ++c) table[c] = true;
  for (unsigned char c : std::string_view("(),={}")) table[c] = true;
  return table;
}();

inline bool IsDelimiter(char c) { return kDelimiter[static_cast<unsigned char>(c)]; }

constexpr char kEndOfFile = 26;

inline bool IsLineEnd(char c) { return c == '\r' || c == '\n' || c == kEndOfFile; }

// The first CR, LF or code 26 at or after p, or end. Data lines are short
// and many, so sixteen bytes are tested at a time where the processor can.
const char* FindLineEnd(const char* p, const char* end) {
#if defined(__SSE2__)
  const __m128i cr = _mm_set1_epi8('\r');
  const __m128i lf = _mm_set1_epi8('\n');
  const __m128i eof = _mm_set1_epi8(kEndOfFile);
  while (end - p >= 16) {
    __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    __m128i hits = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(bytes, cr), _mm_cmpeq_epi8(bytes, lf)),
                                _mm_cmpeq_epi8(bytes, eof));
    int mask = _mm_movemask_epi8(hits);
    if (mask != 0) return p + __builtin_ctz(static_cast<unsigned>(mask));
    p += 16;
  }
#endif
  while (p < end && !IsLineEnd(*p)) ++p;
  return p;
}

// Walks the tokens of one line from left to right, so that every line is
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

 private:
  const char* p_;
  const char* end_;
};

// A few tokens of lookahead over a TokenCursor: the graph-modifying items
// read a keyword, a wave name and up to three values before they step on.
class TokenWindow {
 public:
  explicit TokenWindow(std::string_view line) : cursor_(line) {}

  // Token `offset` places after the current one (0 is the current token).
  std::string_view Peek(int offset) {
    while (filled_ <= offset) {
      ring_[(head_ + filled_) % kSize] = cursor_.Next();
      ++filled_;
    }
    return ring_[(head_ + offset) % kSize];
  }

  void Advance(int steps) {
    for (int i = 0; i < steps; ++i) {
      if (filled_ == 0) {
        cursor_.Next();
      } else {
        head_ = (head_ + 1) % kSize;
        --filled_;
      }
    }
  }

 private:
  static constexpr int kSize = 8;
  TokenCursor cursor_;
  std::array<std::string_view, kSize> ring_{};
  int head_ = 0;
  int filled_ = 0;
};

char UpperAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c; }

// True when the token, upper-cased (ASCII letters only), equals the keyword.
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

// The value of token `n` of a MODIFYGRAPH item as the fields want it.
void ApplyGraphItem(TWave& wave, std::string_view keyword, TokenWindow& tokens) {
  if (keyword == "LSIZE") {
    wave.lsize = ToFloatDef(tokens.Peek(2), 0);
  } else if (keyword == "MARKER") {
    wave.marker = ToIntDef(tokens.Peek(2), 0);
  } else if (keyword == "MODE") {
    wave.mode = ToIntDef(tokens.Peek(2), 0);
  } else if (keyword == "MRKTHICK") {
    wave.mrkThick = ToFloatDef(tokens.Peek(2), 0);
  } else if (keyword == "MSIZE") {
    wave.msize = ToIntDef(tokens.Peek(2), 0);
  } else if (keyword == "OFFSET") {
    wave.offsetx = ToFloatDef(tokens.Peek(2), 0);
    wave.offsety = ToFloatDef(tokens.Peek(3), 0);
  } else if (keyword == "RGB") {
    wave.rgb = PackRgb16(ToIntDef(tokens.Peek(2), 0), ToIntDef(tokens.Peek(3), 0),
                         ToIntDef(tokens.Peek(4), 0));
  }
}

// How many tokens a MODIFYGRAPH keyword's item spans; 1 for unknown words,
// so that their wave names and values are themselves tried as keywords.
int GraphItemStep(std::string_view token, std::string& keyword) {
  static constexpr std::array<std::pair<std::string_view, int>, 7> kItems{{{"LSIZE", 3},
                                                                           {"MARKER", 3},
                                                                           {"MODE", 3},
                                                                           {"MRKTHICK", 3},
                                                                           {"MSIZE", 3},
                                                                           {"OFFSET", 4},
                                                                           {"RGB", 5}}};
  for (const auto& [name, step] : kItems) {
    if (IsKeyword(token, name)) {
      keyword = name;
      return step;
    }
  }
  return 1;
}

void ModifyGraph(GraphDocument& doc, TokenWindow& tokens) {
  std::string keyword;
  for (std::string_view k = tokens.Peek(0); !k.empty(); k = tokens.Peek(0)) {
    int step = GraphItemStep(k, keyword);
    if (step > 1) {
      // The wave is looked up only for a real keyword: an unknown word's
      // lookup would change nothing, and skipping it keeps long lines linear.
      int32_t w = FindWave(doc, tokens.Peek(1));
      if (w >= 0) ApplyGraphItem(doc.Waves[w], keyword, tokens);
    }
    tokens.Advance(step);
  }
}

// DISPLAY and APPENDTOGRAPH: every name up to "VS" (or the line's end) is a
// y wave, plotted against the wave named after "VS".
void AppendTraces(GraphDocument& doc, TokenCursor& tokens) {
  std::array<int32_t, kMaxTraces> y_waves{};
  int32_t room = kMaxTraces - doc.TraceCount;
  int32_t found = 0;
  std::string_view token = tokens.Next();
  for (; !token.empty() && !IsKeyword(token, "VS"); token = tokens.Next()) {
    // Names past the trace table's capacity are passed over.
    if (found < room) y_waves[found++] = FindWave(doc, token);
  }
  int32_t x_wave = token.empty() ? -1 : FindWave(doc, tokens.Next());
  for (int32_t i = 0; i < found; ++i) {
    doc.Traces[doc.TraceCount++] = TTrace{x_wave, y_waves[i]};
  }
}

void SetAxis(GraphDocument& doc, std::string_view line) {
  double values[5];
  ParseNumbers(line, values, 5);
  if (IsKeyword(GetToken(line, 3), "BOTTOM")) {
    doc.AxisRange.Left = values[3];
    doc.AxisRange.Right = values[4];
  } else {
    doc.AxisRange.Bottom = values[3];
    doc.AxisRange.Top = values[4];
  }
}

void InterpretCommand(GraphDocument& doc, std::string_view line) {
  TokenCursor tokens(line);
  tokens.Next();  // X
  std::string_view command = tokens.Next();
  if (IsKeyword(command, "APPENDTOGRAPH") || IsKeyword(command, "DISPLAY")) {
    AppendTraces(doc, tokens);
  } else if (IsKeyword(command, "MODIFYGRAPH")) {
    TokenWindow window(line);
    window.Advance(2);
    ModifyGraph(doc, window);
  } else if (IsKeyword(command, "SETAXIS")) {
    SetAxis(doc, line);
  }
}

// A WAVES line: every further token names a wave of a new block whose
// column count is the number of names, whether or not all fit the table.
void DeclareWaves(GraphDocument& doc, TokenCursor& tokens) {
  const int32_t block_first = doc.WaveCount;
  int32_t names = 0;
  for (std::string_view name = tokens.Next(); !name.empty(); name = tokens.Next(), ++names) {
    if (doc.WaveCount >= kMaxWaves) continue;
    TWave& wave = doc.Waves[doc.WaveCount++];
    wave = TWave{};
    SetWaveName(wave, name);
    wave.first = doc.ValueCount + names;
  }
  doc.BlockDeclared = doc.WaveCount > block_first;
  if (!doc.BlockDeclared) return;
  doc.BlockFirstWave = block_first;
  for (int32_t i = block_first; i < doc.WaveCount; ++i) doc.Waves[i].stride = names;
}

// END: the block's other waves take the column and row counts that its
// last wave carried while the block was read.
void EndBlock(GraphDocument& doc) {
  doc.InBlock = false;
  if (doc.WaveCount == 0) return;
  const TWave& last = doc.Waves[doc.WaveCount - 1];
  const int32_t lowest = std::max(doc.WaveCount - last.stride, doc.BlockFirstWave);
  for (int32_t i = doc.WaveCount - 2; i >= lowest; --i) {
    doc.Waves[i].stride = last.stride;
    doc.Waves[i].count = last.count;
  }
}

// One row of the current block. A row that no longer fits the value store
// is dropped whole, so a wave never claims a row that was not stored.
void StoreRow(GraphDocument& doc, std::string_view first_token, TokenCursor& tokens) {
  if (doc.WaveCount == 0 || !doc.BlockDeclared) return;
  TWave& last = doc.Waves[doc.WaveCount - 1];
  const int32_t columns = last.stride;
  if (doc.ValueCount > kMaxValues - columns) return;
  int32_t index = doc.ValueCount;
  std::string_view token = first_token;
  for (int32_t column = 0; column < columns; ++column) {
    SetValue(doc.Values, index++, token.empty() ? 0.0 : ToFloatDef(token, 0));
    token = tokens.Next();
  }
  doc.ValueCount = index;
  ++last.count;
}

inline bool StartsNumber(char c) { return (c >= '0' && c <= '9') || c == '.'; }

// One number token starting at p (a non-delimiter). The conversion itself
// finds the token's end; only a token it does not consume whole (a word,
// "1e", an underflow, a lone ".") goes the slow way through ToFloatDef, so
// the result is that of ToFloatDef on the whole token in every case.
inline double ReadNumberToken(const char*& p, const char* end) {
  const char* start = p;
  // from_chars takes a minus sign but no plus sign, and never both.
  const char* from = (*p == '+') ? p + 1 : p;
  const char* mantissa = (*p == '-') ? p + 1 : from;
  if (mantissa < end && StartsNumber(*mantissa)) {
    double value;
    auto [ptr, ec] = std::from_chars(from, end, value, std::chars_format::general);
    if (ec == std::errc() && (ptr == end || IsDelimiter(*ptr))) {
      p = ptr;
      return value;
    }
  }
  while (p < end && !IsDelimiter(*p)) ++p;
  return ToFloatDef(std::string_view(start, static_cast<size_t>(p - start)), 0);
}

// StoreRow for a line whose first token starts at p and looks like a number:
// tokens are found and converted in one walk over the line.
void StoreNumberRow(GraphDocument& doc, const char* p, const char* end) {
  if (doc.WaveCount == 0 || !doc.BlockDeclared) return;
  TWave& last = doc.Waves[doc.WaveCount - 1];
  const int32_t columns = last.stride;
  if (doc.ValueCount > kMaxValues - columns) return;
  int32_t index = doc.ValueCount;
  for (int32_t column = 0; column < columns; ++column) {
    while (p < end && IsDelimiter(*p)) ++p;
    SetValue(doc.Values, index++, p < end ? ReadNumberToken(p, end) : 0.0);
  }
  doc.ValueCount = index;
  ++last.count;
}

// Feeds complete lines to InterpretLine, carrying a line that is split
// between two chunks of the file. A line end is CR, CR LF, or a lone LF;
// code 26 ends the line and the file.
class LineFeeder {
 public:
  explicit LineFeeder(GraphDocument& doc) : doc_(doc) {}

  // Returns false once code 26 has ended the file.
  bool Feed(std::string_view chunk) {
    const char* p = chunk.data();
    const char* end = p + chunk.size();
    if (skip_lf_ && p < end) {
      if (*p == '\n') ++p;
      skip_lf_ = false;
    }
    while (p < end) {
      const char* line_end = FindLineEnd(p, end);
      if (line_end == end) {
        carry_.append(p, end);
        return true;
      }
      Emit(std::string_view(p, static_cast<size_t>(line_end - p)));
      if (*line_end == kEndOfFile) return false;
      p = line_end + 1;
      if (*line_end == '\r') {
        if (p == end) {
          skip_lf_ = true;
        } else if (*p == '\n') {
          ++p;
        }
      }
    }
    return true;
  }

  // The last line needs no line end.
  void Finish() {
    if (!carry_.empty()) InterpretLine(doc_, carry_);
    carry_.clear();
  }

 private:
  void Emit(std::string_view piece) {
    if (carry_.empty()) {
      InterpretLine(doc_, piece);
    } else {
      carry_.append(piece);
      InterpretLine(doc_, carry_);
      carry_.clear();
    }
  }

  GraphDocument& doc_;
  std::string carry_;
  bool skip_lf_ = false;
};

// The first line must be IGOR in any case and nothing else. Returns the
// number of bytes of that line and its end, or 0 when it is not IGOR.
// Looks at no more than six bytes.
size_t IgorHeaderLength(std::string_view head) {
  if (head.size() < 4 || !IsKeyword(head.substr(0, 4), "IGOR")) return 0;
  if (head.size() == 4) return 4;
  if (head[4] == '\r') return (head.size() > 5 && head[5] == '\n') ? 6 : 5;
  if (head[4] == '\n' || head[4] == kEndOfFile) return 5;
  return 0;
}

void BeginLoad(GraphDocument& doc) {
  FreeValueStore(doc.Values);
  ResetDocument(doc);
}

void EndLoad(GraphDocument& doc) { doc.AxisHistory = FilledHistory(doc.AxisRange); }

const char* kNotPatternReason = "not a pattern file (the first line is not IGOR)";
const char* kOutOfMemoryReason = "Out of memory";

class FileHandle {
 public:
  explicit FileHandle(int fd) : fd_(fd) {}
  ~FileHandle() {
    if (fd_ >= 0) close(fd_);
  }
  FileHandle(const FileHandle&) = delete;
  FileHandle& operator=(const FileHandle&) = delete;
  int get() const { return fd_; }

 private:
  int fd_;
};

// Reads up to `size` bytes, retrying interrupted reads; -1 on a read error.
ssize_t ReadSome(int fd, char* buffer, size_t size) {
  ssize_t got;
  do {
    got = read(fd, buffer, size);
  } while (got < 0 && errno == EINTR);
  return got;
}

// Reads exactly `size` bytes unless the file ends first.
ssize_t ReadFull(int fd, char* buffer, size_t size) {
  size_t total = 0;
  while (total < size) {
    ssize_t got = ReadSome(fd, buffer + total, size - total);
    if (got < 0) return -1;
    if (got == 0) break;
    total += static_cast<size_t>(got);
  }
  return static_cast<ssize_t>(total);
}

}  // namespace

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

void ParseNumbers(std::string_view line, double* values, int32_t n) {
  TokenCursor tokens(line);
  for (int32_t i = 0; i < n; ++i) {
    std::string_view token = tokens.Next();
    values[i] = token.empty() ? 0.0 : ToFloatDef(token, 0);
  }
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

void InterpretLine(GraphDocument& doc, std::string_view line) {
  if (doc.InBlock) {
    // A row of numbers cannot be WAVES or END: take the short road.
    const char* p = line.data();
    const char* end = p + line.size();
    while (p < end && IsDelimiter(*p)) ++p;
    if (p < end && (StartsNumber(*p) || *p == '-' || *p == '+')) {
      StoreNumberRow(doc, p, end);
      return;
    }
  }
  TokenCursor tokens(line);
  std::string_view first = tokens.Next();
  if (StartsWithKeyword(first, "WAVES")) {
    DeclareWaves(doc, tokens);
  } else if (IsKeyword(first, "END")) {
    EndBlock(doc);
  } else if (doc.InBlock) {
    StoreRow(doc, first, tokens);
  } else if (IsKeyword(first, "BEGIN")) {
    doc.InBlock = true;
  } else if (IsKeyword(first, "X")) {
    InterpretCommand(doc, line);
  }
}

LoadResult LoadPatternText(GraphDocument& doc, std::string_view text) {
  size_t header = IgorHeaderLength(text.substr(0, 6));
  if (header == 0) return {LoadStatus::NotPattern, kNotPatternReason};
  BeginLoad(doc);
  try {
    if (text[header - 1] != kEndOfFile) {
      LineFeeder feeder(doc);
      if (feeder.Feed(text.substr(header))) feeder.Finish();
    }
  } catch (const std::bad_alloc&) {
    return {LoadStatus::Failed, kOutOfMemoryReason};
  }
  EndLoad(doc);
  return {LoadStatus::Loaded, {}};
}

LoadResult LoadPatternFile(GraphDocument& doc, const std::string& path) {
  // Non-blocking, so that a named pipe given by mistake cannot stall the
  // window; only regular files are read.
  FileHandle file(open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  if (file.get() < 0) return {LoadStatus::CannotOpen, std::strerror(errno)};
  struct stat info {};
  if (fstat(file.get(), &info) != 0) return {LoadStatus::CannotOpen, std::strerror(errno)};
  if (S_ISDIR(info.st_mode)) return {LoadStatus::CannotOpen, "is a directory"};
  if (!S_ISREG(info.st_mode)) return {LoadStatus::CannotOpen, "not a regular file"};

  // Six bytes decide: a large file of another kind costs nothing more.
  char head[6];
  ssize_t head_size = ReadFull(file.get(), head, sizeof head);
  if (head_size < 0) return {LoadStatus::CannotOpen, std::strerror(errno)};
  std::string_view head_text(head, static_cast<size_t>(head_size));
  size_t header = IgorHeaderLength(head_text);
  if (header == 0) return {LoadStatus::NotPattern, kNotPatternReason};

  BeginLoad(doc);
  try {
    if (head[header - 1] != kEndOfFile) {
      LineFeeder feeder(doc);
      bool going = feeder.Feed(head_text.substr(header));
      std::vector<char> buffer(1 << 18);
      while (going) {
        ssize_t got = ReadSome(file.get(), buffer.data(), buffer.size());
        if (got <= 0) break;  // end of file, or a read error that ends the loop
        going = feeder.Feed(std::string_view(buffer.data(), static_cast<size_t>(got)));
      }
      if (going) feeder.Finish();
    }
  } catch (const std::bad_alloc&) {
    // A line longer than the memory left, or no room for the values.
    return {LoadStatus::Failed, kOutOfMemoryReason};
  }
  EndLoad(doc);
  return {LoadStatus::Loaded, {}};
}

}  // namespace korvelin::document
