// Times the reader on the largest file the document can hold, against the
// floor set by converting the same numbers with std::from_chars and nothing
// else, and times the JSON view of the loaded document. The file is built in
// memory once, so the disk plays no part.
//
// The target: BM_LoadMaxFile reaches at least 1/1.5 of BM_FromCharsFloor's
// bytes per second. Both walk every byte of the same text. The same rows as
// a column file (BM_LoadMaxColumnFile) load at least as fast per byte as
// the pattern file.

#include <benchmark/benchmark.h>

#include <charconv>
#include <cstdint>
#include <memory>
#include <string>

#include "document/ColumnFiles.h"
#include "document/DocumentJson.h"
#include "document/GraphDocument.h"
#include "document/IgorReader.h"

namespace korvelin::document {
namespace {

constexpr int kRows = kMaxValues / 2;  // 524,288 rows of two columns

// Appends units / divisor with exactly `decimals` digits after the point:
// AppendFixed(out, 123456, 10000, 4) writes "12.3456".
void AppendFixed(std::string& out, uint64_t units, uint64_t divisor, int decimals) {
  char buffer[24];
  auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, units / divisor);
  out.append(buffer, end);
  out += '.';
  std::string fraction = std::to_string(units % divisor);
  out.append(static_cast<size_t>(decimals) - fraction.size(), '0');
  out += fraction;
}

// IGOR, WAVES/D tth int, BEGIN, 524,288 rows, END, X Display, all CR LF.
// Two-theta rises from 2.0000 in steps of 0.0003 (to 159.2861, four
// decimals); intensities are pseudo-random in 0 .. 30000.00 with two
// decimals, such as "\t12.3456\t10234.56\r\n". About 10 MB.
std::string BuildMaxFile() {
  std::string text = "IGOR\r\nWAVES/D tth int\r\nBEGIN\r\n";
  text.reserve(size_t{kRows} * 22);
  uint64_t state = 12345;
  for (int row = 0; row < kRows; ++row) {
    state = state * 6364136223846793005u + 1442695040888963407u;
    text += '\t';
    AppendFixed(text, 20000 + uint64_t(row) * 3, 10000, 4);
    text += '\t';
    AppendFixed(text, (state >> 33) % 3000001, 100, 2);
    text += "\r\n";
  }
  text += "END\r\nX Display int vs tth\r\n";
  return text;
}

const std::string& MaxFile() {
  static const std::string text = BuildMaxFile();
  return text;
}

void BM_LoadMaxFile(benchmark::State& state) {
  const std::string& text = MaxFile();
  auto doc = std::make_unique<GraphDocument>();
  InitValueStore(doc->Values);
  for (auto _ : state) {
    LoadResult result = LoadPatternText(*doc, text);
    benchmark::DoNotOptimize(result);
    benchmark::DoNotOptimize(doc->ValueCount);
  }
  if (doc->ValueCount != kMaxValues) state.SkipWithError("the load did not store every value");
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(text.size()));
  state.counters["values"] = doc->ValueCount;
  state.counters["pages"] = doc->Values.allocated_pages;
}
BENCHMARK(BM_LoadMaxFile)->Unit(benchmark::kMillisecond);

// The rows of the largest file under a names line, as a diffractometer
// writes an .xy file: "# tth int" and the 524,288 rows, CR LF.
const std::string& MaxColumnFile() {
  static const std::string text = [] {
    const std::string& pattern = MaxFile();
    const size_t begin = pattern.find("BEGIN\r\n") + 7;
    const size_t end = pattern.find("END\r\n");
    return "# tth int\r\n" + pattern.substr(begin, end - begin);
  }();
  return text;
}

void BM_LoadMaxColumnFile(benchmark::State& state) {
  const std::string& text = MaxColumnFile();
  auto doc = std::make_unique<GraphDocument>();
  InitValueStore(doc->Values);
  ColumnFileReport report;
  for (auto _ : state) {
    LoadResult result = LoadColumnText(*doc, text, report, "max.xy");
    benchmark::DoNotOptimize(result);
    benchmark::DoNotOptimize(doc->ValueCount);
  }
  if (doc->ValueCount != kMaxValues) state.SkipWithError("the load did not store every value");
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(text.size()));
}
BENCHMARK(BM_LoadMaxColumnFile)->Unit(benchmark::kMillisecond);

// The floor: one pointer walk over the same text, inside the timing, that
// skips every byte which cannot start a number and hands the rest to
// std::from_chars. The header words contain no digits, so exactly the
// 1,048,576 numbers are converted; nothing is stored.
void BM_FromCharsFloor(benchmark::State& state) {
  const std::string& text = MaxFile();
  int64_t numbers = 0;
  for (auto _ : state) {
    const char* p = text.data();
    const char* const end = p + text.size();
    double sum = 0;
    numbers = 0;
    while (p < end) {
      char c = *p;
      if ((c >= '0' && c <= '9') || c == '-' || c == '.') {
        double value;
        auto [next, ec] = std::from_chars(p, end, value);
        if (ec == std::errc()) {
          sum += value;
          ++numbers;
          p = next;
          continue;
        }
      }
      ++p;
    }
    benchmark::DoNotOptimize(sum);
  }
  if (numbers != kMaxValues) state.SkipWithError("the walk did not find every number");
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(text.size()));
}
BENCHMARK(BM_FromCharsFloor)->Unit(benchmark::kMillisecond);

// The JSON view of the maximum document; bytes are those written.
void BM_DumpJsonMax(benchmark::State& state) {
  auto doc = std::make_unique<GraphDocument>();
  InitValueStore(doc->Values);
  LoadPatternText(*doc, MaxFile());
  size_t written = 0;
  for (auto _ : state) {
    std::string json = DumpDocumentJson(*doc);
    written = json.size();
    benchmark::DoNotOptimize(json.data());
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(written));
  state.counters["values"] = doc->ValueCount;
}
BENCHMARK(BM_DumpJsonMax)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace korvelin::document
