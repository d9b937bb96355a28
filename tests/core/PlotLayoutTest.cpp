#include <gtest/gtest.h>

#include "render/PlotLayout.h"

namespace korvelin::render {
namespace {

using document::DisplaySettings;
using document::PixelRect;
using document::PixelSize;

struct LayoutCase {
  const char* name;
  bool scale_on;
  bool margin_on;
  PixelRect margin;
  PixelSize client;
  PixelRect plot;
};

class PlotLayoutCase : public ::testing::TestWithParam<LayoutCase> {};

// "-000000" measures 56 x 19, the size of the window's worked example.
TEST_P(PlotLayoutCase, PlacesThePlot) {
  const LayoutCase& c = GetParam();
  DisplaySettings settings;
  settings.ScaleOn = c.scale_on;
  settings.MarginOn = c.margin_on;
  settings.Margin = c.margin;
  EXPECT_EQ(ComputePlotRect(c.client, {56, 19}, settings), c.plot);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Cases, PlotLayoutCase,
    ::testing::Values(
        // L = 56 + 4, T = 19 * 3 / 4, R = 56 / 2, B = 19 * 3 / 2 + 4.
        LayoutCase{"WorkedExample", true, false, {}, {640, 480}, {60, 14, 612, 448}},
        LayoutCase{"FixedMarginsRoundWidthDown", false, false, {}, {101, 90}, {8, 8, 92, 82}},
        LayoutCase{"NarrowClientGetsMinimumWidth", true, false, {}, {50, 480}, {60, 14, 124, 448}},
        LayoutCase{"EmptyClientGetsMinimumPlot", true, false, {}, {0, 0}, {60, 14, 124, 78}},
        LayoutCase{"MarginsWinOverScale", true, true, {0, 0, 0, 0}, {641, 300}, {0, 0, 640, 300}},
        LayoutCase{"NegativeMarginsReachPastThePicture", false, true, {-100, -50, 0, 0}, {100, 100}, {-100, -50, 100, 100}},
        LayoutCase{"HugeNegativeMarginStaysAllocatable", false, true, {-2000000000, 0, 0, 0}, {100, 100}, {-1048576, 0, -1048576 + 16384, 100}},
        LayoutCase{"MarginsLargerThanTheWindow", false, true, {2000000000, 2000000000, 2000000000, 2000000000}, {640, 480}, {1048576, 1048576, 1048576 + 64, 1048576 + 64}}),
    [](const ::testing::TestParamInfo<LayoutCase>& info) { return info.param.name; });
// clang-format on

TEST(ComputePlotRect, HugeDistancesStayWithinTheirBounds) {
  DisplaySettings settings;
  settings.DistanceX = INT32_MAX;
  settings.DistanceY = INT32_MIN;
  const PixelRect plot = ComputePlotRect({640, 480}, {56, 19}, settings);
  EXPECT_EQ(plot.Left, -kMaxMargin);
  EXPECT_EQ(plot.Right - plot.Left, kMaxPlotSide);
  EXPECT_EQ(plot.Bottom - plot.Top, kMinPlotSide);
}

TEST(BoundWindowPicture, KeepsScreensWholeAndShrinksWallsOfScreens) {
  EXPECT_EQ(BoundWindowPicture({1920, 1080}), (PixelSize{1920, 1080}));
  EXPECT_EQ(BoundWindowPicture({7680, 4320}), (PixelSize{7680, 4320}));
  EXPECT_EQ(BoundWindowPicture({-5, 0}), (PixelSize{0, 0}));
  EXPECT_EQ(BoundWindowPicture({30000, 10}), (PixelSize{16384, 10}));
  for (PixelSize huge :
       {PixelSize{32767, 32767}, PixelSize{16384, 16384}, PixelSize{16000, 3000}}) {
    const PixelSize bounded = BoundWindowPicture(huge);
    EXPECT_LE(int64_t{bounded.Width} * bounded.Height, kMaxWindowPicturePixels);
    EXPECT_GT(int64_t{bounded.Width} * bounded.Height, kMaxWindowPicturePixels * 99 / 100);
    // The proportions stay within a pixel's rounding.
    EXPECT_NEAR(double(bounded.Width) / bounded.Height, double(huge.Width) / huge.Height, 0.01);
  }
}

}  // namespace
}  // namespace korvelin::render
