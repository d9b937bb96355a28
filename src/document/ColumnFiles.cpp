// The reading of plain column files: the line sink that finds the file's
// decimal sign from its first lines and keeps the longest run of rows, and
// the load that turns that run into waves and traces. Lines come from the
// shared line feeder, so a column file has the line ends, the bounded line
// length and the read errors of a pattern file.

#include "document/ColumnFiles.h"

#include <algorithm>
#include <array>
#include <cfloat>
#include <cmath>
#include <memory>
#include <new>
#include <utility>
#include <vector>

#include "document/ColumnSyntax.h"
#include "document/SavedWaves.h"
#include "document/SavedWavesPlan.h"

namespace korvelin::document {
namespace {

using namespace columns;  // NOLINT: the column reader's own vocabulary

// The decimal sign is found from the first lines up to the 64th that starts
// like a number, at most 4,096 lines and 1 MiB of them.
constexpr int32_t kSampleRows = 64;
constexpr size_t kSampleBytes = size_t{1} << 20;
constexpr size_t kSampleLines = 4096;

// A header line longer than this names no columns and is not kept.
constexpr size_t kMaxHeaderBytes = 4096;

// A run of consecutive rows with the same count of numbers. Comment and
// blank lines inside it do not end it; a text line or a row of another
// count does.
struct Run {
  int32_t width = 0;  // numbers per row
  int32_t kept_columns = 0;
  int64_t rows = 0;  // in the file
  // kept_columns per row, as many rows as fit, in a value store of its own
  // taken on the first row: memory is touched only as rows arrive, a long
  // run is never copied as it grows, and the document takes the store
  // itself.
  std::unique_ptr<ValueStore> store;
  double* values = nullptr;
  int32_t value_count = 0;
  std::string header;  // the last header line before the run
};

// The value stores of runs are kept per thread from file to file, as the
// read buffer is: the document takes the store of the run it shows and gives
// its old one here, so a series of files, or a file read again, writes over
// memory it already has instead of faulting in fresh pages. A reader holds
// two at most.
std::vector<std::unique_ptr<ValueStore>>& SpareStores() {
  thread_local std::vector<std::unique_ptr<ValueStore>> spare;
  return spare;
}

std::unique_ptr<ValueStore> TakeStore() {
  std::vector<std::unique_ptr<ValueStore>>& spare = SpareStores();
  if (spare.empty()) return std::make_unique<ValueStore>();
  std::unique_ptr<ValueStore> store = std::move(spare.back());
  spare.pop_back();
  return store;
}

void GiveBack(std::unique_ptr<ValueStore> store) {
  if (store && SpareStores().size() < 2) SpareStores().push_back(std::move(store));
}

bool StartsLikeNumber(std::string_view line) {
  for (char c : line) {
    if (static_cast<unsigned char>(c) <= ' ') continue;
    return (c >= '0' && c <= '9') || c == '-' || c == '+' || c == '.' || c == ',';
  }
  return false;
}

// What may follow a number in a row that TakeLines reads.
constexpr std::array<bool, 256> kEndsNumber = [] {
  std::array<bool, 256> table{};
  for (unsigned char c : std::string_view(" \t,;\r\n")) table[c] = true;
  return table;
}();

// The line sink of a column file. It holds the first lines until the
// decimal sign is known, then reads each line as a row, a comment or text,
// keeping the longest run of rows and the header line before each run.
// What the run becomes in the document is the load's business.
class ColumnReader {
 public:
  ColumnReader() = default;
  ColumnReader(const ColumnReader&) = delete;
  ColumnReader& operator=(const ColumnReader&) = delete;
  ~ColumnReader() {
    GiveBack(std::move(current_.store));
    GiveBack(std::move(best_.store));
  }

  void operator()(std::string_view line) {
    if (decided_) {
      Take(line);
      return;
    }
    if (sample_bytes_ + line.size() > kSampleBytes) {
      // The sign is decided from the lines before one that would take the
      // sample past its size, so that the sample never holds a long line.
      Decide();
      Take(line);
      return;
    }
    sample_.emplace_back(line);
    sample_bytes_ += line.size();
    if (StartsLikeNumber(line)) ++sample_rows_;
    if (sample_rows_ >= kSampleRows || sample_.size() >= kSampleLines) {
      Decide();
    }
  }

  void Finish() {
    if (!decided_) Decide();
    EndRun();
  }

  Run& best() { return best_; }
  char decimal() const { return decimal_; }

