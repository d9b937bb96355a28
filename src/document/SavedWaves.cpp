// The second reading of an Igor Text file, for files with waves but no
// graph commands: the line sink and the loads. It reads the whole file into a
// list of numeric waves and a buffer of their values first, and only then
// decides what fits the document, so that a file with nothing to draw leaves
// the document exactly as the plain reading made it. Lines come from the
// shared line feeder and numbers from the shared conversions, so both
// readings see the same lines and the same values.

#include "document/SavedWaves.h"

#include <unistd.h>

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <new>
#include <unordered_map>
#include <vector>

#include "document/SavedWavesPlan.h"
#include "document/SavedWavesSyntax.h"
#include "document/TextNumbers.h"

namespace korvelin::document {
namespace {

using namespace saved;  // NOLINT: the second reading's own vocabulary

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

}  // namespace

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
    ApplyPlan(doc, reader.values(), reader.waves(), plan);
  } catch (const std::bad_alloc&) {
    FreeValueStore(doc.Values);
    ResetDocument(doc);
    return {LoadStatus::Failed, kOutOfMemoryReason};
  }
  report.traces = doc.TraceCount;
  return result;
}

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
  return LoadGraphDescriptor(doc, fd, report);
}

// Both readings read one open file, so the second reads the bytes the
// first did even when the file is removed or replaced meanwhile.
LoadResult LoadGraphDescriptor(GraphDocument& doc, int fd, SavedFileReport& report) {
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

}  // namespace korvelin::document
