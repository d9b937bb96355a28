// The second reading of an Igor Text file. It reads the whole file into a
// list of numeric waves and a buffer of their values first, and only then
// decides what fits the document, so that a file with nothing to draw leaves
// the document exactly as the plain reading made it. Lines come from the
// shared line feeder and numbers from the shared conversions, so both
// readings see the same lines and the same values.

#include "document/IgorSavedFiles.h"

#include <unistd.h>

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdio>
#include <limits>
#include <new>
#include <unordered_map>
#include <vector>

#include "document/QuotedName.h"
#include "document/TextNumbers.h"

namespace korvelin::document {
namespace {

// A 2-D wave of up to this many columns is drawn column by column; a wider
// one (a detector image of 1,500 columns) as the sum over each of its rows.
constexpr int64_t kMaxColumnTraces = 16;

// SetScale lines name waves in full, so names are kept beyond the
// document's 16 characters; past this length (more than the format allows)
// they are cut, so that a freak line cannot hold memory.
constexpr size_t kMaxNameBytes = 255;

constexpr double kNoNumber = std::numeric_limits<double>::quiet_NaN();

const char* const kOutOfMemoryReason = "Out of memory";

bool IsAsciiLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

// 'TS1_rough1_026' is the name TS1_rough1_026; an unclosed quote loses only
// its opening mark.
std::string_view Unquote(std::string_view token) {
  if (token.empty() || (token[0] != '\'' && token[0] != '"')) return token;
  const char quote = token[0];
  token.remove_prefix(1);
  if (!token.empty() && token.back() == quote) token.remove_suffix(1);
  return token;
}

// The key under which a name is found: upper-cased as FindWave compares.
std::string NameKey(std::string_view name) {
  std::string key(name.substr(0, kMaxNameBytes));
  for (char& c : key) c = UpperAscii(c);
  return key;
}

// The tokens of the commands on an X line, and the names of a WAVES line:
// the reader's token rule, except that a "..." string or a '...' name is one
// token with its quotes, since either may hold spaces and commas, and that
// ';' ends a command. Next() answers the empty text at a command's end.
class CommandTokens {
 public:
  explicit CommandTokens(std::string_view text)
      : p_(text.data()), end_(text.data() + text.size()) {}

  std::string_view Next() {
    while (p_ < end_ && IsDelimiter(*p_)) ++p_;
    const char* start = p_;
    if (p_ == end_ || *p_ == ';') return {};
    if (*p_ == '"' || *p_ == '\'') {
      const char quote = *p_++;
      // A string may escape its quote as \"; a name has no escapes.
      while (p_ < end_ && *p_ != quote)
        p_ += (quote == '"' && *p_ == '\\' && end_ - p_ > 1) ? 2 : 1;
      if (p_ < end_) ++p_;
    } else {
      while (p_ < end_ && !IsDelimiter(*p_) && *p_ != ';' && *p_ != '"' && *p_ != '\'') ++p_;
    }
    return std::string_view(start, static_cast<size_t>(p_ - start));
  }

  // Passes over the rest of the command and its ';'; false at the line's end.
  bool NextCommand() {
    while (!Next().empty()) {
    }
    if (p_ == end_) return false;
    ++p_;
    return true;
  }

