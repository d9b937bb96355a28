// Cost and size of the vector outputs of the largest document: one trace of
// 524,288 points (the powder pattern of RenderBench) on a 1920 x 1080 client
// area and the default 297 x 210 mm page. The plot is recorded once and each
// container plays the recording; recording and playing are timed apart, and
// each container reports its bytes. The aim: recording plus any container
// well under the whole PNG export (30 to 50 ms).

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QLabel>
#include <QWidget>
#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

#include "platform/EmfVectorCanvas.h"
#include "platform/LabelMeasurer.h"
#include "platform/PainterVectorCanvas.h"
#include "platform/PdfWriter.h"
#include "render/VectorPlot.h"

namespace korvelin::render {
namespace {

constexpr int32_t kPoints = 524288;

QApplication& Application() {
  static int argc = 1;
  static char name[] = "VectorBench";
  static char* argv[] = {name, nullptr};
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  static QApplication app(argc, argv);
  return app;
}

// A powder pattern: 2-theta from 5 to 125 degrees, a falling background,
// sixty peaks of very different heights and widths, and counting noise. The
// client area is 1920 x 1080 with the automatic margins of the default font
// (60, 14, 28, 32).
struct Pattern {
  document::GraphDocument doc;

  Pattern() {
    std::mt19937 rng(1);
    std::uniform_real_distribution<double> where(8, 122);
    std::uniform_real_distribution<double> unit(0, 1);
    std::normal_distribution<double> gauss(0, 1);
    struct Peak {
      double centre, height, width;
    };
    std::vector<Peak> peaks;
    for (int i = 0; i < 60; ++i) {
      peaks.push_back({where(rng), 200 + 50000 * std::pow(unit(rng), 4), 0.03 + 0.2 * unit(rng)});
    }
    double peak = 0;
    for (int32_t k = 0; k < kPoints; ++k) {
      const double x = 5 + 120.0 * k / (kPoints - 1);
      double y = 150 + 400 * std::exp(-x / 20);
      for (const Peak& p : peaks) {
        const double d = (x - p.centre) / p.width;
        if (std::abs(d) < 40) y += p.height / (1 + d * d);
      }
      y += std::sqrt(y) * gauss(rng);
      document::SetValue(doc.Values, doc.ValueCount++, x);
      document::SetValue(doc.Values, doc.ValueCount++, y);
      peak = std::max(peak, y);
    }
    doc.WaveCount = 2;
    doc.Waves[0] = document::TWave{.first = 0, .stride = 2, .count = kPoints};
    doc.Waves[1] = document::TWave{.first = 1, .stride = 2, .count = kPoints};
    doc.Traces[0] = {0, 1};
    doc.TraceCount = 1;
    doc.ClientSize = {1920, 1080};
    doc.PlotRect = {60, 14, 1920 - 28, 1080 - 32};
    doc.AxisRange = {5, peak, 125, 0};
  }
};

Pattern& ThePattern() {
  static Pattern pattern;
  return pattern;
}

// A label inside a window measures the texts, as the window's LabelX does
// (a label without a parent would be held to two thirds of the screen).
struct Label {
  QWidget window;
  QLabel* label = new QLabel(&window);
  platform::LabelMeasurer measurer{label};
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

template <QByteArray (*Bytes)(const VectorRecording&, int, int)>
void Container(benchmark::State& state, const VectorRecording& recording) {
  QByteArray bytes;
  for (auto _ : state) {
    bytes = Bytes(recording, 29700, 21000);
    benchmark::DoNotOptimize(bytes.constData());
  }
  if (bytes.isEmpty()) state.SkipWithError("no bytes were made");
  state.counters["bytes"] = static_cast<double>(bytes.size());
}

void BM_EmfBytes(benchmark::State& state) { Container<platform::EmfBytes>(state, Lines()); }
void BM_PdfBytes(benchmark::State& state) { Container<platform::PdfBytes>(state, Lines()); }
void BM_SvgBytes(benchmark::State& state) { Container<platform::SvgBytes>(state, Lines()); }

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
BENCHMARK(BM_EmfBytesWithMarkers)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PdfBytesWithMarkers)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SvgBytesWithMarkers)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace korvelin::render
