// The y axis under the square root and the logarithm: which data values get
// ticks and where they stand, over ranges from a fraction of a decade to
// twelve decades; the values the scales have no place for; over many random
// axes, that ticks stay inside the axis, in order and a number apart; a
// scaled plot drawing, on the screen and the page, exactly what a linear
// plot of the scaled values draws; and the readout and the zoom taken back
// through the scale.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <ostream>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "DrawnPlot.h"
#include "render/IntensityScale.h"
#include "render/MouseZoom.h"

namespace korvelin::render {
namespace {

using Ticks = std::vector<std::pair<double, int64_t>>;

Ticks TicksOf(IntensityScale scale, const AxisLine& axis) {
  Ticks ticks;
  WalkIntensityTicks(scale, axis,
                     [&](double value, int64_t position) { ticks.emplace_back(value, position); });
  return ticks;
}

struct TickCase {
  std::string name;
  IntensityScale scale;
  AxisLine axis;  // scaled ends, units, text units
  Ticks ticks;
};

void PrintTo(const TickCase& c, std::ostream* os) { *os << c.name; }

class IntensityTicks : public ::testing::TestWithParam<TickCase> {};

TEST_P(IntensityTicks, AreTheRoundValuesAtTheirPlaces) {
  const TickCase& c = GetParam();
  EXPECT_EQ(TicksOf(c.scale, c.axis), c.ticks);
}

const double kLog300 = std::log10(300.0);
const double kLog400 = std::log10(400.0);
int64_t LogPlace(double value, double start, double scale) {
  return static_cast<int64_t>(std::nearbyint((std::log10(value) - start) * scale));
}
Ticks FractionOfADecade() {
  Ticks ticks;
  const double scale = 300 / (kLog400 - kLog300);
  for (double v = 300; v <= 400; v += 20) ticks.emplace_back(v, LogPlace(v, kLog300, scale));
  return ticks;
}

using enum IntensityScale;
INSTANTIATE_TEST_SUITE_P(
    Table, IntensityTicks,
    ::testing::Values(
        // Three decades: the powers alone.
        TickCase{"ThreeDecades",
                 Logarithmic,
                 {0, 3, 300, 20},
                 {{1, 0}, {10, 100}, {100, 200}, {1000, 300}}},
        // Two decades with room: 2 and 5 between the powers.
        TickCase{"TwoDecadesWithTwoAndFive",
                 Logarithmic,
                 {0, 2, 400, 20},
                 {{1, 0}, {2, 60}, {5, 140}, {10, 200}, {20, 260}, {50, 340}, {100, 400}}},
        // Two decades, too tight for 2 and 5.
        TickCase{"TwoDecadesTight", Logarithmic, {0, 2, 100, 20}, {{1, 0}, {10, 50}, {100, 100}}},
        // Twelve decades over 240 units: every second power.
        TickCase{"TwelveDecades",
                 Logarithmic,
                 {-6, 6, 240, 30},
                 {{1e-6, 0}, {1e-4, 40}, {1e-2, 80}, {1, 120}, {1e2, 160}, {1e4, 200}, {1e6, 240}}},
        // Part of a decade holding 200 and 500.
        TickCase{"TwoHundredToEightHundred",
                 Logarithmic,
                 {std::log10(200.0), std::log10(800.0), 300, 30},
                 {{200, 0}, {500, 198}}},
        // 300 to 400 holds no 1, 2 or 5: round values 20 apart.
        TickCase{
            "FractionOfADecade", Logarithmic, {kLog300, kLog400, 300, 30}, FractionOfADecade()},
        // A y axis drawn from its top: 1000 at the start.
        TickCase{
            "Reversed", Logarithmic, {3, 0, 300, 20}, {{1, 300}, {10, 200}, {100, 100}, {1000, 0}}},
        // Roots 0 .. 100 over 400 units: a step of 1000 keeps the top two
        // ticks (9000, 10000) 20.5 units apart.
        TickCase{"SquareRoot",
                 SquareRoot,
                 {0, 100, 400, 20},
                 {{0, 0},
                  {1000, 126},
                  {2000, 179},
                  {3000, 219},
                  {4000, 253},
                  {5000, 283},
                  {6000, 310},
                  {7000, 335},
                  {8000, 358},
                  {9000, 379},
                  {10000, 400}}},
        TickCase{"Linear",
                 Linear,
                 {0, 10, 552, 56},
                 {{0, 0}, {2, 110}, {4, 221}, {6, 331}, {8, 442}, {10, 552}}},
        TickCase{"NoSpan", Logarithmic, {2, 2, 300, 20}, {}},
        TickCase{"NotFinite", SquareRoot, {0, INFINITY, 300, 20}, {}},
        TickCase{"NoText", Logarithmic, {0, 3, 300, 0}, {}}),
    [](const ::testing::TestParamInfo<TickCase>& info) { return info.param.name; });

TEST(IntensityScale, BreaksWhereItHasNoPlaceAndShowsRangesFromTheirUsablePart) {
  EXPECT_TRUE(std::isnan(ScaledIntensity(Logarithmic, 0)));
  EXPECT_TRUE(std::isnan(ScaledIntensity(Logarithmic, -5)));
  EXPECT_TRUE(std::isnan(ScaledIntensity(SquareRoot, -1e-300)));
  EXPECT_EQ(ScaledIntensity(SquareRoot, 0), 0);
  EXPECT_EQ(ScaledIntensity(Logarithmic, 1000), 3);
  EXPECT_EQ(ScaledIntensity(Linear, -7), -7);
  for (const double y : {1e-300, 0.25, 3.0, 12345.0, 1e300}) {
    for (const IntensityScale scale : {Linear, SquareRoot, Logarithmic}) {
      EXPECT_NEAR(UnscaledIntensity(scale, ScaledIntensity(scale, y)) / y, 1, 1e-12);
    }
  }
  // A bottom at or below zero shows from the smallest positive value in
  // view under the logarithm, from zero under the root.
  const auto log = ShownIntensityRange(Logarithmic, 1000, -5, 0.1);
  ASSERT_TRUE(log.has_value());
  EXPECT_EQ(log->start, 3);
  EXPECT_EQ(log->end, -1);
  EXPECT_FALSE(ShownIntensityRange(Logarithmic, 1000, 0, 0).has_value());
  EXPECT_FALSE(ShownIntensityRange(Logarithmic, -1, -2, NAN).has_value());
  const auto root = ShownIntensityRange(SquareRoot, -4, 9, 0);
  ASSERT_TRUE(root.has_value());
  EXPECT_EQ(root->start, 0);
  EXPECT_EQ(root->end, 3);
}

// Over random axes of both scales, either way round: every tick inside the
// axis, positions in order and at least a number (less a rounding) apart,
// no more ticks than units.
TEST(IntensityScale, TicksStayInsideInOrderAndANumberApart) {
  std::mt19937_64 dice(20261207);
  std::uniform_real_distribution<double> unit(0, 1);
  for (int i = 0; i < 4000; ++i) {
    const bool log = i % 2 == 0;
    const double low = log ? -15 + 30 * unit(dice) : 1e4 * unit(dice) * unit(dice);
    const double span = log ? std::pow(10.0, -3 + 4.2 * unit(dice)) : 1e3 * unit(dice) + 1e-6;
    const auto units = static_cast<int64_t>(10 + 2000 * unit(dice));
    const double text = 1 + 60 * unit(dice);
    const bool reversed = unit(dice) < 0.3;
    const AxisLine axis{reversed ? low + span : low, reversed ? low : low + span, units, text};
    const IntensityScale scale = log ? Logarithmic : SquareRoot;
    const Ticks ticks = TicksOf(scale, axis);
    SCOPED_TRACE("axis " + std::to_string(axis.start) + " .. " + std::to_string(axis.end) +
                 " over " + std::to_string(units) + ", text " + std::to_string(text));
    ASSERT_LE(static_cast<int64_t>(ticks.size()), units + 1);
    for (size_t t = 0; t < ticks.size(); ++t) {
      const double shown = ScaledIntensity(scale, ticks[t].first);
      EXPECT_GE(shown, std::min(axis.start, axis.end) - 1e-9);
      EXPECT_LE(shown, std::max(axis.start, axis.end) + 1e-9);
      EXPECT_GE(ticks[t].second, 0);
      EXPECT_LE(ticks[t].second, units);
      if (t == 0) continue;
      const int64_t gap = ticks[t].second - ticks[t - 1].second;
      EXPECT_GE(reversed ? -gap : gap, text - 1)
          << ticks[t - 1].first << " then " << ticks[t].first;
    }
  }
}

// A plot without numbers (its ticks stand at other values than a linear
// plot's) of ys against 1, 2, 3 ...
struct Plot : testing::DrawnPlot {
  Plot(IntensityScale scale, const document::TRealRect& range, const std::vector<double>& ys)
      : DrawnPlot(range, Positions(ys.size()), ys, [&](document::GraphDocument& doc) {
          doc.Settings.ScaleOn = false;
          doc.View.YScale = scale;
        }) {}
  static std::vector<double> Positions(size_t count) {
    std::vector<double> xs;
    for (size_t i = 0; i < count; ++i) xs.push_back(static_cast<double>(i + 1));
    return xs;
  }
};

struct ScaledCase {
  std::string name;
  IntensityScale scale;
  document::TRealRect range;  // Left, Top, Right, Bottom in data units
  std::vector<double> ys;
  double shown_top;  // the y ends the scale must show, worked out by hand
  double shown_bottom;
};

// The scaled value as a linear plot would be given it; NaN breaks its line.
double ByHand(IntensityScale scale, double y) {
  if (scale == Logarithmic) return y > 0 ? std::log10(y) : NAN;
  return y >= 0 ? std::sqrt(y) : NAN;
}

void PrintTo(const ScaledCase& c, std::ostream* os) { *os << c.name; }

class ScaledPlot : public ::testing::TestWithParam<ScaledCase> {};

TEST_P(ScaledPlot, DrawsTheLinearPlotOfTheScaledValues) {
  const ScaledCase& c = GetParam();
  std::vector<double> scaled;
  for (const double y : c.ys) scaled.push_back(ByHand(c.scale, y));
  const document::TRealRect linear_range{c.range.Left, c.shown_top, c.range.Right, c.shown_bottom};
  Plot plot(c.scale, c.range, c.ys);
  Plot linear(Linear, linear_range, scaled);
  EXPECT_EQ(plot.Pixels(), linear.Pixels());
  const std::vector<uint8_t> pixels = plot.Pixels();
  EXPECT_GT(std::count(pixels.begin(), pixels.end(), uint8_t{3}), 300);  // the trace's colour
  EXPECT_EQ(plot.Page(), linear.Page());
}

INSTANTIATE_TEST_SUITE_P(
    Table, ScaledPlot,
    ::testing::Values(
        ScaledCase{"ThreeDecades",
                   Logarithmic,
                   {0, 1000, 10, 1},
                   {1, 3, 10, 30, 100, 300, 1000, 500, 50},
                   3,
                   0},
        // Zero and below break the line.
        ScaledCase{"LogBreaks", Logarithmic, {0, 1000, 10, 1}, {5, 50, 0, 500, -3, 50, 5}, 3, 0},
        // A bottom below zero shows from the smallest positive value in view:
        // 0.5, not the 0.01 of the point beyond the x range.
        ScaledCase{"LogFromSmallestInView",
                   Logarithmic,
                   {0, 1000, 8.5, -10},
                   {3, 0.5, 40, 700, 20, 2, 9, 4, 0.01},
                   3,
                   std::log10(0.5)},
        ScaledCase{
            "LogDownwards", Logarithmic, {0, 1, 10, 1000}, {1, 3, 10, 30, 100, 300, 1000}, 0, 3},
        ScaledCase{"RootBreaksBelowZero",
                   SquareRoot,
                   {0, 100, 10, 0},
                   {0, 1, 4, 9, 25, 49, 100, -4, 16},
                   10,
                   0},
        ScaledCase{"RootFromZero",
                   SquareRoot,
                   {0, 100, 10, -50},
                   {0, 1, 4, 9, 25, 49, 100, 64, 16},
                   10,
                   0}),
    [](const ::testing::TestParamInfo<ScaledCase>& info) { return info.param.name; });

// The pointer's y is taken back through the scale: the middle row of a plot
// showing 1 to 100 on a logarithmic axis reads 10, and a band from the top to
// there zooms to 10 .. 100 in data units.
TEST(ScaledPlot, ReadsAndZoomsInDataUnits) {
  Plot plot(Logarithmic, {0, 100, 10, 1}, {1, 10, 100});
  MouseState mouse;
  testing::RecordingPictureCanvas band{672, 496};
  ImageMouseMove(mouse, plot.doc, band, 336, 14 + 217);
  EXPECT_NEAR(mouse.MouseDataY, 10, 1e-9);
  EXPECT_EQ(ReadoutCaption(mouse, '.'), "KORVELIN( 5.00, 10 )");
  ImageMouseDown(mouse, MouseButton::Left, 60 + 110, 14);
  ASSERT_EQ(ImageMouseUp(mouse, plot.doc, MouseButton::Left, 60 + 331, 14 + 217),
            MouseRelease::Zoomed);
  EXPECT_NEAR(plot.doc.AxisRange.Top, 100, 1e-9);
  EXPECT_NEAR(plot.doc.AxisRange.Bottom, 10, 1e-9);
  plot.doc.View.YScale = SquareRoot;  // 0 .. 100 shows roots 0 .. 10
  plot.doc.AxisRange = {0, 100, 10, 0};
  ImageMouseMove(mouse, plot.doc, band, 336, 14 + 217);
  EXPECT_NEAR(mouse.MouseDataY, 25, 1e-9);
}

// A redraw on a logarithmic axis that shows from the smallest positive
// value in view walks the lines once and draws them when the axis is known.
// Over random plots (several traces, x in order or not, zeros, negatives
// and NaN, offsets, markers that send the redraw the usual way, ranges
// either way round) and any limit on what the walk holds, the picture is
// the one drawn after a scan of the points: pixels, palette and numbers.
struct RandomLogPlot {
  document::GraphDocument doc;