 private:
  void Decide() {
    decimal_ = FindDecimalSign(sample_);
    decided_ = true;
    for (const std::string& line : sample_) Take(line);
    sample_.clear();
    sample_.shrink_to_fit();
  }

  void Take(std::string_view line) {
    if (IsCommentLine(line)) {
      NoteHeader(line);
      return;
    }
    double values[kMaxKeptColumns];
    const int32_t count = ReadRow(line, decimal_, values, kMaxKeptColumns);
    if (count == 0) return;  // blank
    if (count < 2) {
      // Text ends the run; a lone number (a wavelength, a point count) does
      // too, but names nothing.
      EndRun();
      if (count < 0) NoteHeader(line);
      return;
    }
    if (count != current_.width) {
      EndRun();
      current_.width = count;
      current_.kept_columns = std::min(count, kMaxKeptColumns);
      current_.header = header_;
      if (!current_.store) {
        current_.store = TakeStore();
        current_.values = TakeAllPages(*current_.store);
      }
    }
    AddRow(values);
  }

  void AddRow(const double* values) {
    ++current_.rows;
    const int32_t kept = current_.kept_columns;
    if (current_.value_count <= kMaxValues - kept) {
      double* out = current_.values + current_.value_count;
      for (int32_t k = 0; k < kept; ++k) out[k] = values[k];
      current_.value_count += kept;
    }
  }

 public:
  // Rows of the current run taken straight from the bytes read, without
  // splitting the lines first: a row of exactly the run's count of plain
  // decimals, kept whole, with blanks and single separators between them
  // and a line end inside the bytes, is added as Take adds it. Returns
  // where the first line that is anything else begins (p when it is the
  // first), which Take then reads, whatever it is.
  const char* TakeLines(const char* p, const char* end, int64_t& lines) {
    const int32_t width = current_.width;
    if (!decided_ || decimal_ != '.' || width < 2 || width > kMaxKeptColumns) return p;
    auto blank = [](char c) { return c == ' ' || c == '\t'; };
    double scratch[kMaxKeptColumns];
    for (;;) {
      // Numbers go straight to their place in the run where there is room;
      // a row that turns out to be no plain row leaves them past its end.
      const bool room = current_.value_count <= kMaxValues - width;
      double* row = room ? current_.values + current_.value_count : scratch;
      const char* q = p;
      for (int32_t column = 0; column < width; ++column) {
        while (q < end && blank(*q)) ++q;
        if (column > 0 && q < end && (*q == ',' || *q == ';')) {
          ++q;
          while (q < end && blank(*q)) ++q;
        }
        if (q == end || !ReadPlainNumber(q, end, row[column])) return p;
        if (q < end && !kEndsNumber[static_cast<unsigned char>(*q)]) return p;
      }
      while (q < end && blank(*q)) ++q;
      // More fields, code 26, or the row's end not yet read: left to Take.
      if (!SkipRowEnd(q, end)) return p;
      ++current_.rows;
      if (room) current_.value_count += width;
      ++lines;
      p = q;
    }
  }

 private:
  void NoteHeader(std::string_view line) {
    if (line.size() <= kMaxHeaderBytes) {
      header_.assign(line);
    } else {
      header_.clear();
    }
  }

  // The first of the longest runs wins; the other's memory is kept for the
  // next run. A header line names only the run right after it: a line of
  // parameters between the two ("1.5406 0.02 10 80") parts them.
  void EndRun() {
    if (current_.rows > 0) header_.clear();
    if (current_.rows > best_.rows) std::swap(current_, best_);
    current_.width = 0;
    current_.rows = 0;
    current_.value_count = 0;
    current_.header.clear();
  }

  bool decided_ = false;
  char decimal_ = '.';
  std::vector<std::string> sample_;
  size_t sample_bytes_ = 0;
  int32_t sample_rows_ = 0;
  std::string header_;
  Run current_;
  Run best_;
};

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return UpperAscii(x) == UpperAscii(y);
         });
}

// "data/scan_01.xye" gives scan_01.
std::string_view Stem(std::string_view file_name) {
  const size_t slash = file_name.rfind('/');
  if (slash != std::string_view::npos) file_name.remove_prefix(slash + 1);
  const size_t dot = file_name.rfind('.');
  if (dot != std::string_view::npos && dot > 0) file_name = file_name.substr(0, dot);
  return file_name;
}

bool IsXyeFile(std::string_view file_name) {
  return file_name.size() >= 4 &&
         EqualsIgnoringCase(file_name.substr(file_name.size() - 4), ".xye");
}

