// Cost and size of the vector outputs of the largest document: one trace of
// 524,288 points (the powder pattern of RenderBench) on a 1920 x 1080 client
// area and the default 297 x 210 mm page. The plot is recorded once and each
// container plays the recording; recording and playing are timed apart, and
// each container reports its bytes. The aim: recording plus any container
// well under the whole PNG export (30 to 50 ms).

#include <benchmark/benchmark.h>

#include <QApplication>
#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

#include "PowderPattern.h"
#include "platform/EmfVectorCanvas.h"
#include "platform/FontMeasurer.h"
#include "platform/PainterVectorCanvas.h"
#include "platform/PdfFonts.h"
#include "platform/PdfWriter.h"
#include "render/VectorPlot.h"

namespace korvelin::render {
namespace {

constexpr int32_t kPoints = bench::kPowderPoints;

QApplication& Application() {
  static int argc = 1;
  static char name[] = "VectorBench";
  static char* argv[] = {name, nullptr};
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  static QApplication app(argc, argv);
  return app;
}

// The powder pattern on a 1920 x 1080 client area with the automatic
// margins of the default font (60, 14, 28, 32).
struct Pattern {
  document::GraphDocument doc;

  Pattern() {
    const double peak = bench::FillPowderPattern(doc);
    doc.ClientSize = {1920, 1080};
    doc.PlotRect = {60, 14, 1920 - 28, 1080 - 32};
    doc.AxisRange = {5, peak, 125, 0};
  }
};

Pattern& ThePattern() {
  static Pattern pattern;
  return pattern;
}

// The texts are measured as the window and the headless modes measure them.
struct Label {
  platform::FontMeasurer measurer;
};

VectorRecording Record(bool markers) {
  Application();
  Pattern& pattern = ThePattern();
  pattern.doc.Waves[1].mode = markers ? 4 : 0;
  pattern.doc.Waves[1].msize = markers ? 1 : 0;
  Label label;
  return RecordVectorPlot(pattern.doc, label.measurer, FontSpec{}, '.');
}

const VectorRecording& Lines() {
  static const VectorRecording recording = Record(false);
  return recording;
}

const VectorRecording& LinesAndMarkers() {
  static const VectorRecording recording = Record(true);
  return recording;
}

void BM_RecordVectorPlot(benchmark::State& state) {
  Application();
  Label label;
  ThePattern().doc.Waves[1].mode = 0;
  size_t operations = 0;
  for (auto _ : state) {
    const VectorRecording recording =
        RecordVectorPlot(ThePattern().doc, label.measurer, FontSpec{}, '.');
    operations = recording.Size();
    benchmark::DoNotOptimize(operations);
  }
  state.counters["operations"] = static_cast<double>(operations);
}

template <document::Result<QByteArray> (*Bytes)(const VectorRecording&, int, int)>
void Container(benchmark::State& state, const VectorRecording& recording) {
  QByteArray bytes;
  for (auto _ : state) {
    bytes = Bytes(recording, 29700, 21000).value();
    benchmark::DoNotOptimize(bytes.constData());
  }
  if (bytes.isEmpty()) state.SkipWithError("no bytes were made");
  state.counters["bytes"] = static_cast<double>(bytes.size());
}

void BM_EmfBytes(benchmark::State& state) { Container<platform::EmfBytes>(state, Lines()); }
void BM_PdfBytes(benchmark::State& state) { Container<platform::PdfBytes>(state, Lines()); }
void BM_SvgBytes(benchmark::State& state) { Container<platform::SvgBytes>(state, Lines()); }

// The fonts of one page alone: the axis numbers of the plot, their face's
// glyphs looked up and its subset cut and written. Part of BM_PdfBytes; the
// price of embedding the face.
void BM_PdfFontsOfOnePage(benchmark::State& state) {
  Application();
  const char* numbers[] = {"20", "40",   "60",    "80",    "100",   "120",
                           "0",  "5000", "10000", "15000", "20000", "25000"};
  size_t bytes = 0;
  for (auto _ : state) {
    platform::PdfFonts fonts;
    std::string content;
    const size_t font = fonts.Use(FontSpec{"Times New Roman", 800});
    for (const char* text : numbers) fonts.AppendShown(font, text, content);
    bytes = 0;
    for (const platform::PdfObject& object : fonts.Objects(font, 6)) bytes += object.data.size();
    benchmark::DoNotOptimize(bytes);
  }
  state.counters["font bytes"] = static_cast<double>(bytes);
}

// The same trace with plus markers at every point as well: 2,097,152 more
// strokes, the heaviest drawing one trace can ask for.
void BM_EmfBytesWithMarkers(benchmark::State& state) {
  Container<platform::EmfBytes>(state, LinesAndMarkers());
}
void BM_PdfBytesWithMarkers(benchmark::State& state) {
  Container<platform::PdfBytes>(state, LinesAndMarkers());
}
void BM_SvgBytesWithMarkers(benchmark::State& state) {
  Container<platform::SvgBytes>(state, LinesAndMarkers());
}

BENCHMARK(BM_RecordVectorPlot)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EmfBytes)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PdfBytes)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SvgBytes)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PdfFontsOfOnePage)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EmfBytesWithMarkers)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PdfBytesWithMarkers)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SvgBytesWithMarkers)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace korvelin::render