 private:
  const char* p_;
  const char* end_;
};

// What the flags of a WAVES line say: /T text, /C complex, /N=(d1,d2,...)
// the sizes of the dimensions. /D, /S, /O and the others change nothing here.
struct Declaration {
  bool text = false;
  bool complex = false;
  int dimensions = 1;
  int64_t columns = 0;  // d2 of a 2-D wave
};

// /N=(600,501) has two dimensions and 501 columns; /N=(5,0,0) and /N=5 one
// dimension: sizes of 0 at the end name dimensions that are not used.
void ReadSizes(std::string_view sizes, Declaration& decl) {
  std::array<int64_t, 4> size{};
  int given = 0;
  TokenCursor tokens(sizes);
  for (std::string_view token = tokens.Next(); !token.empty() && given < 4; token = tokens.Next()) {
    size[given++] = ToIntDef(token, 0);
  }
  while (given > 1 && size[given - 1] <= 0) --given;
  decl.dimensions = std::max(given, 1);
  decl.columns = size[1];
}

// Reads the flags that follow the word WAVES, as in "/D/N=(4,3) finecut",
// and returns the text after them: the wave names.
std::string_view ReadFlags(std::string_view text, Declaration& decl) {
  size_t i = 0;
  auto skip_blanks = [&] {
    while (i < text.size() && static_cast<unsigned char>(text[i]) <= 32) ++i;
  };
  for (;;) {
    skip_blanks();
    if (i >= text.size() || text[i] != '/') break;
    const size_t word = ++i;
    while (i < text.size() && IsAsciiLetter(text[i])) ++i;
    const std::string_view flag = text.substr(word, i - word);
    skip_blanks();
    std::string_view value;
    if (i < text.size() && text[i] == '=') {
      ++i;
      skip_blanks();
      const size_t start = i;
      if (i < text.size() && text[i] == '(') {
        const size_t close = text.find(')', i);
        i = close == std::string_view::npos ? text.size() : close + 1;
        value = text.substr(start + 1, (close == std::string_view::npos ? i : close) - start - 1);
      } else {
        while (i < text.size() && !IsDelimiter(text[i]) && text[i] != '/') ++i;
        value = text.substr(start, i - start);
      }
    }
    if (IsKeyword(flag, "T")) {
      decl.text = true;
    } else if (IsKeyword(flag, "C")) {
      decl.complex = true;
    } else if (IsKeyword(flag, "N")) {
      ReadSizes(value, decl);
    }
  }
  return text.substr(i);
}

// How a wave's x values follow from its SetScale x command: with /P, a is
// the first value and b the step; with /I, a and b are the first and the
// last value; with neither, b is the value one step past the last point.
struct XScale {
  bool given = false;
  char mode = 0;  // 'P', 'I' or 0
  double a = 0;
  double b = 0;
};

// One numeric wave of the file and where its rows lie in the value buffer.
struct SavedWave {
  std::string name;     // as written, unquoted, at most kMaxNameBytes
  int32_t first = 0;    // buffer index of point 0 (of column 0 in 2-D)
  int32_t stride = 1;   // buffer distance from one row to the next
  int32_t count = 0;    // rows in the buffer
  int64_t rows = 0;     // rows in the file, also those past the value table's end
  int32_t columns = 0;  // a 2-D wave drawn column by column: its columns
  bool sums = false;    // a wider 2-D wave: the buffer holds its row sums
  XScale scale;
};

// x_i = start + i * step.
struct LinearX {
  double start = 0;
  double step = 1;
};

// The x values of a wave of n rows (n >= 1). A scale whose values would not
// all be finite numbers is passed over, and x is the point index.
LinearX ResolveScale(const XScale& scale, int32_t n) {
  if (!scale.given) return {};
  double step;
  if (scale.mode == 'P') {
    step = scale.b;
  } else if (scale.mode == 'I') {
    step = n > 1 ? (scale.b - scale.a) / (n - 1) : 0.0;
  } else {
    step = (scale.b - scale.a) / n;
  }
  const double span = step * (n - 1);
  if (!std::isfinite(step) || !std::isfinite(span) || !std::isfinite(scale.a + span)) return {};
  return {scale.a, step};
}

// A sum of finite values that overflowed is held at the largest finite
// value of its sign, so that every stored value is a number.
double FiniteSum(double sum) {
  if (std::isnan(sum)) return 0.0;
  return std::clamp(sum, -DBL_MAX, DBL_MAX);
}

enum class RowKind {
  Skip,    // text, complex and 3-D waves, or no wave recorded
  Values,  // `width` numbers per row, stored as they are
  Sums,    // the sum of the first `sum_width` numbers of each row
};

// The block of the latest WAVES line. A second BEGIN ... END without a new
// WAVES line adds rows to it, as the plain reading does.
struct Block {
  RowKind kind = RowKind::Skip;
  int32_t first_wave = 0;
  int32_t wave_count = 0;
  int32_t width = 0;
  int64_t sum_width = 0;
  int32_t rows = 0;       // in the buffer
  int64_t rows_read = 0;  // in the file
};

// The line sink of the second reading: collects the numeric waves, their
// values and their scales, and counts the waves it passes over.
class SavedFileReader {
 public:
  explicit SavedFileReader(SavedFileReport& report) : report_(report) {}