  explicit RandomLogPlot(std::mt19937_64& rng) {
    std::uniform_real_distribution<double> unit(0, 1);
    doc.ClientSize = {672, 496};
    doc.PlotRect = {60, 14, 612, 448};
    doc.View.YScale = Logarithmic;
    const int points = 1 + static_cast<int>(std::pow(3000, unit(rng)));
    const int x_waves = 1 + static_cast<int>(rng() % 2);
    for (int w = 0; w < x_waves; ++w) {
      std::vector<double> xs;
      for (int i = 0; i < points; ++i) xs.push_back(i * 100.0 / points);
      if (w == 1) std::shuffle(xs.begin(), xs.end(), rng);
      if (unit(rng) < 0.2) xs[rng() % xs.size()] = NAN;
      korvelin::testing::AddWave(doc, xs);
    }
    const int traces = 1 + static_cast<int>(rng() % 4);
    for (int t = 0; t < traces; ++t) {
      std::vector<double> ys;
      for (int i = 0; i < points; ++i) ys.push_back(Intensity(rng));
      const int32_t y = korvelin::testing::AddWave(doc, ys);
      document::TWave& wave = doc.Waves[y];
      wave.mode = unit(rng) < 0.15 ? 4 : 0;
      wave.rgb = static_cast<uint32_t>(rng() & 0xFFFFFF);
      if (unit(rng) < 0.3) wave.offsety = unit(rng) < 0.5 ? -5 : 3;
      if (unit(rng) < 0.3) wave.offsetx = 10;
      doc.Traces[doc.TraceCount++] = {static_cast<int32_t>(rng() % x_waves), y};
    }
    const double left = 100 * unit(rng);
    const double right = 100 * unit(rng);
    const double top = std::pow(10, 6 * unit(rng) - 1);
    const double bottom = unit(rng) < 0.8 ? -unit(rng) * 10 * (unit(rng) < 0.5) : top * 2;
    doc.AxisRange = unit(rng) < 0.8 ? document::TRealRect{left, top, right, bottom}
                                    : document::TRealRect{left, bottom, right, top};
  }

