// Times the load of two files as other programs save them, each through the
// plain reading alone (LoadPatternText, which draws nothing from them) and
// through LoadGraphText, which reads them once more and draws them. The
// files are built in memory once, so the disk plays no part:
//
//   a detector image: one 2-D wave of 200 rows of 1,500 values (about
//   2.5 MB), drawn as the sum over each row;
//   a table: 7 waves of 50,000 rows in one block, drawn as 7 traces.

#include <benchmark/benchmark.h>

#include <charconv>
#include <cstdint>
#include <memory>
#include <string>

#include "document/GraphDocument.h"
#include "document/IgorReader.h"
#include "document/SavedWaves.h"

namespace korvelin::document {
namespace {

// Appends units / 1000 with three decimals: 1234567 is "1234.567".
void AppendMilli(std::string& out, uint64_t units) {
  char buffer[24];
  auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, units / 1000);
  out.append(buffer, end);
  out += '.';
  const uint64_t fraction = units % 1000;
  out += static_cast<char>('0' + fraction / 100);
  out += static_cast<char>('0' + fraction / 10 % 10);
  out += static_cast<char>('0' + fraction % 10);
}

uint64_t NextRandom(uint64_t& state) {
  state = state * 6364136223846793005u + 1442695040888963407u;
  return state >> 33;
}

// Counts of 0.000 to 1999.999 in 200 rows of 1,500, tab-separated, CR LF.
std::string BuildDetectorImage() {
  std::string text = "IGOR\r\nWAVES/S/N=(200,1500) 'Detector_3_2'\r\nBEGIN\r\n";
  uint64_t state = 7;
  for (int row = 0; row < 200; ++row) {
    for (int column = 0; column < 1500; ++column) {
      if (column > 0) text += '\t';
      AppendMilli(text, NextRandom(state) % 2000000);
    }
    text += "\r\n";
  }
  text +=
      "END\r\nX SetScale/P x 10,0.05,\"eV\", 'Detector_3_2'; "
      "SetScale/P y -15,0.02,\"deg\", 'Detector_3_2'\r\n";
  return text;
}

// A time column rising in steps of 0.001 and six columns of 0.000 to
// 99.999, as an acquisition package writes them.
std::string BuildTable() {
  std::string text = "IGOR\r\nWAVES/D time, ch1, ch2, ch3, ch4, ch5, ch6\r\nBEGIN\r\n";
  uint64_t state = 11;
  for (int row = 0; row < 50000; ++row) {
    AppendMilli(text, static_cast<uint64_t>(row));
    for (int column = 1; column < 7; ++column) {
      text += '\t';
      AppendMilli(text, NextRandom(state) % 100000);
    }
    text += "\r\n";
  }
  text += "END\r\n";
  return text;
}

const std::string& DetectorImage() {
  static const std::string text = BuildDetectorImage();
  return text;
}

const std::string& Table() {
  static const std::string text = BuildTable();
  return text;
}

void PlainLoad(benchmark::State& state, const std::string& text) {
  auto doc = std::make_unique<GraphDocument>();
  InitValueStore(doc->Values);
  for (auto _ : state) {
    LoadResult result = LoadPatternText(*doc, text);
    benchmark::DoNotOptimize(result);
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(text.size()));
  state.counters["MB"] = static_cast<double>(text.size()) / 1e6;
  state.counters["traces"] = doc->TraceCount;
}

void GraphLoad(benchmark::State& state, const std::string& text, int32_t traces) {
  auto doc = std::make_unique<GraphDocument>();
  InitValueStore(doc->Values);
  SavedFileReport report;
  for (auto _ : state) {
    LoadResult result = LoadGraphText(*doc, text, report);
    benchmark::DoNotOptimize(result);
  }
  if (!report.fallback || doc->TraceCount != traces) state.SkipWithError("not drawn as expected");
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(text.size()));
  state.counters["MB"] = static_cast<double>(text.size()) / 1e6;
  state.counters["traces"] = doc->TraceCount;
  state.counters["values"] = doc->ValueCount;
}

void BM_DetectorImagePlainLoad(benchmark::State& state) { PlainLoad(state, DetectorImage()); }
BENCHMARK(BM_DetectorImagePlainLoad)->Unit(benchmark::kMillisecond);

void BM_DetectorImageGraphLoad(benchmark::State& state) { GraphLoad(state, DetectorImage(), 1); }
BENCHMARK(BM_DetectorImageGraphLoad)->Unit(benchmark::kMillisecond);

void BM_TablePlainLoad(benchmark::State& state) { PlainLoad(state, Table()); }
BENCHMARK(BM_TablePlainLoad)->Unit(benchmark::kMillisecond);

void BM_TableGraphLoad(benchmark::State& state) { GraphLoad(state, Table(), 7); }
BENCHMARK(BM_TableGraphLoad)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace korvelin::document