  void operator()(std::string_view line) {
    if (lines_++ == 0) {
      pattern_ = IsKeyword(line, "IGOR");
      return;
    }
    if (!pattern_) return;
    TokenCursor tokens(line);
    const std::string_view first = tokens.Next();
    if (StartsWithKeyword(first, "WAVES")) {
      // The flags may be part of the first token (WAVES/D/N) and go on past
      // it, since '=', '(' and ',' end tokens: they are read from the text.
      Declare(line.substr(static_cast<size_t>(first.data() - line.data()) + 5));
    } else if (IsKeyword(first, "END")) {
      in_block_ = false;
      CloseBlock();
    } else if (in_block_) {
      if (!first.empty()) DataLine(first, tokens);
    } else if (IsKeyword(first, "BEGIN")) {
      in_block_ = true;
    } else if (IsKeyword(first, "X")) {
      Commands(tokens.Rest());
    }
  }

  void Finish() { CloseBlock(); }

  bool pattern() const { return pattern_; }
  const std::vector<double>& values() const { return values_; }
  const std::vector<SavedWave>& waves() const { return waves_; }

 private:
  void Count(LeftOut reason) { ++report_.left_out[static_cast<int>(reason)]; }

  void Declare(std::string_view text) {
    CloseBlock();
    block_ = Block{};
    Declaration decl;
    CommandTokens names(ReadFlags(text, decl));
    if (decl.text || decl.complex || decl.dimensions >= 3) {
      const LeftOut reason = decl.text      ? LeftOut::Text
                             : decl.complex ? LeftOut::Complex
                                            : LeftOut::ThreeD;
      for (std::string_view name = names.Next(); !name.empty(); name = names.Next()) Count(reason);
      return;
    }
    if (decl.dimensions == 2) {
      Declare2D(decl.columns, names);
      return;
    }
    block_.first_wave = static_cast<int32_t>(waves_.size());
    for (std::string_view name = names.Next(); !name.empty(); name = names.Next()) {
      if (Record(name) < 0) Count(LeftOut::OverCapacity);
    }
    block_.wave_count = static_cast<int32_t>(waves_.size()) - block_.first_wave;
    if (block_.wave_count == 0) return;
    block_.kind = RowKind::Values;
    block_.width = block_.wave_count;
    for (int32_t k = 0; k < block_.wave_count; ++k) {
      SavedWave& wave = waves_[static_cast<size_t>(block_.first_wave + k)];
      wave.first = static_cast<int32_t>(values_.size()) + k;
      wave.stride = block_.width;
    }
  }

  // A 2-D declaration holds one wave; each data line is one row of it.
  void Declare2D(int64_t columns, CommandTokens& names) {
    const std::string_view name = names.Next();
    if (name.empty()) return;
    const int32_t w = Record(name);
    if (w < 0) Count(LeftOut::OverCapacity);
    for (std::string_view more = names.Next(); !more.empty(); more = names.Next()) {
      Count(LeftOut::SharedBlock);
    }
    if (w < 0) return;
    SavedWave& wave = waves_[static_cast<size_t>(w)];
    wave.first = static_cast<int32_t>(values_.size());
    block_.first_wave = w;
    block_.wave_count = 1;
    if (columns <= kMaxColumnTraces) {
      block_.kind = RowKind::Values;
      block_.width = static_cast<int32_t>(columns);
      wave.columns = block_.width;
      wave.stride = block_.width;
    } else {
      block_.kind = RowKind::Sums;
      block_.width = 1;
      block_.sum_width = columns;
      wave.sums = true;
      wave.stride = 1;
    }
  }