  static double Intensity(std::mt19937_64& rng) {
    switch (rng() % 16) {
      case 0:
        return 0;
      case 1:
        return -1;
      case 2:
        return NAN;
      default:
        return std::pow(10, std::uniform_real_distribution<double>(-3, 5)(rng));
    }
  }

  struct Drawn {
    std::vector<uint8_t> pixels;
    std::vector<uint32_t> palette;
    std::vector<std::string> calls;
    bool operator==(const Drawn&) const = default;
  };
  Drawn Draw(size_t max_held) const {
    testing::ScreenSurface screen;
    DrawScreenPlot(doc, screen.target, max_held);
    const RasterImage& raster = screen.raster;
    Drawn drawn{{raster.Pixels(), raster.Pixels() + 552 * 434}, {}, screen.picture.calls};
    for (int i = 0; i < 256; ++i) drawn.palette.push_back(raster.PaletteEntry(i));
    for (const auto& text : screen.picture.texts) drawn.calls.push_back(text.text);
    return drawn;
  }
};

TEST(ScaledPlot, HeldLinesDrawWhatAScanFirstDraws) {
  std::mt19937_64 rng(24);
  int with_trace_pixels = 0;
  for (int round = 0; round < 300; ++round) {
    const RandomLogPlot plot(rng);
    const RandomLogPlot::Drawn scanned = plot.Draw(0);
    with_trace_pixels += std::any_of(scanned.pixels.begin(), scanned.pixels.end(),
                                     [](uint8_t p) { return p >= 2 && p < 255; });
    for (const size_t max_held : {size_t{1}, size_t{40}, kMaxHeldSegments}) {
      ASSERT_EQ(plot.Draw(max_held), scanned) << "round " << round << ", holding " << max_held;
    }
  }
  EXPECT_GT(with_trace_pixels, 150);  // the rounds draw traces, not empty frames
}

}  // namespace
}  // namespace korvelin::render