// What each kept column is and is called.
struct ColumnPlan {
  std::vector<std::string> names;
  std::vector<bool> uncertainty;
  bool named = false;
};

// A name already given (as FindWave compares) gets its column's number:
// I, I becomes I, I_2.
void MakeUnique(std::vector<std::string>& names) {
  for (size_t k = 1; k < names.size(); ++k) {
    auto taken = [&](const std::string& name) {
      return std::any_of(names.begin(), names.begin() + static_cast<ptrdiff_t>(k),
                         [&](const std::string& other) { return EqualsIgnoringCase(name, other); });
    };
    if (!taken(names[k])) continue;
    // Appended, not "_" + ...: GCC 12 warns wrongly of an overlap there.
    std::string suffix(1, '_');
    suffix += std::to_string(k + 1);
    names[k] = CleanName(names[k]).substr(0, kNameLength - suffix.size()) + suffix;
  }
}

ColumnPlan PlanColumns(const Run& run, char decimal, std::string_view file_name) {
  const auto kept = static_cast<size_t>(run.kept_columns);
  ColumnPlan plan;
  plan.names.resize(kept);
  plan.uncertainty.assign(kept, false);
  const std::vector<std::string_view> header = HeaderNames(run.header, decimal);
  plan.named = header.size() == static_cast<size_t>(run.width);
  const bool xye = IsXyeFile(file_name);
  int32_t curves = 0;
  for (size_t k = 1; k < kept; ++k) {
    plan.uncertainty[k] = (xye && k == 2) || (plan.named && IsUncertaintyName(header[k]));
    if (!plan.uncertainty[k]) ++curves;
  }
  if (curves == 0) {
    plan.uncertainty[1] = false;  // x against nothing but errors: draw the first
    curves = 1;
  }
  for (size_t k = 0; k < kept; ++k) {
    if (plan.named) plan.names[k] = CleanName(header[k]);
    if (!plan.names[k].empty()) continue;
    if (k == 0) {
      plan.names[k].assign(1, 'x');
    } else if (plan.uncertainty[k]) {
      plan.names[k] = std::string(1, 'e').append(std::to_string(k));
    } else if (curves == 1) {
      plan.names[k] = CleanName(Stem(file_name));
      if (plan.names[k].empty()) plan.names[k] = "y1";
    } else {
      plan.names[k] = std::string(1, 'y').append(std::to_string(k));
    }
  }
  MakeUnique(plan.names);
  return plan;
}

// The axes fitted to the run's finite values, read from its store, where
// they lie side by side: x from the first column, y from the drawn ones.
void FitToRun(GraphDocument& doc, const Run& run, const ColumnPlan& plan) {
  double left = DBL_MAX, right = -DBL_MAX, bottom = DBL_MAX, top = -DBL_MAX;
  auto take = [](double v, double& low, double& high) {
    if (!std::isfinite(v)) return;
    low = std::min(low, v);
    high = std::max(high, v);
  };
  const int32_t width = run.kept_columns;
  std::array<bool, kMaxKeptColumns> drawn{};
  for (int32_t k = 1; k < width; ++k)
    drawn[static_cast<size_t>(k)] = !plan.uncertainty[static_cast<size_t>(k)];
  const double* const end = run.values + run.value_count;
  if (width == 2) {
    // x and one curve, the commonest file, in one tight pass.
    for (const double* row = run.values; row < end; row += 2) {
      take(row[0], left, right);
      take(row[1], bottom, top);
    }
  } else {
    for (const double* row = run.values; row < end; row += width) {
      take(row[0], left, right);
      for (int32_t k = 1; k < width; ++k) {
        if (drawn[static_cast<size_t>(k)]) take(row[k], bottom, top);
      }
    }
  }
  saved::SetFittedRange(doc, left, right, bottom, top);
}

