// Cost of the window's redraw on the largest document: one trace of 524,288
// points from a 2 x 524,288 block of diffraction-like data on a 1920 x 1080
// plot, in the full view (on a linear, a square-root and a logarithmic
// intensity axis) and zoomed into the baseline, and as large markers. Two references draw
// the same segments: a plain integer Bresenham into an 8-bit buffer (the
// floor) and QPainter::drawPolyline onto an RGB32 image (the usual way).

#include <benchmark/benchmark.h>

#include <QImage>
#include <QPainter>
#include <QPen>
#include <QPoint>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <random>
#include <vector>

#include "PowderPattern.h"
#include "render/ScreenPlot.h"

namespace korvelin::render {
namespace {

constexpr int32_t kPoints = bench::kPowderPoints;
constexpr int kWidth = 1920;
constexpr int kHeight = 1080;

// The powder pattern on a 1920 x 1080 plot.
struct Pattern {
  document::GraphDocument doc;
  double peak = 0;

  Pattern() {
    peak = bench::FillPowderPattern(doc);
    doc.PlotRect = {60, 14, 60 + kWidth, 14 + kHeight};
    FullView();
  }
  void FullView() { doc.AxisRange = {5, peak, 125, 0}; }
  // 1 % of the x range around the middle, y from 0 to 1 % of the highest peak.
  void Zoomed() { doc.AxisRange = {64.4, peak * 0.01, 65.6, 0}; }
};

Pattern& ThePattern() {
  static Pattern pattern;
  return pattern;
}

class NullMeasurer : public TextMeasurer {
 public:
  void SetFont(const FontSpec&) override {}
  TextSize Measure(std::string_view text) override {
    return {static_cast<int>(text.size()) * 8, 19};
  }
};

class NullPicture : public PictureCanvas {
 public:
  void SetPenColor(uint32_t) override {}
  void SetPenMode(PenMode) override {}
  void Rectangle(int, int, int, int) override {}
  void SetBrushColor(uint32_t) override {}
  void SetBrushStyle(BrushStyle) override {}
  void FillRect(int, int, int, int) override {}
  void SetFont(const FontSpec&) override {}
  void TextOut(int, int, std::string_view text) override { benchmark::DoNotOptimize(text); }
  void BlitRaster(const RasterImage& image, int, int) override {
    benchmark::DoNotOptimize(image.Pixels());
  }
  void SetVisible(bool) override {}
  int Width() const override { return kWidth + 80; }
  int Height() const override { return kHeight + 60; }
};

void Redraw(benchmark::State& state, bool zoomed,
            document::IntensityScale scale = document::IntensityScale::Linear) {
  Pattern& pattern = ThePattern();
  if (zoomed) pattern.Zoomed();
  pattern.doc.View.YScale = scale;
  RasterImage raster;
  NewRasterImage(raster, kWidth, kHeight);
  NullPicture picture;
  NullMeasurer label;
  PlotMapping mapping;
  ScreenPlotTarget target{raster, picture, label, mapping, FontSpec{}, '.'};
  for (auto _ : state) {
    DrawScreenPlot(pattern.doc, target);
    benchmark::ClobberMemory();
  }
  pattern.FullView();
  pattern.doc.View.YScale = document::IntensityScale::Linear;
  state.counters["ns_per_point"] = benchmark::Counter(
      static_cast<double>(kPoints),
      benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void BM_RedrawFullView(benchmark::State& state) { Redraw(state, false); }
void BM_RedrawZoomed(benchmark::State& state) { Redraw(state, true); }
// The full view under the square root, and under the logarithm, whose
// bottom of 0 shows from the smallest positive intensity in view.
void BM_RedrawFullViewSquareRoot(benchmark::State& state) {
  Redraw(state, false, document::IntensityScale::SquareRoot);
}
void BM_RedrawFullViewLogarithmic(benchmark::State& state) {
  Redraw(state, false, document::IntensityScale::Logarithmic);
}

// The same points drawn as plus markers of msize 100000, each of whose two
// lines reaches across the whole plot: the redraw costs the pixels it sets,
// not points x marker length.
void BM_RedrawLargeMarkers(benchmark::State& state) {
  document::TWave& y = ThePattern().doc.Waves[ThePattern().doc.Traces[0].YWave];
  const document::TWave lines = y;
  y.mode = 3;
  y.marker = 0;
  y.msize = 100000;
  Redraw(state, false);
  y = lines;
}

// The full view's points mapped once, as the trace drawer maps them.
std::vector<QPoint> MappedPoints() {
  Pattern& pattern = ThePattern();
  PlotMapping m;
  SetScreenMapping(m, pattern.doc);
  std::vector<QPoint> points;
  for (int32_t k = 0; k < kPoints; ++k) {
    const double x = document::GetValue(pattern.doc.Values, 2 * k);
    const double y = document::GetValue(pattern.doc.Values, 2 * k + 1);
    points.emplace_back(static_cast<int>(MapX(m, x)), static_cast<int>(MapY(m, y)));
  }
  return points;
}

// The textbook integer Bresenham with a per-pixel bounds test.
void Bresenham(uint8_t* pixels, int x0, int y0, int x1, int y1, uint8_t value) {
  const int dx = std::abs(x1 - x0);
  const int dy = -std::abs(y1 - y0);
  const int sx = x0 < x1 ? 1 : -1;
  const int sy = y0 < y1 ? 1 : -1;
  int err = dx + dy;
  for (;;) {
    if (static_cast<unsigned>(x0) < unsigned{kWidth} &&
        static_cast<unsigned>(y0) < unsigned{kHeight}) {
      pixels[(kHeight - 1 - y0) * kWidth + x0] = value;
    }
    if (x0 == x1 && y0 == y1) break;
    const int e2 = 2 * err;
    if (e2 >= dy) {
      err += dy;
      x0 += sx;
    }
    if (e2 <= dx) {
      err += dx;
      y0 += sy;
    }
  }
}

void BM_FloorBresenham(benchmark::State& state) {
  const std::vector<QPoint> points = MappedPoints();
  std::vector<uint8_t> buffer(size_t{kWidth} * kHeight);
  for (auto _ : state) {
    for (size_t k = 1; k < points.size(); ++k) {
      Bresenham(buffer.data(), points[k - 1].x(), points[k - 1].y(), points[k].x(), points[k].y(),
                2);
    }
    benchmark::ClobberMemory();
  }
  state.counters["ns_per_point"] = benchmark::Counter(
      static_cast<double>(kPoints),
      benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void BM_QPainterPolyline(benchmark::State& state) {
  const std::vector<QPoint> points = MappedPoints();
  QImage image(kWidth, kHeight, QImage::Format_RGB32);
  image.fill(Qt::white);
  for (auto _ : state) {
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(QPen(Qt::black, 0));
    painter.drawPolyline(points.data(), static_cast<int>(points.size()));
    painter.end();
    benchmark::ClobberMemory();
  }
  state.counters["ns_per_point"] = benchmark::Counter(
      static_cast<double>(kPoints),
      benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

BENCHMARK(BM_RedrawFullView)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RedrawZoomed)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RedrawFullViewSquareRoot)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RedrawFullViewLogarithmic)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RedrawLargeMarkers)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FloorBresenham)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_QPainterPolyline)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace korvelin::render