  // A new numeric wave, or -1 when the wave table could not take one more.
  int32_t Record(std::string_view token) {
    if (waves_.size() >= static_cast<size_t>(kMaxWaves)) return -1;
    const std::string_view name = Unquote(token).substr(0, kMaxNameBytes);
    const auto index = static_cast<int32_t>(waves_.size());
    waves_.emplace_back().name = std::string(name);
    by_name_[NameKey(name)] = index;  // a later wave of the same name wins
    return index;
  }

  // A row that would pass the value table's end is dropped whole, and
  // counted so that the report can say how much was kept.
  void DataLine(std::string_view first, TokenCursor& tokens) {
    if (block_.kind == RowKind::Skip) return;
    ++block_.rows_read;
    const size_t base = values_.size();
    if (base + static_cast<size_t>(block_.width) > static_cast<size_t>(kMaxValues)) return;
    std::string_view token = first;
    if (block_.kind == RowKind::Sums) {
      double sum = 0;
      for (int64_t k = 0; k < block_.sum_width && !token.empty(); ++k, token = tokens.Next()) {
        sum += ToFloatDef(token, 0);
      }
      values_.push_back(FiniteSum(sum));
    } else {
      values_.resize(base + static_cast<size_t>(block_.width), 0.0);
      for (int32_t k = 0; k < block_.width && !token.empty(); ++k) {
        values_[base + static_cast<size_t>(k)] = ToFloatDef(token, 0);
        if (k + 1 < block_.width) token = tokens.Next();
      }
    }
    ++block_.rows;
  }

  void CloseBlock() {
    if (block_.kind == RowKind::Skip) return;
    for (int32_t k = 0; k < block_.wave_count; ++k) {
      SavedWave& wave = waves_[static_cast<size_t>(block_.first_wave + k)];
      wave.count = block_.rows;
      wave.rows = block_.rows_read;
    }
  }

  // Commands are split at ';'; of them only SetScale matters here.
  void Commands(std::string_view text) {
    CommandTokens tokens(text);
    do {
      const std::string_view word = tokens.Next();
      if (StartsWithKeyword(word, "SETSCALE")) SetScale(word.substr(8), tokens);
    } while (tokens.NextCommand());
  }

  // SetScale/P x 0,1,"", test  and  SetScale/I x, 1, 8, "Step", 'name':
  // flags, the dimension, two numbers, an optional unit, and wave names.
  void SetScale(std::string_view flags, CommandTokens& tokens) {
    char mode = 0;
    auto read_flags = [&mode](std::string_view text) {
      for (size_t i = 0; i + 1 < text.size(); ++i) {
        const char flag = UpperAscii(text[i + 1]);
        if (text[i] == '/' && (flag == 'I' || flag == 'P')) mode = flag;
      }
    };
    read_flags(flags);
    std::string_view token = tokens.Next();
    for (; !token.empty() && token[0] == '/'; token = tokens.Next()) read_flags(token);
    if (!IsKeyword(token, "X")) return;
    const double a = ToFloatDef(tokens.Next(), kNoNumber);
    const double b = ToFloatDef(tokens.Next(), kNoNumber);
    if (std::isnan(a) || std::isnan(b)) return;
    for (token = tokens.Next(); !token.empty(); token = tokens.Next()) {
      if (token[0] == '"') continue;  // the unit
      const auto found = by_name_.find(NameKey(Unquote(token)));
      if (found != by_name_.end()) {
        waves_[static_cast<size_t>(found->second)].scale = XScale{true, mode, a, b};
      }
    }
  }

