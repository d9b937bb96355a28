// Feeds arbitrary bytes to the pattern-file reader and checks what trace
// drawing relies on: every wave's points lie inside the stored values and
// every trace names a declared wave or -1, so reading the points of every
// trace unchecked is safe. The sanitizers catch everything else; the JSON view
// is written too, since it walks the same points. A second load reads the
// same bytes in chunks of a size taken from the input and must give the same
// document, so every line end can fall on a chunk boundary.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>

#include "document/DocumentJson.h"
#include "document/GraphDocument.h"
#include "document/IgorReader.h"

namespace {

using namespace korvelin::document;

[[noreturn]] void Fail(const char* what, long long a, long long b) {
  std::fprintf(stderr, "ReaderFuzz: %s (%lld, %lld)\n", what, a, b);
  std::abort();
}

void CheckCounts(const GraphDocument& doc) {
  if (doc.ValueCount < 0 || doc.ValueCount > kMaxValues) Fail("ValueCount", doc.ValueCount, 0);
  if (doc.WaveCount < 0 || doc.WaveCount > kMaxWaves) Fail("WaveCount", doc.WaveCount, 0);
  if (doc.TraceCount < 0 || doc.TraceCount > kMaxTraces) Fail("TraceCount", doc.TraceCount, 0);
}

// Point i of a wave is at first + i * stride; the first and the last point
// bound all others, computed in 64 bits so an overflow cannot hide a fault.
void CheckWave(const GraphDocument& doc, int32_t w) {
  const TWave& wave = doc.Waves[w];
  if (wave.count < 0) Fail("negative count", w, wave.count);
  if (wave.count == 0) return;
  int64_t last = wave.first + int64_t{wave.count - 1} * wave.stride;
  if (wave.first < 0 || wave.first >= doc.ValueCount) Fail("first outside values", w, wave.first);
  if (last < 0 || last >= doc.ValueCount) Fail("last point outside values", w, last);
}

double WalkTrace(const GraphDocument& doc, const TTrace& trace) {
  if (trace.XWave < -1 || trace.XWave >= doc.WaveCount) Fail("XWave", trace.XWave, 0);
  if (trace.YWave < -1 || trace.YWave >= doc.WaveCount) Fail("YWave", trace.YWave, 0);
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

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  // A fresh document per input, so no input depends on the one before.
  auto doc = std::make_unique<GraphDocument>();
  InitValueStore(doc->Values);
  LoadResult result = LoadPatternText(*doc, text);

  CheckCounts(*doc);
  for (int32_t w = 0; w < doc->WaveCount; ++w) CheckWave(*doc, w);
  volatile double sink = 0;
  for (int32_t t = 0; t < doc->TraceCount; ++t) sink = sink + WalkTrace(*doc, doc->Traces[t]);
  std::string json = DumpDocumentJson(*doc);

  // Loading the same bytes again into the filled document, in chunks, must
  // give the same document: nothing of the previous file may leak into the
  // next, and no chunk boundary may change a line.
  if (result.accepted()) {
    const size_t chunk = size > 0 ? 1 + data[size - 1] % 64 : 1;
    MemoryByteSource source(text, chunk);
    LoadPatternSource(*doc, source, chunk);
    if (DumpDocumentJson(*doc) != json)
      Fail("second load differs", static_cast<long long>(chunk), 0);
  }
  return 0;
}
