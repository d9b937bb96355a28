#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "DrawnPlot.h"
#include "document/TextNumbers.h"
#include "render/ScreenPlot.h"

namespace korvelin::render {
namespace {

using document::FormatGeneral;
using document::GraphDocument;
using document::TRealRect;
using testing::PlacedText;

constexpr double kInf = std::numeric_limits<double>::infinity();

// The window of the worked example: a 672 x 496 client area with the plot
// at (60, 14, 612, 448), so the surface is 552 x 434.
struct Window : testing::ScreenSurface {
  GraphDocument doc;

  Window() {
    doc.PlotRect = {60, 14, 612, 448};
    doc.AxisRange = {0, 10, 10, 0};
    SetPaletteEntry(raster, 0, 0xFFFFFF);
  }
  void Draw() { DrawScreenPlot(doc, target); }
  int W() const { return raster.Width(); }
  int H() const { return raster.Height(); }
  // Columns of the bottom row and rows of the left column in tick colour.
  std::vector<int> XTickColumns() const {
    std::vector<int> out;
    for (int x = 0; x < W(); ++x) {
      if (raster.PixelAt(x, H() - 1) == 255) out.push_back(x);
    }
    return out;
  }
  // Column 0 also holds the x tick at x = 0, so y ticks are read one column in.
  std::vector<int> YTickRows(int column = 1) const {
    std::vector<int> out;
    for (int y = 0; y < H(); ++y) {
      if (raster.PixelAt(column, y) == 255) out.push_back(y);
    }
    return out;
  }
  std::vector<std::string> Texts() const {
    std::vector<std::string> out;
    for (const PlacedText& t : picture.texts) out.push_back(t.text);
    return out;
  }
  const PlacedText* Text(const std::string& text, int y = -1) const {
    for (const PlacedText& t : picture.texts) {
      if (t.text == text && (y < 0 || t.y == y)) return &t;
    }
    return nullptr;
  }
};

TEST(DrawScreenPlot, WorkedExamplePlacesTicksAndNumbers) {
  Window w;
  w.Draw();
  EXPECT_EQ(w.XTickColumns(), (std::vector<int>{0, 110, 221, 331, 442}));
  for (int y = 430; y < 434; ++y) EXPECT_EQ(w.raster.PixelAt(110, y), 255) << y;
  EXPECT_EQ(w.raster.PixelAt(110, 429), 0);
  EXPECT_EQ(w.YTickRows(), (std::vector<int>{0, 43, 87, 130, 174, 217, 260, 304, 347, 391}));
  for (int x = 0; x <= 4; ++x) EXPECT_EQ(w.raster.PixelAt(x, 217), 255) << x;
  EXPECT_EQ(w.raster.PixelAt(5, 217), 0);
  // x numbers centred under their ticks, tops 4 pixels below the plot.
  const std::vector<PlacedText> x_numbers(w.picture.texts.begin(), w.picture.texts.begin() + 6);
  EXPECT_EQ(x_numbers, (std::vector<PlacedText>{{56, 452, "0"},
                                                {166, 452, "2"},
                                                {277, 452, "4"},
                                                {387, 452, "6"},
                                                {498, 452, "8"},
                                                {604, 452, "10"}}));
  // y numbers right-aligned 4 pixels left of the plot, centred on the tick.
  const PlacedText* five = w.Text("5", -1);
  ASSERT_NE(five, nullptr);
  EXPECT_EQ(five->y, 222);
  EXPECT_EQ(five->x + 8, 56);
  EXPECT_EQ(w.Texts().size(), 6u + 11u);
  EXPECT_EQ(w.picture.texts.back(), (PlacedText{40, 5, "10"}));
}

TEST(DrawScreenPlot, RunsItsStepsInOrder) {
  Window w;
  w.doc.Settings.TickX = 0;
  w.target.font = FontSpec{"Arial", 20};
  w.Draw();
  const std::vector<std::string>& c = w.picture.calls;
  ASSERT_GE(c.size(), 8u);
  EXPECT_EQ(
      std::vector<std::string>(c.begin(), c.begin() + 6),
      (std::vector<std::string>{"Hide", "SetBrushColor 16777215", "SetBrushStyle 0",
                                "FillRect 0 0 672 496", "SetFont Arial 20", "SetBrushStyle 2"}));
  EXPECT_EQ(std::vector<std::string>(c.end() - 2, c.end()),
            (std::vector<std::string>{"BlitRaster 60 14", "Show"}));
  EXPECT_EQ(w.label.Font(), (FontSpec{"Arial", 20}));
  EXPECT_EQ(w.label.measured.front(), "-000000");
  EXPECT_EQ(w.picture.brush_style, BrushStyle::Cross);  // kept after the redraw
  // The blit copies the finished surface: frame, no x ticks with TickX 0.
  EXPECT_EQ(w.picture.blitted,
            std::vector<uint8_t>(w.raster.Pixels(), w.raster.Pixels() + 552 * 434));
  EXPECT_EQ(w.raster.PixelAt(300, 0), 1);
  EXPECT_EQ(w.raster.PixelAt(551, 300), 1);
  EXPECT_TRUE(w.XTickColumns().empty());
}

TEST(DrawScreenPlot, ScaleOffLeavesOnlyFrameAndTraces) {
  Window w;
  w.doc.Settings.ScaleOn = false;
  w.Draw();
  EXPECT_TRUE(w.picture.texts.empty());
  EXPECT_TRUE(w.YTickRows().empty());
  EXPECT_EQ(w.picture.brush_style, BrushStyle::Solid);
  EXPECT_EQ(w.raster.PixelAt(0, 200), 1);
}

TEST(DrawScreenPlot, ShortTicksAndTheLastNumberOnTheRightEdge) {
  Window w;
  w.doc.PlotRect = {60, 14, 460, 314};  // 400 x 300
  NewRasterImage(w.raster, 400, 300);
  w.doc.Settings.TickY = 0;
  w.Draw();
  EXPECT_EQ(w.Texts(), (std::vector<std::string>{"0", "2", "4", "6", "8", "10", "0", "2", "4", "6",
                                                 "8", "10"}));
  EXPECT_EQ(w.picture.texts[5], (PlacedText{452, 318, "10"}));  // centred on PlotRect.Right
  EXPECT_EQ(w.picture.texts[6], (PlacedText{48, 305, "0"}));    // centred on PlotRect.Bottom
  EXPECT_TRUE(w.YTickRows(1).empty());  // one pixel each, on the left column
  EXPECT_EQ(w.YTickRows(0), (std::vector<int>{0, 60, 120, 180, 240, 296, 297, 298, 299}));
}

TEST(DrawScreenPlot, TicksTakeTheColourOfWave253) {
  Window w;
  for (int i = 0; i < 254; ++i) w.doc.Waves[w.doc.WaveCount++] = {.stride = 1, .count = 1};
  document::SetValue(w.doc.Values, w.doc.ValueCount++, 5);
  w.doc.Waves[253].rgb = 0xFF0000;
  w.doc.Traces[w.doc.TraceCount++] = {0, 253};
  w.Draw();
  EXPECT_EQ(w.raster.PaletteEntry(255), 0xFF0000u);
}

TEST(DrawScreenPlot, DegenerateRangesKeepTheFrameAndDropThatAxisScale) {
  struct Case {
    TRealRect range;
    bool x_scale;
    bool y_scale;
  };
  for (const Case& c : {Case{{5, 10, 5, 0}, false, true}, Case{{0, 3, 10, 3}, true, false},
                        Case{{std::nan(""), kInf, 10, 0}, false, false},
                        Case{{-1e308, 10, 1e308, 0}, false, true}}) {
    Window w;
    w.doc.AxisRange = c.range;
    w.Draw();
    EXPECT_EQ(w.raster.PixelAt(300, 0), 1);
    EXPECT_EQ(w.raster.PixelAt(0, 300) != 0, true);
    EXPECT_EQ(!w.XTickColumns().empty(), c.x_scale) << c.range.Left << " " << c.range.Right;
    EXPECT_EQ(w.YTickRows().size() > 1, c.y_scale) << c.range.Bottom << " " << c.range.Top;
    EXPECT_EQ(w.picture.calls.back(), "Show");
  }
}

TEST(DrawScreenPlot, DeepZoomsFarFromZeroStillEnd) {
  Window w;
  w.doc.AxisRange = {5e9, 10, 5e9 + 10, 0};  // first tick index beyond 32 bits
  w.Draw();
  EXPECT_EQ(w.picture.texts.front().text, "5000000000");
  EXPECT_EQ(w.picture.texts[1].text, "5000000002");
  EXPECT_EQ(w.XTickColumns().front(), 0);
  // Steps below the spacing of the doubles: 1e17 + 2 == 1e17.
  w.doc.AxisRange = {1e17, 10, 1e17 + 16, 0};
  w.picture.texts.clear();
  w.Draw();
  EXPECT_EQ(w.picture.texts.front().text, "1E17");
  EXPECT_LE(w.picture.texts.size(), 11u + 2u);
}

TEST(DrawScreenPlot, NullSurfaceDrawsNothing) {
  Window w;
  ReleaseRasterImage(w.raster);
  w.Draw();
  EXPECT_TRUE(w.picture.calls.empty());
}

TEST(ChooseTickStep, GivesTheSmallestOneTwoFiveStepAbove) {
  const std::pair<double, double> steps[] = {
      // the least step, the step chosen
      {1, 2},         {2, 5},         {5, 10},     {0.7, 1},          {1.4, 2},
      {56 / 55.2, 2}, {38 / 43.4, 1}, {0.07, 0.1}, {12345, 20000},    {9.99, 10},
      {0, 0},         {-1, 0},        {kInf, 0},   {std::nan(""), 0}, {1.7e308, 0}};
  for (const auto& [min_step, step] : steps) EXPECT_EQ(ChooseTickStep(min_step), step) << min_step;
}

TEST(ChooseTickStep, ExtremeStepsEndWithAStepOrNone) {
  for (double m : {1e-300, 1e-310, 1e300}) {
    const double step = ChooseTickStep(m);
    EXPECT_TRUE(std::isfinite(step) && step >= m) << m;
  }
  // Among the smallest denormals the powers of ten run out: no step.
  EXPECT_EQ(ChooseTickStep(5e-324), 0);
}

TEST(TickWalk, StartsAtTheFirstMultipleInsideTheRange) {
  auto ticks = [](double low, double high, double step, int64_t max = 100) {
    std::vector<double> out;
    TickWalk walk(low, high, step, max);
    for (double t = 0; walk.Next(t);) out.push_back(t);
    return out;
  };
  EXPECT_EQ(ticks(-3.5, -1, 1), (std::vector<double>{-3, -2, -1}));
  EXPECT_EQ(ticks(3.5, 6, 1), (std::vector<double>{4, 5, 6}));
  // The step 0.1 of ChooseTickStep from -0.35, accumulated by addition.
  const std::vector<double> values = ticks(-0.35, 0.15, ChooseTickStep(0.07));
  EXPECT_EQ(values,
            (std::vector<double>{-0.30000000000000004, -0.20000000000000004, -0.10000000000000003,
                                 -2.7755575615628914E-17, 0.09999999999999998}));
  std::vector<std::string> labels;
  for (double v : values) labels.push_back(FormatGeneral(v));
  EXPECT_EQ(labels,
            (std::vector<std::string>{"-0.3", "-0.2", "-0.1", "-2.77555756156289E-17", "0.1"}));
  EXPECT_EQ(ticks(0, 1e6, 1, 10).size(), 10u);  // no more ticks than allowed
  EXPECT_EQ(ticks(1e17, 1e18, 2).size(), 1u);   // the step no longer moves the value
  EXPECT_TRUE(ticks(0, 10, 0).empty());
  EXPECT_TRUE(ticks(kInf, 10, 1).empty());
  EXPECT_TRUE(ticks(5, 4, 1).empty());
}

struct FormatCase {
  double value;
  const char* text;
};

class FormatGeneralCase : public ::testing::TestWithParam<FormatCase> {};

TEST_P(FormatGeneralCase, WritesFifteenSignificantDigits) {
  EXPECT_EQ(FormatGeneral(GetParam().value), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Table, FormatGeneralCase,
    ::testing::Values(
        FormatCase{0, "0"}, FormatCase{-0.0, "0"}, FormatCase{1, "1"}, FormatCase{-12.5, "-12.5"},
        FormatCase{300, "300"}, FormatCase{0.0001, "0.0001"}, FormatCase{0.05, "0.05"},
        FormatCase{1e-5, "1E-5"}, FormatCase{-1.5e-5, "-1.5E-5"}, FormatCase{2.5e16, "2.5E16"},
        FormatCase{1e15, "1E15"}, FormatCase{123456789012345, "123456789012345"},
        FormatCase{1234567890123456, "1.23456789012346E15"}, FormatCase{0.1 + 0.2, "0.3"},
        FormatCase{1.0 / 3, "0.333333333333333"}, FormatCase{2.0 / 3, "0.666666666666667"},
        FormatCase{999999999999999.9, "1E15"},
        FormatCase{0.00099999999999999, "0.00099999999999999"}, FormatCase{1e300, "1E300"},
        FormatCase{5e-324, "4.94065645841247E-324"}, FormatCase{std::nan(""), "NAN"},
        FormatCase{kInf, "INF"}, FormatCase{-kInf, "-INF"}));

TEST(FormatGeneral, UsesTheGivenDecimalSeparator) {
  EXPECT_EQ(FormatGeneral(12.5, ','), "12,5");
  EXPECT_EQ(FormatGeneral(0.05, ','), "0,05");
  EXPECT_EQ(FormatGeneral(-2.5e16, ','), "-2,5E16");
  Window w;
  w.target.decimal_separator = ',';
  w.doc.AxisRange = {0, 1, 1, 0};
  w.Draw();
  EXPECT_NE(w.Text("0,2"), nullptr);
}

}  // namespace
}  // namespace korvelin::render
