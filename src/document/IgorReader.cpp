#include "document/IgorReader.h"

#include <fast_float/fast_float.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstring>

#include "document/LineFeeder.h"

namespace korvelin::document {
namespace {

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
    wave.rgb_given = true;
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

// A plain decimal (see ReadPlainNumber) that ends the token.
inline bool ReadPlainDecimal(const char*& p, const char* end, double& value) {
  const char* q = p;
  if (!ReadPlainNumber(q, end, value) || (q < end && !IsDelimiter(*q))) return false;
  p = q;
  return true;
}

// One number token starting at p (a non-delimiter). The conversion itself
// finds the token's end; only a token it does not consume whole (a word,
// "1e", a lone ".") or whose value is not a normal double or zero (an
// overflow, which ToFloatDef refuses, or an underflow, which it reads as
// zero) goes the slow way through ToFloatDef, so the result is that of
// ToFloatDef on the whole token in every case. The fast conversion is the
// fast_float library's: correctly rounded like std::from_chars, and about
// 1.4 times as fast on the reader's rows. Plain decimals, most of a
// pattern file, are read before either (a quarter faster again).
inline double ReadNumberToken(const char*& p, const char* end) {
  double plain;
  if (ReadPlainDecimal(p, end, plain)) return plain;
  const char* start = p;
  // The conversion takes a minus sign but no plus sign, and never both.
  const char* from = (*p == '+') ? p + 1 : p;
  const char* mantissa = (*p == '-') ? p + 1 : from;
  if (mantissa < end && StartsNumber(*mantissa)) {
    double value;
    auto [ptr, ec] = fast_float::from_chars(from, end, value, fast_float::chars_format::general);
    if (ec == std::errc() && (ptr == end || IsDelimiter(*ptr)) &&
        (std::isnormal(value) || value == 0)) {
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

// Rows stored straight from the bytes read, without splitting the lines
// first: a row of exactly the block's columns (up to kQuickColumns) of plain
// decimals, ended by CR LF, LF or CR inside the bytes, is stored as
// StoreNumberRow stores it. Returns where the first row that is anything
// else begins (p when it is the first), which the line-by-line reading then
// takes, whatever it is.
constexpr int32_t kQuickColumns = 8;

inline bool IsRowSpace(char c) {
  return IsDelimiter(c) && c != '\r' && c != '\n' && c != kEndOfFile;
}

const char* TakeNumberRows(GraphDocument& doc, const char* p, const char* end, int64_t& lines) {
  if (!doc.InBlock || doc.WaveCount == 0 || !doc.BlockDeclared) return p;
  TWave& last = doc.Waves[doc.WaveCount - 1];
  const int32_t columns = last.stride;
  if (columns < 1 || columns > kQuickColumns) return p;
  double values[kQuickColumns];
  while (doc.ValueCount <= kMaxValues - columns) {
    const char* q = p;
    for (int32_t column = 0; column < columns; ++column) {
      while (q < end && IsRowSpace(*q)) ++q;
      if (q == end || !ReadPlainDecimal(q, end, values[column])) return p;
    }
    while (q < end && IsRowSpace(*q)) ++q;
    // More tokens, code 26, or the row's end not yet read: left to the lines.
    if (!SkipRowEnd(q, end)) return p;
    for (int32_t column = 0; column < columns; ++column) {
      SetValue(doc.Values, doc.ValueCount + column, values[column]);
    }
    doc.ValueCount += columns;
    ++last.count;
    ++lines;
    p = q;
  }
  return p;
}

// The line sink of a pattern file: rows of numbers are taken in bulk where
// they can be, every other line is interpreted alone.
struct PatternLines {
  GraphDocument& doc;
  void operator()(std::string_view line) { InterpretLine(doc, line); }
  const char* TakeLines(const char* p, const char* end, int64_t& lines) {
    return TakeNumberRows(doc, p, end, lines);
  }
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

}  // namespace

void ParseNumbers(std::string_view line, double* values, int32_t n) {
  TokenCursor tokens(line);
  for (int32_t i = 0; i < n; ++i) {
    std::string_view token = tokens.Next();
    values[i] = token.empty() ? 0.0 : ToFloatDef(token, 0);
  }
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

LoadResult LoadPatternSource(GraphDocument& doc, ByteSource& source, size_t chunk) {
  // Six bytes decide: a large file of another kind costs nothing more.
  char head[6];
  int error = 0;
  const ptrdiff_t head_size = ReadFull(source, head, sizeof head, error);
  if (head_size < 0) return {LoadStatus::CannotOpen, SystemReason(error)};
  const std::string_view head_text(head, static_cast<size_t>(head_size));
  const size_t header = IgorHeaderLength(head_text);
  if (header == 0) return {LoadStatus::NotPattern, kNotPatternReason};

  BeginLoad(doc);
  FeedOutcome outcome;
  try {
    if (head[header - 1] != kEndOfFile) {
      PatternLines lines{doc};
      outcome = FeedLines(source, head_text.substr(header), lines, 1, chunk);
    }
  } catch (const std::bad_alloc&) {
    return {LoadStatus::Failed, kOutOfMemoryReason};
  }
  // A file that could not be read to its end still shows what was read, as
  // a whole file would; the caller hears why the rest is missing.
  EndLoad(doc);
  if (!outcome.complete) return {LoadStatus::Incomplete, outcome.reason};
  return {LoadStatus::Loaded, {}};
}

LoadResult LoadPatternText(GraphDocument& doc, std::string_view text) {
  MemoryByteSource source(text);
  return LoadPatternSource(doc, source);
}

int OpenPatternFile(const std::string& path, LoadResult& refusal) {
  // Non-blocking, so that a named pipe given by mistake cannot stall the
  // window; only regular files are read.
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) {
    refusal = {LoadStatus::CannotOpen, SystemReason(errno)};
    return -1;
  }
  struct stat info {};
  if (fstat(fd, &info) != 0) {
    refusal = {LoadStatus::CannotOpen, SystemReason(errno)};
  } else if (S_ISDIR(info.st_mode)) {
    refusal = {LoadStatus::CannotOpen, "is a directory"};
  } else if (!S_ISREG(info.st_mode)) {
    refusal = {LoadStatus::CannotOpen, "not a regular file"};
  } else {
    return fd;
  }
  close(fd);
  return -1;
}

LoadResult LoadPatternFile(GraphDocument& doc, const std::string& path) {
  LoadResult refusal;
  const int fd = OpenPatternFile(path, refusal);
  if (fd < 0) return refusal;
  struct Closer {
    int fd;
    ~Closer() { close(fd); }
  } closer{fd};
  FileByteSource source(fd);
  return LoadPatternSource(doc, source);
}

}  // namespace korvelin::document