  SavedFileReport& report_;
  int64_t lines_ = 0;
  bool pattern_ = false;
  bool in_block_ = false;
  Block block_;
  std::vector<double> values_;
  std::vector<SavedWave> waves_;
  std::unordered_map<std::string, int32_t> by_name_;
};

// One x wave serves every drawn wave whose x values start and step alike; a
// trace reads as many points as its shorter wave has, so the x wave holds
// as many as the longest of them.
struct XGroup {
  LinearX x;
  int32_t count = 0;
  int32_t wave = -1;  // its index in the document once made
};

// The saved waves that fit the document, in file order, with the rows kept
// of each, and their x waves.
struct Plan {
  std::vector<int32_t> drawn;
  std::vector<int32_t> kept;  // per drawn wave
  std::vector<XGroup> groups;
  std::vector<int32_t> group_of;  // per saved wave
  int64_t values = 0;             // the leading values of the buffer the drawn rows need
};

int32_t SeriesOf(const SavedWave& wave) { return wave.columns > 0 ? wave.columns : 1; }

// One past the last buffer value of the first n rows (n >= 1) of the wave.
int64_t EndOfRows(const SavedWave& wave, int32_t n) {
  return wave.first + int64_t{n - 1} * wave.stride + (wave.columns > 0 ? wave.columns : 1);
}

// Decides, in file order, which waves fit the 256 waves and 256 traces of
// the document, and how many of their rows fit its 1,048,576 values: the
// buffer up to the last row kept, and the x values. Like the plain reading,
// the first rows are kept: the wave whose x values would pass the table
// keeps as many rows as fit with their x values, and a wave with no room
// for a single row is left out.
Plan MakePlan(const std::vector<SavedWave>& waves, SavedFileReport& report) {
  Plan plan;
  plan.group_of.assign(waves.size(), -1);
  for (size_t i = 0; i < waves.size(); ++i) {
    const SavedWave& wave = waves[i];
    if (wave.count == 0) continue;
    const LinearX x = ResolveScale(wave.scale, wave.count);
    auto same = [&x](const XGroup& g) { return g.x.start == x.start && g.x.step == x.step; };
    auto group = std::find_if(plan.groups.begin(), plan.groups.end(), same);
    if (group == plan.groups.end()) group = plan.groups.insert(group, XGroup{x});
    plan.group_of[i] = static_cast<int32_t>(group - plan.groups.begin());
  }
  auto count = [&report](LeftOut reason) { ++report.left_out[static_cast<int>(reason)]; };
  std::vector<bool> made(plan.groups.size(), false);
  int32_t wave_slots = 0;
  int32_t traces = 0;
  int64_t x_values = 0;
  for (size_t i = 0; i < waves.size(); ++i) {
    const SavedWave& wave = waves[i];
    if (wave.count == 0) {
      count(LeftOut::NoValues);
      continue;
    }
    const auto g = static_cast<size_t>(plan.group_of[i]);
    const int32_t series = SeriesOf(wave);
    const int32_t new_x = made[g] ? 0 : 1;
    const int64_t x_count = plan.groups[g].count;
    // The values needed with n rows kept; it grows with n.
    auto needed = [&](int32_t n) {
      return std::max(plan.values, EndOfRows(wave, n)) + x_values +
             std::max<int64_t>(n - x_count, 0);
    };
    int32_t lo = 0;
    int32_t hi = wave.count;
    while (lo < hi) {
      const int32_t mid = hi - (hi - lo) / 2;
      if (needed(mid) <= kMaxValues) {
        lo = mid;
      } else {
        hi = mid - 1;
      }
    }
    if (wave_slots + series + new_x > kMaxWaves || traces + series > kMaxTraces || lo == 0) {
      count(LeftOut::OverCapacity);
      continue;
    }
    if (lo < wave.rows) {
      report.kept_points += lo;
      report.points_in_file += wave.rows;
    }
    plan.values = std::max(plan.values, EndOfRows(wave, lo));
    x_values += std::max<int64_t>(lo - x_count, 0);
    plan.groups[g].count = std::max(plan.groups[g].count, lo);
    made[g] = true;
    wave_slots += series + new_x;
    traces += series;
    plan.drawn.push_back(static_cast<int32_t>(i));
    plan.kept.push_back(lo);
  }
  return plan;
}

// The name cut so that the suffix still fits the document's 16 characters:
// ("finecut", "_x") gives finecut_x, ("Detector_3_2_long", "_x") gives
// Detector_3_2_l_x.
std::string Suffixed(std::string_view name, std::string_view suffix) {
  std::string text(name.substr(0, kNameLength - suffix.size()));
  text.append(suffix);
  return text;
}

int32_t AddWave(GraphDocument& doc, std::string_view name, int32_t first, int32_t stride,
                int32_t count) {
  TWave& wave = doc.Waves[static_cast<size_t>(doc.WaveCount)];
  wave = TWave{};
  SetWaveName(wave, name);
  wave.first = first;
  wave.stride = stride;
  wave.count = count;
  return doc.WaveCount++;
}

// The y waves of one saved wave: itself, each of its columns (finecut_0,
// finecut_1, ...), or its row sums (Detector_3_2_sum).
void AddYWaves(GraphDocument& doc, const SavedWave& wave, int32_t rows) {
  if (wave.sums) {
    AddWave(doc, Suffixed(wave.name, "_sum"), wave.first, 1, rows);
  } else if (wave.columns > 0) {
    char suffix[8];
    for (int32_t k = 0; k < wave.columns; ++k) {
      const int length = std::snprintf(suffix, sizeof suffix, "_%d", k);
      AddWave(doc, Suffixed(wave.name, std::string_view(suffix, static_cast<size_t>(length))),
              wave.first + k, wave.stride, rows);
    }
  } else {
    AddWave(doc, wave.name, wave.first, wave.stride, rows);
  }
}

// The x wave after the values, named after the first wave drawn against it.
int32_t AddXWave(GraphDocument& doc, const XGroup& group, std::string_view owner) {
  const int32_t first = doc.ValueCount;
  for (int32_t i = 0; i < group.count; ++i) {
    SetValue(doc.Values, first + i, group.x.start + i * group.x.step);
  }
  doc.ValueCount += group.count;
  return AddWave(doc, Suffixed(owner, "_x"), first, 1, group.count);
}

// A flat range is widened by half its value on each side (1000 shows 500 to
// 1500), one at 0 or at a value too small to halve by 1 (0 shows -1 .. 1),
// so that ticks and numbers have room; both ends stay finite.
void Widen(double& low, double& high) {
  if (low < high) return;
  if (low > high) {
    low = kDefaultAxisRange.Left;
    high = kDefaultAxisRange.Right;
    return;
  }
  const double value = low;
  const double half = std::fabs(value) / 2;
  low = std::max(value - half, -DBL_MAX);
  high = std::min(value + half, DBL_MAX);
  if (!(low < high)) {
    // Zero, or so small that half of it vanishes (4.9E-324).
    low = value - 1;
    high = value + 1;
  }
}

// x from the smallest to the largest x value drawn (x waves are linear, so
// their ends suffice), y from the lowest to the highest y value.
void FitAxisRange(GraphDocument& doc) {
  double left = DBL_MAX, right = -DBL_MAX, bottom = DBL_MAX, top = -DBL_MAX;
  for (int32_t t = 0; t < doc.TraceCount; ++t) {
    const TTrace& trace = doc.Traces[static_cast<size_t>(t)];
    const TWave& x = doc.Waves[static_cast<size_t>(trace.XWave)];
    const TWave& y = doc.Waves[static_cast<size_t>(trace.YWave)];
    const int32_t n = std::min(x.count, y.count);
    if (n <= 0) continue;
    const double x0 = GetValue(doc.Values, x.first);
    const double x1 = GetValue(doc.Values, x.first + (n - 1) * x.stride);
    left = std::min({left, x0, x1});
    right = std::max({right, x0, x1});
    for (int32_t i = 0, index = y.first; i < n; ++i, index += y.stride) {
      const double v = GetValue(doc.Values, index);
      bottom = std::min(bottom, v);
      top = std::max(top, v);
    }
  }
  Widen(left, right);
  Widen(bottom, top);
  doc.AxisRange = RealRect(left, top, right, bottom);
  doc.AxisHistory = FilledHistory(doc.AxisRange);
}

// Replaces the document with the planned waves and traces: the buffer up
// to the last row kept, then the x waves.
void ApplyPlan(GraphDocument& doc, const SavedFileReader& reader, Plan& plan) {
  FreeValueStore(doc.Values);
  ResetDocument(doc);
  const std::vector<double>& values = reader.values();
  for (int32_t i = 0; i < plan.values; ++i) {
    SetValue(doc.Values, i, values[static_cast<size_t>(i)]);
  }
  doc.ValueCount = static_cast<int32_t>(plan.values);
  for (size_t d = 0; d < plan.drawn.size(); ++d) {
    const auto i = static_cast<size_t>(plan.drawn[d]);
    const SavedWave& wave = reader.waves()[i];
    XGroup& group = plan.groups[static_cast<size_t>(plan.group_of[i])];
    const int32_t first_y = doc.WaveCount;
    AddYWaves(doc, wave, plan.kept[d]);
    const int32_t end_y = doc.WaveCount;
    if (group.wave < 0) group.wave = AddXWave(doc, group, wave.name);
    for (int32_t y = first_y; y < end_y; ++y) {
      doc.Traces[static_cast<size_t>(doc.TraceCount++)] = TTrace{group.wave, y};
    }
  }
  FitAxisRange(doc);
}

// The plain reading's result and document, then the second reading where
// the file needs one; `read_again` runs LoadSavedSource on a fresh source.
template <class ReadAgain>
LoadResult FinishGraphLoad(GraphDocument& doc, LoadResult result, SavedFileReport& report,
                           ReadAgain&& read_again) {
  report = SavedFileReport{};
  if (result.accepted() && NeedsSavedFileReading(doc)) {
    LoadResult again = read_again(report);
    if (report.fallback) {
      result = std::move(again);
    } else if (again.status == LoadStatus::CannotOpen || again.status == LoadStatus::Incomplete) {
      // The second reading could not read the file: the plain reading stays
      // on show, and the file is reported as one read in part.
      result = {LoadStatus::Incomplete, std::move(again.reason)};
    }
  }
  report.shows_nothing = result.accepted() && ShowsNothing(doc);
  return result;
}

// 524288 as "524,288", as a report reads it.
std::string GroupedNumber(int64_t number) {
  const std::string digits = std::to_string(number);
  std::string grouped;
  for (size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) grouped += ',';
    grouped += digits[i];
  }
  return grouped;
}

}  // namespace

