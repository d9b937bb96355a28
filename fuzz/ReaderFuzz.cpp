// Feeds arbitrary bytes to the pattern-file reader and checks what trace
// drawing relies on, the document within its tables (TablesError), so
// reading the points of every trace unchecked is safe. The sanitizers catch
// everything else; the JSON view is written too, since it walks the same
// points. A second load reads the
// same bytes in chunks of a size taken from the input and must give the same
// document, so every line end can fall on a chunk boundary. The same input
// then goes through LoadGraphText, which reads a file once more where the
// first reading draws nothing, under the same checks; its axis range must
// be finite numbers, and a chunked load must give the same document. Last,
// the column reader reads every input as a column file, under the same
// checks. Then the document is added to a plot three times over: the plot
// stays within its tables and every trace either comes in or is counted as
// left out.

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>

#include "document/Adding.h"
#include "document/ColumnFiles.h"
#include "document/DocumentJson.h"
#include "document/GraphDocument.h"
#include "document/IgorReader.h"
#include "document/Loading.h"
#include "document/SavedWaves.h"
#include "document/TablesError.h"

namespace {

using namespace korvelin::document;

[[noreturn]] void Fail(const char* what, long long a, long long b) {
  std::fprintf(stderr, "ReaderFuzz: %s (%lld, %lld)\n", what, a, b);
  std::abort();
}

// With the tables kept, every point of every trace is a stored value; the
// sanitizers see each one read.
double WalkTrace(const GraphDocument& doc, const TTrace& trace) {
  if (trace.XWave < 0 || trace.YWave < 0) return 0;
  const TWave& x = doc.Waves[trace.XWave];
  const TWave& y = doc.Waves[trace.YWave];
  int32_t points = x.count < y.count ? x.count : y.count;
  double sum = 0;
  int32_t xi = x.first, yi = y.first;
  for (int32_t i = 0; i < points; ++i, xi += x.stride, yi += y.stride) {
    sum += GetValue(doc.Values, xi) + GetValue(doc.Values, yi);
  }
  return sum;
}

// Everything trace drawing reads unchecked; returns the JSON view.
std::string CheckDocument(const GraphDocument& doc) {
  if (const std::string error = TablesError(doc); !error.empty()) Fail(error.c_str(), 0, 0);
  volatile double sink = 0;
  for (int32_t t = 0; t < doc.TraceCount; ++t) sink = sink + WalkTrace(doc, doc.Traces[t]);
  return DumpDocumentJson(doc);
}

bool FittedRange(const TRealRect& r) {
  return std::isfinite(r.Left) && std::isfinite(r.Right) && std::isfinite(r.Top) &&
         std::isfinite(r.Bottom) && r.Left < r.Right && r.Bottom < r.Top;
}

// A load the second reading did not replace is the plain load, byte for byte.
void CheckGraphLoad(std::string_view text, size_t chunk, const std::string& plain_json) {
  auto doc = std::make_unique<GraphDocument>();
  InitValueStore(doc->Values);
  SavedFileReport report;
  LoadResult result = LoadGraphText(*doc, text, report);
  std::string json = CheckDocument(*doc);
  if (!report.fallback && json != plain_json) Fail("graph load without fallback differs", 0, 0);
  if (report.fallback) {
    if (!FittedRange(doc->AxisRange)) Fail("fitted axis range", doc->TraceCount, 0);
    if (report.traces != doc->TraceCount || report.traces < 1)
      Fail("reported traces", report.traces, doc->TraceCount);
  }
  if (report.shows_nothing && report.fallback) Fail("drawn yet shows nothing", report.traces, 0);
  for (int64_t count : report.left_out) {
    if (count < 0) Fail("negative left-out count", count, 0);
  }
  (void)SavedFileMessage(LoadRecord{"fuzz", result, report, {}});
  if (result.accepted()) {
    auto again = std::make_unique<GraphDocument>();
    InitValueStore(again->Values);
    SavedFileReport second;
    LoadGraphText(*again, text, second, chunk);
    if (DumpDocumentJson(*again) != json) Fail("chunked graph load differs", (long long)chunk, 0);
    if (SavedFileSummary(second) != SavedFileSummary(report))
      Fail("chunked graph report differs", (long long)chunk, 0);
  }
}

// Any bytes as a column file: a refused one leaves the document empty, a
// read one has a trace per curve and a fitted range, and a chunked read
// gives the same document and report.
void CheckColumnLoad(std::string_view text, size_t chunk) {
  auto doc = std::make_unique<GraphDocument>();
  InitValueStore(doc->Values);
  ColumnFileReport report;
  const LoadResult result = LoadColumnText(*doc, text, report, "fuzz.xye");
  const std::string json = CheckDocument(*doc);
  if (!result.accepted()) {
    if (doc->WaveCount != 0 || report.read) Fail("refused column file changed", doc->WaveCount, 0);
    return;
  }
  if (!report.read || report.curves != doc->TraceCount || report.curves < 1)
    Fail("column curves", report.curves, doc->TraceCount);
  if (!FittedRange(doc->AxisRange)) Fail("column axis range", 0, 0);
  (void)SavedFileMessage(LoadRecord{"fuzz", result, {}, report});
  auto again = std::make_unique<GraphDocument>();
  InitValueStore(again->Values);
  ColumnFileReport second;
  LoadColumnText(*again, text, second, "fuzz.xye", chunk);
  if (DumpDocumentJson(*again) != json) Fail("chunked column load differs", (long long)chunk, 0);
  if (ColumnFileSummary(second) != ColumnFileSummary(report))
    Fail("chunked column report differs", (long long)chunk, 0);
}

void CheckAdd(const GraphDocument& read) {
  auto plot = std::make_unique<GraphDocument>();
  InitValueStore(plot->Values);
  for (int i = 0; i < 3; ++i) {
    const int32_t before = plot->TraceCount;
    const int32_t left_out = AppendDocument(*plot, read, "shown", "added");
    CheckDocument(*plot);
    if (plot->TraceCount - before + left_out != read.TraceCount)
      Fail("added traces and left out do not add up", plot->TraceCount - before, left_out);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  // A fresh document per input, so no input depends on the one before.
  auto doc = std::make_unique<GraphDocument>();
  InitValueStore(doc->Values);
  LoadResult result = LoadPatternText(*doc, text);

  std::string json = CheckDocument(*doc);
  CheckAdd(*doc);

  // Loading the same bytes again into the filled document, in chunks, must
  // give the same document: nothing of the previous file may leak into the
  // next, and no chunk boundary may change a line.
  const size_t chunk = size > 0 ? 1 + data[size - 1] % 64 : 1;
  if (result.accepted()) {
    MemoryByteSource source(text, chunk);
    LoadPatternSource(*doc, source, chunk);
    if (DumpDocumentJson(*doc) != json)
      Fail("second load differs", static_cast<long long>(chunk), 0);
  }
  CheckGraphLoad(text, chunk, json);
  CheckColumnLoad(text, chunk);
  return 0;
}