// Replaces the document with the run: its values row by row as the file
// holds them, one wave per kept column, and a trace per drawn column.
void ApplyRun(GraphDocument& doc, Run& run, const ColumnPlan& plan, ColumnFileReport& report) {
  FreeValueStore(doc.Values);
  ResetDocument(doc);
  const int32_t values = run.value_count;
  FitToRun(doc, run, plan);
  // The run's store becomes the document's; the document's old memory goes
  // back with the reader for the next file.
  SwapValueStores(doc.Values, *run.store);
  KeepPages(doc.Values, (values + kPageSize - 1) >> kPageShift);
  doc.ValueCount = values;
  const int32_t rows = values / run.kept_columns;
  for (int32_t k = 0; k < run.kept_columns; ++k) {
    TWave& wave = doc.Waves[static_cast<size_t>(doc.WaveCount++)];
    wave = TWave{};
    SetWaveName(wave, plan.names[static_cast<size_t>(k)]);
    wave.first = k;
    wave.stride = run.kept_columns;
    wave.count = rows;
    if (k == 0) continue;
    if (plan.uncertainty[static_cast<size_t>(k)]) {
      ++report.uncertainties;
    } else {
      doc.Traces[static_cast<size_t>(doc.TraceCount++)] = TTrace{0, k};
      ++report.curves;
    }
  }
  report.read = true;
  report.rows = run.rows;
  report.kept_rows = rows;
  report.columns_left_out = run.width - run.kept_columns;
  if (plan.named) {
    for (const std::string& name : plan.names) {
      report.header += (report.header.empty() ? "" : " ") + name;
    }
  }
}

// Feeds the source to the reader, its byte-order mark taken off and UTF-16
// turned into UTF-8 on the way.
FeedOutcome FeedColumns(ByteSource& source, ColumnReader& reader, size_t chunk) {
  char head[4];
  int error = 0;
  const ptrdiff_t head_size = ReadFull(source, head, sizeof head, error);
  if (head_size < 0) return {false, SystemReason(error)};
  std::string_view head_text(head, static_cast<size_t>(head_size));
  const Encoding encoding = FindEncoding(head_text);
  head_text.remove_prefix(MarkLength(encoding));
  if (encoding == Encoding::Utf16Le || encoding == Encoding::Utf16Be) {
    Utf16ByteSource text(source, encoding == Encoding::Utf16Be, head_text);
    return FeedLines(text, {}, reader, 0, chunk);
  }
  return FeedLines(source, head_text, reader, 0, chunk);
}

}  // namespace

LoadResult LoadColumnSource(GraphDocument& doc, ByteSource& source, ColumnFileReport& report,
                            std::string_view file_name, size_t chunk) {
  report = ColumnFileReport{};
  ColumnReader reader;
  FeedOutcome outcome;
  ColumnPlan plan;
  try {
    outcome = FeedColumns(source, reader, chunk);
    reader.Finish();
    // A lone row is more likely a line of parameters than data.
    if (reader.best().rows < 2) {
      if (!outcome.complete) return {LoadStatus::CannotOpen, outcome.reason};
      return {LoadStatus::NotPattern, kNoRowsReason};
    }
    plan = PlanColumns(reader.best(), reader.decimal(), file_name);
  } catch (const std::bad_alloc&) {
    // Nothing of the document was touched yet.
    return {LoadStatus::Failed, saved::kOutOfMemoryReason};
  }
  try {
    ApplyRun(doc, reader.best(), plan, report);
  } catch (const std::bad_alloc&) {
    FreeValueStore(doc.Values);
    ResetDocument(doc);
    report = ColumnFileReport{};
    return {LoadStatus::Failed, saved::kOutOfMemoryReason};
  }
  if (!outcome.complete) return {LoadStatus::Incomplete, outcome.reason};
  return {LoadStatus::Loaded, {}};
}

LoadResult LoadColumnText(GraphDocument& doc, std::string_view text, ColumnFileReport& report,
                          std::string_view file_name, size_t chunk) {
  MemoryByteSource source(text, chunk);
  return LoadColumnSource(doc, source, report, file_name, chunk);
}

std::string ColumnFileSummary(const ColumnFileReport& report) {
  if (!report.read) return {};
  std::string text = "read as columns: " + std::to_string(report.curves) +
                     (report.curves == 1 ? " curve, " : " curves, ");
  if (report.uncertainties > 0) {
    text += std::to_string(report.uncertainties) +
            (report.uncertainties == 1 ? " uncertainty, " : " uncertainties, ");
  }
  text += GroupedNumber(report.rows) + (report.rows == 1 ? " row" : " rows");
  if (report.kept_rows < report.rows) {
    text +=
        "; kept " + GroupedNumber(report.kept_rows) + " of " + GroupedNumber(report.rows) + " rows";
  }
  if (report.columns_left_out > 0) {
    text += "; left out: " + GroupedNumber(report.columns_left_out) +
            (report.columns_left_out == 1 ? " column" : " columns") + " past the 16th after x";
  }
  if (!report.header.empty()) text += "; header: " + report.header;
  return text;
}

}  // namespace korvelin::document