std::string_view LeftOutText(LeftOut reason) {
  switch (reason) {
    case LeftOut::ThreeD:
      return "3-D wave";
    case LeftOut::Text:
      return "text wave";
    case LeftOut::Complex:
      return "complex wave";
    case LeftOut::SharedBlock:
      return "shares a 2-D block";
    case LeftOut::NoValues:
      return "no values";
    case LeftOut::OverCapacity:
      return "over capacity";
  }
  return {};
}

bool NeedsSavedFileReading(const GraphDocument& doc) {
  if (doc.WaveCount <= 0) return false;
  for (int32_t t = 0; t < doc.TraceCount; ++t) {
    const TTrace& trace = doc.Traces[static_cast<size_t>(t)];
    if (trace.XWave >= 0 && trace.YWave >= 0) return false;
  }
  return true;
}

bool ShowsNothing(const GraphDocument& doc) {
  auto has_points = [&doc](int32_t w) {
    return w >= 0 && w < doc.WaveCount && doc.Waves[static_cast<size_t>(w)].count > 0;
  };
  for (int32_t t = 0; t < doc.TraceCount; ++t) {
    const TTrace& trace = doc.Traces[static_cast<size_t>(t)];
    if (has_points(trace.XWave) && has_points(trace.YWave)) return false;
  }
  return true;
}

