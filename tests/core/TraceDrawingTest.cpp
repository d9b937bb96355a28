#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <tuple>
#include <vector>

#include "RecordingCanvas.h"
#include "TestWaves.h"
#include "render/RasterLine.h"
#include "render/TraceDrawing.h"

namespace korvelin::render {
namespace {

using document::GraphDocument;
using testing::RecordingVectorCanvas;
using testing::VectorOp;

using korvelin::testing::AddWave;

// A 100 x 100 plot showing 0 to 10 on both axes: one data unit is 10 pixels.
struct Scene {
  GraphDocument doc;
  RasterImage image;
  PlotMapping mapping;
  int32_t x = -1;
  int32_t y = -1;

  Scene(const std::vector<double>& xs, const std::vector<double>& ys) {
    doc.PlotRect = {0, 0, 100, 100};
    doc.AxisRange = {0, 10, 10, 0};
    doc.ClientSize = {200, 100};
    x = AddWave(doc, xs);
    y = AddWave(doc, ys);
    NewRasterImage(image, 100, 100);
  }
  document::TWave& YWave() { return doc.Waves[y]; }
  void Raster() {
    SetScreenMapping(mapping, doc);
    DrawRasterTrace(image, doc, mapping, y, x);
  }
  std::vector<VectorOp> Vector() {
    RecordingVectorCanvas canvas;
    SetVectorMapping(mapping, doc);
    DrawVectorTrace(canvas, doc, mapping, y, x);
    return canvas.ops;
  }
  int CountPixels(int index) const {
    return static_cast<int>(std::count(image.Pixels(), image.Pixels() + 100 * 100, index));
  }
};

RasterImage Blank() {
  RasterImage image;
  NewRasterImage(image, 100, 100);
  return image;
}

std::vector<uint8_t> PixelBytes(const RasterImage& image) {
  return std::vector<uint8_t>(image.Pixels(), image.Pixels() + image.Width() * image.Height());
}

TEST(ModeDecoding, ChoosesLinesAndMarkers) {
  const std::tuple<int32_t, bool, bool> modes[] = {
      // mode, lines, markers
      {0, true, false}, {1, false, false},         {2, true, false},        {3, false, true},
      {4, true, true},  {5, false, true},          {6, true, true},         {7, false, false},
      {8, true, false}, {11, false, true},         {12, true, true},        {15, false, false},
      {-2, true, true}, {INT32_MAX, false, false}, {INT32_MIN, true, false}};
  for (const auto& [mode, lines, markers] : modes) {
    EXPECT_EQ(ModeDrawsLines(mode), lines) << mode;
    EXPECT_EQ(ModeDrawsMarkers(mode), markers) << mode;
  }
}

TEST(PaletteIndexForWave, StaysInsideTheColourTable) {
  EXPECT_EQ(PaletteIndexForWave(0), 2);
  EXPECT_EQ(PaletteIndexForWave(253), 255);
  EXPECT_EQ(PaletteIndexForWave(254), 255);
  EXPECT_EQ(PaletteIndexForWave(255), 255);
}

TEST(DrawRasterTrace, DefaultsDrawABlackOnePixelLineOverTheShorterWave) {
  Scene s({1, 2, 3, 4, 5, 6, 7, 8, 9, 9.5}, {1, 1, 1, 1, 1, 1, 1});
  SetPaletteEntry(s.image, 3, 0x123456);
  s.Raster();
  EXPECT_EQ(s.image.PaletteEntry(3), 0u);  // rgb 0
  EXPECT_EQ(s.CountPixels(3), 61);         // columns 10 .. 70 of row 90
  // The 8th x value has no y: column 71 stays blank.
  EXPECT_EQ(std::tuple(s.image.PixelAt(10, 90), s.image.PixelAt(70, 90), s.image.PixelAt(71, 90)),
            std::tuple(3, 3, 0));
}

TEST(DrawRasterTrace, ColourGoesToThePaletteEntryOfTheYWave) {
  Scene s({1, 2}, {1, 2});
  s.YWave().rgb = 0xFFFF8000;  // the top byte is ignored
  s.Raster();
  EXPECT_EQ(s.image.PaletteEntry(3), 0xFF8000u);
  s.doc.Settings.ColorOn = false;
  s.Raster();
  EXPECT_EQ(s.image.PaletteEntry(3), 0u);
}

// Modes 1 and 7 draw nothing and leave the colour as it was; markers of an
// unknown shape (5) draw nothing, but the colour is still set.
TEST(DrawRasterTrace, ModesThatDrawNothing) {
  for (const auto& [mode, marker, entry] : {std::tuple{1, 0, 0u}, {7, 0, 0u}, {3, 5, 0xFFu}}) {
    Scene s({1, 2}, {1, 2});
    s.YWave().mode = mode;
    s.YWave().marker = marker;
    s.YWave().rgb = 0xFF;
    s.Raster();
    EXPECT_EQ(s.image.PaletteEntry(3), entry) << mode;
    EXPECT_EQ(s.CountPixels(0), 10000) << mode;
  }
}

TEST(DrawRasterTrace, PlusAndBarMarkersSpanTwiceTheSizePlusOne) {
  Scene s({1}, {9});  // maps to (10, 10)
  s.YWave().mode = 3;
  s.YWave().msize = 3;
  s.Raster();
  EXPECT_EQ(s.CountPixels(3), 13);
  for (int d = -3; d <= 3; ++d) {
    EXPECT_EQ(s.image.PixelAt(10 + d, 10), 3);
    EXPECT_EQ(s.image.PixelAt(10, 10 + d), 3);
  }
  s.YWave().marker = 10;
  ClearRasterImage(s.image);
  s.Raster();
  EXPECT_EQ(s.CountPixels(3), 7);
  EXPECT_EQ(s.image.PixelAt(10, 7), 3);
  EXPECT_EQ(s.image.PixelAt(9, 10), 0);
}

TEST(DrawRasterTrace, MarkerOnTheRightEdgeShowsOnlyItsInnerPart) {
  Scene s({10}, {5});  // maps to column 100, one past the surface
  s.YWave().mode = 3;
  s.YWave().msize = 2;
  s.Raster();
  EXPECT_EQ(s.CountPixels(3), 2);
  EXPECT_EQ(s.image.PixelAt(98, 50), 3);
  EXPECT_EQ(s.image.PixelAt(99, 50), 3);
}

TEST(DrawRasterTrace, SegmentsLeavingTheRangeInYAreCutAtTheEdge) {
  Scene s({1, 2, 3}, {5, 50, 5});
  s.Raster();
  RasterImage expected = Blank();
  DrawRasterLine(expected, 10, 50, 20, -400, 3);
  DrawRasterLine(expected, 20, -400, 30, 50, 3);
  EXPECT_EQ(PixelBytes(s.image), PixelBytes(expected));
  EXPECT_EQ(s.image.PixelAt(11, 0), 3);  // both segments reach the top row
  EXPECT_EQ(s.image.PixelAt(29, 0), 3);
  EXPECT_EQ(s.image.PixelAt(20, 0), 0);
}

TEST(DrawRasterTrace, FarPeaksAndHugeMarkersReachTheEdgesAndEnd) {
  Scene s({1, 2, 3}, {5, 1e300, 5});  // the peak maps 2^62 rows above the plot
  s.Raster();
  RasterImage expected = Blank();
  DrawRasterLine(expected, 10, 50, 20, -kFarCoordinate, 3);
  DrawRasterLine(expected, 20, -kFarCoordinate, 30, 50, 3);
  EXPECT_EQ(PixelBytes(s.image), PixelBytes(expected));
  EXPECT_EQ(s.image.PixelAt(10, 0), 3);  // 2^62 rows for 10 columns: straight up
  Scene t({5}, {5});
  t.YWave().mode = 3;
  t.YWave().msize = INT32_MAX;
  t.Raster();
  EXPECT_EQ(t.CountPixels(3), 199);  // the whole row 50 and column 50
}

// Markers skip what earlier markers of their trace set: the pixels are
// still those of every marker's whole lines, for every size and shape,
// with markers overlapping, meeting, repeating and crossing the edges.
TEST(DrawRasterTrace, MarkersSetThePixelsOfTheirWholeLines) {
  std::mt19937 rng(7);
  std::uniform_int_distribution<int> coordinate(-20, 120);  // tenths of a unit
  std::vector<double> xs = {0, 10, 10, 5, 5, 5.1, 5.3};
  std::vector<double> ys = {0, 10, 0, 5, 5, 5, 5};
  for (int k = 0; k < 300; ++k) {
    xs.push_back(coordinate(rng) / 10.0);
    ys.push_back(coordinate(rng) / 10.0);
  }
  for (const int32_t size : {0, 1, 3, 7, 40, -5, 100000}) {
    for (const int32_t marker : {0, 10}) {
      Scene s(xs, ys);
      s.YWave().mode = 3;
      s.YWave().marker = marker;
      s.YWave().msize = size;
      s.Raster();
      RasterImage expected = Blank();
      for (size_t k = 0; k < xs.size(); ++k) {
        if (!PointInside(s.mapping, xs[k], ys[k])) continue;
        const int64_t px = MapX(s.mapping, xs[k]);
        const int64_t py = MapY(s.mapping, ys[k]);
        if (marker == 0) DrawRasterLine(expected, px - size, py, px + size, py, 3);
        DrawRasterLine(expected, px, py - size, px, py + size, 3);
      }
      ASSERT_EQ(PixelBytes(s.image), PixelBytes(expected)) << size << " " << marker;
    }
  }
}

TEST(DrawRasterTrace, APointOutsideInXBreaksTheLine) {
  Scene s({1, 20, 3}, {5, 5, 5});
  s.Raster();
  EXPECT_EQ(s.CountPixels(3), 0);
}

TEST(DrawRasterTrace, NaNBreaksTheLine) {
  Scene s({1, 2, 3, 4}, {5, std::nan(""), 5, 5});
  s.Raster();
  EXPECT_EQ(s.CountPixels(3), 11);  // only (3, 5) - (4, 5)
  EXPECT_EQ(s.image.PixelAt(30, 50), 3);
  EXPECT_EQ(s.image.PixelAt(20, 50), 0);
}

TEST(DrawRasterTrace, TracesSharingAYWaveShareItsColourAndHighWavesUseTheLastEntry) {
  Scene s({1, 2}, {1, 2});
  for (int i = 2; i < 256; ++i) AddWave(s.doc, {1, 2});
  s.doc.Waves[254].rgb = 0x00FF00;
  s.doc.Waves[255].rgb = 0x0000FF;
  s.doc.Waves[7].rgb = 0xFF0000;
  SetScreenMapping(s.mapping, s.doc);
  DrawRasterTrace(s.image, s.doc, s.mapping, 7, 0);
  DrawRasterTrace(s.image, s.doc, s.mapping, 7, 1);
  EXPECT_EQ(s.image.PaletteEntry(9), 0xFF0000u);
  DrawRasterTrace(s.image, s.doc, s.mapping, 254, 0);
  EXPECT_EQ(s.image.PaletteEntry(255), 0x00FF00u);
  DrawRasterTrace(s.image, s.doc, s.mapping, 255, 0);
  EXPECT_EQ(s.image.PaletteEntry(255), 0x0000FFu);
  EXPECT_EQ(s.image.PixelAt(10, 90), 255);
}

TEST(DrawRasterTrace, MissingWavesAndEmptyRangesDrawNoPoint) {
  Scene s({1, 2}, {1, 2});
  s.YWave().rgb = 0xFF;
  SetScreenMapping(s.mapping, s.doc);
  for (auto [y, x] : {std::pair{-1, s.x}, {s.y, -1}, {2, s.x}, {s.y, 300}}) {
    DrawRasterTrace(s.image, s.doc, s.mapping, y, x);
  }
  EXPECT_EQ(s.image.PaletteEntry(3), 0u);  // no palette write either
  EXPECT_EQ(s.CountPixels(0), 10000);
  for (const document::TRealRect& range : {document::TRealRect{5, 10, 5, 0}, {0, 3, 10, 3}}) {
    s.doc.AxisRange = range;
    s.Raster();
    EXPECT_EQ(s.CountPixels(0), 10000);
  }
  EXPECT_EQ(s.image.PaletteEntry(3), 0xFFu);  // the colour is still set
}

TEST(DrawRasterTrace, AWaveLongerThanTheStoreDrawsOnlyStoredPoints) {
  Scene s({1, 2, 3}, {5, 5, 5});
  s.YWave().count = 1 << 20;
  s.doc.Waves[s.x].count = 1 << 20;
  s.YWave().mode = 3;
  s.Raster();
  EXPECT_EQ(s.CountPixels(3), 3);
}

// Skipping points outside the x range by bisection must give the pixels of
// the plain walk, which visits every point.
void PlainRasterLines(RasterImage& image, const GraphDocument& doc, const PlotMapping& m, int32_t y,
                      int32_t x) {
  bool pen = false;
  int64_t px0 = 0;
  int64_t py0 = 0;
  for (int32_t k = 0; k < doc.Waves[y].count; ++k) {
    const double xv = document::GetValue(doc.Values, doc.Waves[x].first + k);
    const double yv = document::GetValue(doc.Values, doc.Waves[y].first + k);
    if (!(m.ClipLeft <= xv && xv <= m.ClipRight) || std::isnan(yv)) {
      pen = false;
      continue;
    }
    if (pen) DrawRasterLine(image, px0, py0, MapX(m, xv), MapY(m, yv), PaletteIndexForWave(y));
    px0 = MapX(m, xv);
    py0 = MapY(m, yv);
    pen = true;
  }
}

TEST(DrawRasterTrace, ZoomedDrawingMatchesThePlainWalk) {
  std::mt19937 rng(3);
  std::uniform_real_distribution<double> noise(-1, 1);
  std::vector<double> rising(5000);
  std::vector<double> ys(5000);
  for (int k = 0; k < 5000; ++k) {
    rising[k] = k * 0.01;
    ys[k] = 5 + 4 * noise(rng) + (k % 500 == 0 ? 1e6 : 0);
  }
  std::vector<double> falling(rising.rbegin(), rising.rend());
  std::vector<double> wobbly = rising;
  for (int k = 0; k < 5000; k += 7) wobbly[k] -= 0.5;
  std::vector<double> with_nan = rising;
  with_nan[2300] = std::nan("");
  for (const auto* xs : {&rising, &falling, &wobbly, &with_nan}) {
    for (const document::TRealRect& range : {document::TRealRect{20, 9, 21, 1},
                                             {0, 10, 50, 0},
                                             {-5, 10, 0.5, 0},
                                             {49.5, 9, 70, 0},
                                             {60, 10, 70, 0}}) {
      Scene s(*xs, ys);
      s.doc.AxisRange = range;
      s.Raster();
      RasterImage expected = Blank();
      PlainRasterLines(expected, s.doc, s.mapping, s.y, s.x);
      ASSERT_EQ(PixelBytes(s.image), PixelBytes(expected)) << range.Left << " " << (*xs)[1];
    }
  }
}

TEST(DrawVectorTrace, DefaultsGiveABlackLineOfWidth50) {
  Scene s({1, 2, 3}, {1, 2, 1});
  s.doc.Settings.MetafileWidth = 400;  // factors 2 and 1
  s.doc.Settings.MetafileHeight = 100;
  const std::vector<VectorOp> ops = s.Vector();
  const std::vector<VectorOp> expected = {{VectorOp::PenColor, 0},
                                          {VectorOp::PenWidth, 50},
                                          {VectorOp::MoveTo, 20, 90},
                                          {VectorOp::LineTo, 40, 80},
                                          {VectorOp::LineTo, 60, 90}};
  EXPECT_EQ(ops, expected);
}

TEST(DrawVectorTrace, PensFollowColourLineSizeAndMarkerThickness) {
  Scene s({1}, {1});
  s.YWave().rgb = 0xFF8000;
  s.YWave().lsize = 0.25;    // 12.5 -> 12
  s.YWave().mrkThick = 0.3;  // 15
  s.YWave().mode = 4;
  const std::vector<VectorOp> ops = s.Vector();
  ASSERT_GE(ops.size(), 4u);
  EXPECT_EQ(ops[0], (VectorOp{VectorOp::PenColor, 0x0080FF}));
  EXPECT_EQ(ops[1], (VectorOp{VectorOp::PenWidth, 12}));
  EXPECT_EQ(ops[3], (VectorOp{VectorOp::PenColor, 0x0080FF}));
  EXPECT_EQ(ops[4], (VectorOp{VectorOp::PenWidth, 15}));
  s.doc.Settings.ColorOn = false;
  EXPECT_EQ(s.Vector()[0], (VectorOp{VectorOp::PenColor, 0}));
}

TEST(DrawVectorTrace, MarkerHalfSizeScalesByTheMeanFactor) {
  struct Case {
    int32_t width, height, msize;
    int64_t half;
  };
  // Client area 200 x 100; factors 50/40, 1/2 and 1/4.
  for (const Case& c : {Case{10000, 4000, 3, 135}, Case{200, 200, 1, 2}, Case{200, 400, 1, 2}}) {
    Scene s({1}, {9});
    s.doc.Settings.MetafileWidth = c.width;
    s.doc.Settings.MetafileHeight = c.height;
    s.YWave().mode = 3;
    s.YWave().msize = c.msize;
    const std::vector<VectorOp> ops = s.Vector();
    ASSERT_EQ(ops.size(), 6u);
    EXPECT_EQ(ops[3].a - ops[2].a, 2 * c.half) << c.width;
    EXPECT_EQ(ops[5].b - ops[4].b, 2 * c.half) << c.width;
  }
}

TEST(DrawVectorTrace, APointOutsideInEitherAxisBreaksTheLine) {
  Scene s({1, 2, 3}, {5, 50, 5});
  for (const VectorOp& op : s.Vector()) EXPECT_NE(op.kind, VectorOp::LineTo);
  Scene t({1, 2, 3, 4}, {5, 5, 50, 5});
  int lines = 0;
  for (const VectorOp& op : t.Vector()) lines += op.kind == VectorOp::LineTo;
  EXPECT_EQ(lines, 1);
}

TEST(DrawVectorTrace, MissingWavesAndEmptyRangesRecordNoStroke) {
  Scene s({1, 2}, {1, 2});
  RecordingVectorCanvas canvas;
  SetVectorMapping(s.mapping, s.doc);
  DrawVectorTrace(canvas, s.doc, s.mapping, -1, s.x);
  EXPECT_TRUE(canvas.ops.empty());
  s.doc.AxisRange = {5, 10, 5, 0};
  for (const VectorOp& op : s.Vector()) {
    EXPECT_TRUE(op.kind == VectorOp::PenColor || op.kind == VectorOp::PenWidth);
  }
}

}  // namespace
}  // namespace korvelin::render
