#include <gtest/gtest.h>

#include <cmath>
#include <iterator>
#include <limits>
#include <random>
#include <tuple>
#include <utility>
#include <vector>

#include "render/PlotMapping.h"

namespace korvelin::render {
namespace {

using document::GraphDocument;
using document::PixelRect;
using document::TRealRect;

constexpr double kInf = std::numeric_limits<double>::infinity();

TEST(RoundHalfEven, GivesTheNearestIntegerWithHalvesToEven) {
  const std::pair<double, int64_t> cases[] = {{2.5, 2},
                                              {3.5, 4},
                                              {-0.5, 0},
                                              {-1.5, -2},
                                              {0.49999999999999994, 0},
                                              {2.5000000000000004, 3},
                                              {-2.4999999999999996, -2},
                                              {4503599627370497.0, 4503599627370497},
                                              {std::nan(""), 0},
                                              {1e300, kFarCoordinate},
                                              {-kInf, -kFarCoordinate},
                                              {kInf, kFarCoordinate},
                                              {4611686018427387904.0, kFarCoordinate},
                                              {-4611686018427386880.0, -4611686018427386880}};
  for (const auto& [value, expected] : cases) EXPECT_EQ(RoundHalfEven(value), expected) << value;
}

TEST(RoundHalfEven32, ClampsToThe32BitRange) {
  EXPECT_EQ(RoundHalfEven32(135.0), 135);
  EXPECT_EQ(RoundHalfEven32(2.5), 2);
  EXPECT_EQ(RoundHalfEven32(3e9), std::numeric_limits<int32_t>::max());
  EXPECT_EQ(RoundHalfEven32(-3e9), std::numeric_limits<int32_t>::min());
  EXPECT_EQ(RoundHalfEven32(std::nan("")), 0);
}

// The scales and the pixel origins, compared at once.
std::tuple<double, double, int32_t, int32_t> Factors(const PlotMapping& m) {
  return {m.ScaleX, m.ScaleY, m.PixelOriginX, m.PixelOriginY};
}

GraphDocument& Place(GraphDocument& doc, TRealRect range, PixelRect plot) {
  doc.AxisRange = range;
  doc.PlotRect = plot;
  return doc;
}

// Many values at once give what one at a time gives: halves (to even, both
// signs), values just below and above 2^51 where the fast rounding stops,
// far, infinite and NaN values, arrays of every length from 0 to 9.
TEST(MapPositions, EqualsTheMappingOfEachValue) {
  std::mt19937_64 random(51);
  const double two51 = 2251799813685248.0;
  const double special[] = {0.5,   -0.5, 1.5,   -2.5,         two51 - 1, -two51 + 0.5,      two51,
                            1e300, kInf, -kInf, std::nan(""), -0.0,      4503599627370495.5};
  for (int example = 0; example < 3000; ++example) {
    const int32_t n = static_cast<int32_t>(random() % 10);
    std::vector<double> in(static_cast<size_t>(n));
    for (double& v : in) {
      const uint64_t kind = random() % 4;
      v = kind == 0   ? special[random() % std::size(special)]
          : kind == 1 ? static_cast<double>(static_cast<int64_t>(random() % 2001) - 1000) / 2
                      : std::ldexp(static_cast<double>(random() % 1000000) - 500000.0,
                                   static_cast<int>(random() % 40) - 20);
    }
    const double origin = example % 3 == 0 ? 0.0 : std::ldexp(1.0, example % 7) - 3.25;
    const double scale = example % 2 == 0 ? 1.0 : -0.5 * (example % 5 + 1);
    const int64_t pixel_origin = static_cast<int64_t>(random() % 4000) - 2000;
    std::vector<int64_t> out(static_cast<size_t>(n) + 1, 12345);
    MapPositions(in.data(), n, origin, scale, pixel_origin, out.data());
    for (int32_t j = 0; j < n; ++j) {
      ASSERT_EQ(out[j], RoundHalfEven((in[j] - origin) * scale) + pixel_origin)
          << "value " << in[j] << " origin " << origin << " scale " << scale;
    }
    EXPECT_EQ(out[n], 12345) << "written past the end";
  }
}

TEST(SetScreenMapping, MapsTheRangeOntoTheSurface) {
  GraphDocument doc;
  Place(doc, {0, 10, 10, 0}, {20, 30, 120, 80});  // 100 x 50
  PlotMapping m;
  SetScreenMapping(m, doc);
  EXPECT_EQ(Factors(m), std::tuple(10.0, -5.0, 0, 0));
  // x = 10 maps one past the last column.
  EXPECT_EQ(std::tuple(MapX(m, 5), MapY(m, 5), MapX(m, 10), MapY(m, 0), MapX(m, 0), MapY(m, 10)),
            std::tuple(50, 25, 100, 50, 0, 0));
  EXPECT_TRUE(HasDrawableRange(m));
  // The clip test is inclusive on every edge.
  EXPECT_EQ(std::tuple(PointInside(m, 0, 10), PointInside(m, 10, 0),
                       PointInside(m, 10.000000000000002, 5), PointInside(m, 5, -1e-300),
                       PointInside(m, std::nan(""), 5)),
            std::tuple(true, true, false, false, false));
}

TEST(SetScreenMapping, RoundsHalvesToEvenColumns) {
  GraphDocument doc;
  Place(doc, {0, 100, 100, 0}, {0, 0, 100, 100});  // ScaleX = 1
  PlotMapping m;
  SetScreenMapping(m, doc);
  EXPECT_EQ(MapX(m, 2.5), 2);
  EXPECT_EQ(MapX(m, 3.5), 4);
  EXPECT_EQ(MapY(m, 97.5), 2);  // (97.5 - 100) * -1 = 2.5
}

TEST(SetScreenMapping, FarPointsKeepADefinedCoordinate) {
  GraphDocument doc;
  Place(doc, {0, 1e-12, 1e-12, 0}, {0, 0, 1000, 1000});
  PlotMapping m;
  SetScreenMapping(m, doc);
  EXPECT_EQ(MapX(m, 1e9), kFarCoordinate);  // 1e24 pixels away, held at 2^62
  EXPECT_EQ(MapY(m, 1e9), -kFarCoordinate);
  EXPECT_EQ(MapX(m, 0.5e-12), 500);
  EXPECT_EQ(MapX(m, 1e-3), 1000000000000);  // beyond 32 bits is fine too
}

TEST(SetScreenMapping, ZeroOrNonFiniteRangesDrawNothing) {
  PlotMapping m;
  GraphDocument doc;
  for (const TRealRect& range :
       {TRealRect{5, 10, 5, 0}, TRealRect{0, 3, 10, 3}, TRealRect{0, 10, kInf, 0},
        TRealRect{std::nan(""), 10, 10, 0}, TRealRect{10, 10, std::nan(""), 0},
        TRealRect{-1e308, 10, 1e308, 0},
        TRealRect{0, 1e-310, 1e-310, 0}}) {  // the last: a scale beyond the doubles
    SetScreenMapping(m, Place(doc, range, {0, 0, 552, 434}));
    EXPECT_FALSE(HasDrawableRange(m))
        << range.Left << " " << range.Top << " " << range.Right << " " << range.Bottom;
  }
  // A zero span gives a zero scale, not a division by zero.
  SetScreenMapping(m, Place(doc, {5, 10, 5, 0}, {0, 0, 552, 434}));
  EXPECT_EQ(m.ScaleX, 0);
  // A reversed range maps from its Left and Top edges with a negative scale,
  // and its points pass the clip test.
  SetScreenMapping(m, Place(doc, {10, 10, 0, 0}, {0, 0, 100, 100}));
  EXPECT_EQ(m.ScaleX, -10);
  EXPECT_TRUE(HasDrawableRange(m));
  EXPECT_EQ(std::tuple(PointInside(m, 5, 5), PointInside(m, 10, 0), PointInside(m, 10.5, 5)),
            std::tuple(true, true, false));
  EXPECT_EQ(std::tuple(MapX(m, 10), MapX(m, 2)), std::tuple(0, 80));
}

TEST(SetVectorMapping, StretchesTheClientAreaOntoThePage) {
  GraphDocument doc;
  Place(doc, {0, 10, 10, 0}, {60, 14, 552, 406});
  doc.ClientSize = {594, 420};
  EXPECT_EQ(VectorScaleX(doc), 50);
  EXPECT_EQ(VectorScaleY(doc), 50);
  PlotMapping m;
  SetVectorMapping(m, doc);
  EXPECT_EQ(Factors(m), std::tuple(492 * 50 / 10.0, -392 * 50 / 10.0, 3000, 700));
  EXPECT_EQ(std::tuple(MapX(m, 0), MapX(m, 10), MapY(m, 0)),
            std::tuple(3000, 3000 + 24600, 700 + 19600));
  EXPECT_EQ(std::tuple(m.ClipLeft, m.ClipTop), std::tuple(0, 10));
}

TEST(SetVectorMapping, UnequalFactorsAndAnEmptyClientArea) {
  GraphDocument doc;
  Place(doc, {0, 10, 10, 0}, {3, 5, 103, 55});
  doc.ClientSize = {200, 100};
  doc.Settings.MetafileWidth = 500;   // 2.5 units per pixel
  doc.Settings.MetafileHeight = 150;  // 1.5 units per pixel
  PlotMapping m;
  SetVectorMapping(m, doc);
  EXPECT_EQ(Factors(m), std::tuple(25, -7.5, 8, 8));  // both origins round(7.5) = 8
  doc.ClientSize = {0, 0};                            // before the first resize
  EXPECT_EQ(VectorScaleX(doc), 0);
  SetVectorMapping(m, doc);
  EXPECT_FALSE(HasDrawableRange(m));
}

// Pixels count from their top-left corner; outside the plot the mapping
// extends linearly.
TEST(PixelToData, TakesThePixelsTopLeftCornerAndExtendsLinearly) {
  const PixelRect plot{60, 14, 612, 448};
  const TRealRect range{0, 10, 10, 0};
  const std::tuple<int, int, double, double> cases[] = {
      {60, 14, 0, 10},
      {612, 448, 10, 0},
      {336, 231, 5, 5},
      {0, 0, -60 * 10 / 552.0, 10 + 14 * 10 / 434.0},
  };
  for (const auto& [px, py, data_x, data_y] : cases) {
    double x = 0;
    double y = 0;
    PixelToData(px, py, plot, range, x, y);
    EXPECT_NEAR(x, data_x, 1e-12) << px;
    EXPECT_NEAR(y, data_y, 1e-12) << py;
    if (px == 60) {
      EXPECT_EQ(std::tuple(x, y), std::tuple(0, 10)) << "the plot's corner is exact";
    }
  }
  // A plot with no width gives the left edge rather than a division by zero.
  double x = 0;
  double y = 0;
  PixelToData(100, 100, PixelRect{60, 14, 60, 14}, range, x, y);
  EXPECT_EQ(std::tuple(x, y), std::tuple(0, 10));
}

}  // namespace
}  // namespace korvelin::render