LoadResult LoadSavedSource(GraphDocument& doc, ByteSource& source, SavedFileReport& report,
                           size_t chunk) {
  report = SavedFileReport{};
  SavedFileReader reader(report);
  FeedOutcome outcome;
  Plan plan;
  try {
    outcome = FeedLines(source, {}, reader, 0, chunk);
    reader.Finish();
    if (!reader.pattern()) {
      if (!outcome.complete) return {LoadStatus::CannotOpen, outcome.reason};
      return {LoadStatus::NotPattern, "not a pattern file (the first line is not IGOR)"};
    }
    plan = MakePlan(reader.waves(), report);
  } catch (const std::bad_alloc&) {
    // Nothing of the document was touched yet.
    return {LoadStatus::Failed, kOutOfMemoryReason};
  }
  LoadResult result{LoadStatus::Loaded, {}};
  if (!outcome.complete) result = {LoadStatus::Incomplete, outcome.reason};
  if (plan.drawn.empty()) return result;
  report.fallback = true;
  try {
    ApplyPlan(doc, reader, plan);
  } catch (const std::bad_alloc&) {
    FreeValueStore(doc.Values);
    ResetDocument(doc);
    return {LoadStatus::Failed, kOutOfMemoryReason};
  }
  report.traces = doc.TraceCount;
  return result;
}

// Both readings read one open file, so the second reads the bytes the
// first did even when the file is removed or replaced meanwhile.
LoadResult LoadGraphFile(GraphDocument& doc, const std::string& path, SavedFileReport& report) {
  LoadResult refusal;
  const int fd = OpenPatternFile(path, refusal);
  if (fd < 0) {
    report = SavedFileReport{};
    return refusal;
  }
  struct Closer {
    int fd;
    ~Closer() { close(fd); }
  } closer{fd};
  FileByteSource first(fd);
  LoadResult result = LoadPatternSource(doc, first);
  return FinishGraphLoad(doc, std::move(result), report, [&](SavedFileReport& second) {
    if (lseek(fd, 0, SEEK_SET) != 0) return LoadResult{LoadStatus::CannotOpen, SystemReason(errno)};
    FileByteSource source(fd);
    return LoadSavedSource(doc, source, second);
  });
}

LoadResult LoadGraphText(GraphDocument& doc, std::string_view text, SavedFileReport& report,
                         size_t chunk) {
  MemoryByteSource first(text, chunk);
  LoadResult result = LoadPatternSource(doc, first, chunk);
  return FinishGraphLoad(doc, std::move(result), report, [&](SavedFileReport& second) {
    MemoryByteSource again(text, chunk);
    return LoadSavedSource(doc, again, second, chunk);
  });
}

std::string SavedFileSummary(const SavedFileReport& report) {
  std::string text;
  if (report.fallback && report.traces > 0) {
    text = "read as saved waves: " + std::to_string(report.traces) +
           (report.traces == 1 ? " trace" : " traces");
  } else if (report.shows_nothing) {
    text = "no wave to plot";
  } else {
    return text;
  }
  if (report.points_in_file > 0) {
    text += "; kept " + GroupedNumber(report.kept_points) + " of " +
            GroupedNumber(report.points_in_file) + " points";
  }
  const char* separator = "; left out: ";
  for (int r = 0; r < kLeftOutReasons; ++r) {
    if (report.left_out[static_cast<size_t>(r)] == 0) continue;
    text += separator;
    text += LeftOutText(static_cast<LeftOut>(r));
    text += " (" + std::to_string(report.left_out[static_cast<size_t>(r)]) + ")";
    separator = ", ";
  }
  return text;
}

std::string SavedFileMessage(std::string_view path, const SavedFileReport& report) {
  const std::string summary = SavedFileSummary(report);
  if (summary.empty()) return summary;
  std::string line = "korvelin: ";
  line += QuoteName(path);
  line += ": ";
  return line + summary;
}

std::string SavedFileNotice(const SavedFileReport& report) {
  return report.shows_nothing ? SavedFileSummary(report) : std::string();
}

}  // namespace korvelin::document
