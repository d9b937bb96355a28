// The renderers at the edges of what they are given: documents the reader
// never makes (waves that step backwards or stand still, point past the
// stored values or past the tables), markers the plots do not draw, x values
// that are no number, mappings and scales that cannot place a point, and
// surfaces that are missing or wider than the fast path. Each must draw
// what it can, read nothing outside the store and end.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <tuple>
#include <vector>

#include "RecordingCanvas.h"
#include "render/AxisScale.h"
#include "render/MouseZoom.h"
#include "render/RasterLine.h"
#include "render/TraceDrawing.h"
#include "render/VectorPlot.h"
#include "render/VectorRecording.h"

namespace korvelin::render {
namespace {

using document::GraphDocument;
using document::TWave;
using testing::RecordingPictureCanvas;
using testing::RecordingVectorCanvas;
using testing::VectorOp;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

// A 100 x 100 plot showing 0 to 10 on both axes (10 pixels a unit) in a
// 100 x 100 client area on a 1000 x 1000 page (10 units a pixel). The
// store holds 1 .. 10 at indices 0 .. 9.
struct HandMade {
  GraphDocument doc;
  RasterImage image;
  PlotMapping mapping;

  HandMade() {
    doc.PlotRect = {0, 0, 100, 100};
    doc.AxisRange = {0, 10, 10, 0};
    doc.ClientSize = {100, 100};
    doc.Settings.MetafileWidth = 1000;
    doc.Settings.MetafileHeight = 1000;
    doc.Settings.ScaleOn = false;
    for (int i = 0; i < 10; ++i) document::SetValue(doc.Values, doc.ValueCount++, i + 1.0);
    NewRasterImage(image, 100, 100);
  }
  int32_t Wave(int32_t first, int32_t stride, int32_t count) {
    TWave& wave = doc.Waves[doc.WaveCount];
    wave = TWave{};
    wave.first = first;
    wave.stride = stride;
    wave.count = count;
    return doc.WaveCount++;
  }
  void Trace(int32_t x, int32_t y) { doc.Traces[doc.TraceCount++] = {x, y}; }
  void Raster() {
    SetScreenMapping(mapping, doc);
    for (int32_t t = 0; t < doc.TraceCount; ++t) {
      DrawRasterTrace(image, doc, mapping, doc.Traces[t].YWave, doc.Traces[t].XWave);
    }
  }
  int CountPixels(int index) const {
    return static_cast<int>(std::count(image.Pixels(), image.Pixels() + 100 * 100, index));
  }
  std::vector<VectorOp> Page() {
    RecordingVectorCanvas canvas;
    RecordVectorPlot(doc, label, FontSpec{}, '.').Play(canvas);
    return canvas.ops;
  }
  testing::FixedTextMeasurer label;
};

int64_t Count(const std::vector<VectorOp>& ops, VectorOp::Kind kind) {
  return std::count_if(ops.begin(), ops.end(), [&](const VectorOp& op) { return op.kind == kind; });
}

// Wave 0 is x = 1 .. 5. A wave of stride 0 repeats its one value, one of
// stride -1 runs backwards from its first index; waves that start outside
// the store, have no points or are not in the table draw nothing, and a
// wave claiming more points than the store holds draws those it has.
TEST(HandMadeDocument, WavesDrawOnlyTheValuesTheStoreHolds) {
  HandMade h;
  const int32_t x = h.Wave(0, 1, 5);
  const int32_t flat = h.Wave(5, 0, 5);        // 6, 6, 6, 6, 6
  const int32_t backwards = h.Wave(9, -1, 5);  // 10, 9, 8, 7, 6
  const int32_t before = h.Wave(-1, 1, 5);
  const int32_t past = h.Wave(10, 1, 5);
  const int32_t empty = h.Wave(0, 1, 0);
  const int32_t too_long = h.Wave(0, 1, 1000);
  // The too long wave against itself: 10 stored points on the diagonal; 300 is
  // beyond the wave table.
  const document::TTrace traces[] = {{x, flat},   {x, backwards},       {x, before}, {x, past},
                                     {x, empty},  {too_long, too_long}, {-1, flat},  {x, -1},
                                     {300, flat}, {x, h.doc.WaveCount}};
  for (const document::TTrace& t : traces) h.Trace(t.XWave, t.YWave);
  h.Raster();
  // The flat wave: row 40 from column 10 to 50, where the backwards wave,
  // drawn next, ends: from (1, 10) on the top row to (5, 6), 41 pixels.
  EXPECT_EQ(h.CountPixels(PaletteIndexForWave(flat)), 40);
  for (int px = 10; px < 50; ++px) EXPECT_EQ(h.image.PixelAt(px, 40), PaletteIndexForWave(flat));
  EXPECT_EQ(h.CountPixels(PaletteIndexForWave(backwards)), 41);
  EXPECT_EQ(h.image.PixelAt(10, 0), PaletteIndexForWave(backwards));
  EXPECT_EQ(h.image.PixelAt(50, 40), PaletteIndexForWave(backwards));
  for (const int32_t y : {before, past, empty}) EXPECT_EQ(h.CountPixels(PaletteIndexForWave(y)), 0);
  EXPECT_EQ(h.image.PixelAt(10, 90), PaletteIndexForWave(too_long));
  EXPECT_EQ(h.image.PixelAt(99, 0), 0);  // (10, 10) lies one past the surface

  // The page draws the same points: 5 + 5 + 10 of them, one move each.
  const std::vector<VectorOp> page = h.Page();
  EXPECT_EQ(Count(page, VectorOp::MoveTo), 4 + 3);
  EXPECT_EQ(Count(page, VectorOp::LineTo), 4 + (4 + 4 + 9));
}

TEST(HandMadeDocument, NothingIsDrawnOnAMissingSurface) {
  HandMade h;
  h.Trace(h.Wave(0, 1, 5), h.Wave(5, 1, 5));
  ReleaseRasterImage(h.image);
  h.Raster();
  const RasterImage& image = h.image;
  EXPECT_TRUE(image.IsNull());
  EXPECT_EQ(std::tuple(image.Width(), image.Height(), image.PaletteEntry(2), image.PixelAt(0, 0)),
            std::tuple(0, 0, 0u, 0));
  EXPECT_EQ(h.image.Pixels(), nullptr);
  EXPECT_EQ(image.Pixels(), nullptr);
}

// Markers: shape 10 is a bar, other shapes are not drawn; with no
// drawable range the pens are still set and nothing else.
TEST(HandMadeDocument, OnlyPlusAndBarMarkersAreDrawn) {
  HandMade h;
  const int32_t x = h.Wave(0, 1, 5);
  const int32_t y = h.Wave(0, 1, 5);
  h.Trace(x, y);
  TWave& wave = h.doc.Waves[y];
  wave.mode = 3;  // markers only
  wave.msize = 1;
  wave.marker = 10;
  std::vector<VectorOp> page = h.Page();
  // A bar is one vertical stroke of 2 x 10 units per point.
  EXPECT_EQ(Count(page, VectorOp::MoveTo), 4 + 5);
  EXPECT_EQ((std::vector<VectorOp>(page.end() - 2, page.end())),
            (std::vector<VectorOp>{{VectorOp::MoveTo, 500, 490}, {VectorOp::LineTo, 500, 510}}));
  h.Raster();
  EXPECT_EQ(h.CountPixels(PaletteIndexForWave(y)), 5 * 3);

  // Points past the range get no marker: 4 plus signs of two strokes each.
  h.doc.AxisRange = {0, 10, 4.5, 0};
  wave.marker = 0;
  page = h.Page();
  EXPECT_EQ(Count(page, VectorOp::MoveTo), 4 + 4 * 2);
  h.doc.AxisRange = {0, 10, 10, 0};

  wave.marker = 5;
  page = h.Page();
  EXPECT_EQ(Count(page, VectorOp::MoveTo), 4);
  h.doc.AxisRange = {5, 10, 5, 0};  // no x span
  wave.marker = 0;
  page = h.Page();
  EXPECT_EQ(Count(page, VectorOp::MoveTo), 4);
  EXPECT_EQ(page.back(), (VectorOp{VectorOp::PenWidth, 50}));
  NewRasterImage(h.image, 100, 100);  // a fresh surface
  h.Raster();
  EXPECT_EQ(h.CountPixels(PaletteIndexForWave(y)), 0);
}

// An x value that is no number has no place and no order: the points after
// it are still visited one by one, and the inside ones joined.
TEST(HandMadeDocument, ANaNFirstXLeavesTheRestDrawn) {
  HandMade h;
  document::SetValue(h.doc.Values, 10, kNaN);
  document::SetValue(h.doc.Values, 11, 20);
  h.doc.ValueCount = 12;
  // x: NaN, 20, 1, 2 (indices 10, 11, 0, 1 through a hand-made stride)
  const int32_t x = h.Wave(10, 1, 2);
  const int32_t y = h.Wave(4, 1, 2);
  h.Trace(x, y);
  h.Raster();
  EXPECT_EQ(h.CountPixels(PaletteIndexForWave(y)), 0);  // NaN then 20: nothing inside
  const int32_t x2 = h.Wave(10, -5, 3);                 // NaN, 6, 1
  const int32_t y2 = h.Wave(0, 1, 3);                   // 1, 2, 3
  h.Trace(x2, y2);
  h.Raster();
  // (6, 2) to (1, 3): columns 10 to 60.
  EXPECT_EQ(h.image.PixelAt(60, 80), PaletteIndexForWave(y2));
  EXPECT_EQ(h.image.PixelAt(10, 70), PaletteIndexForWave(y2));
}

constexpr PlotMapping kGood{0, 10, 0, 10, 0, 0, 0, 10, 10, -10, IntensityScale::Linear, {}};

constexpr PlotMapping With(PlotMapping m, double PlotMapping::*field, double value) {
  m.*field = value;
  return m;
}

TEST(DrawableRange, NeedsPositiveSpansAndFiniteFactors) {
  const std::tuple<const char*, PlotMapping, bool> cases[] = {
      {"Plain", kGood, true},
      {"ZeroYSpan", With(kGood, &PlotMapping::ClipTop, 0), false},
      {"InfiniteXFactor", With(kGood, &PlotMapping::ScaleX, kInf), false},
      {"NaNYFactor", With(kGood, &PlotMapping::ScaleY, kNaN), false},
      {"ZeroXFactor", With(kGood, &PlotMapping::ScaleX, 0), false},
      {"ZeroYFactor", With(kGood, &PlotMapping::ScaleY, 0), false},
      {"InfiniteXOrigin", With(kGood, &PlotMapping::DataOriginX, -kInf), false},
      {"NaNYOrigin", With(kGood, &PlotMapping::DataOriginY, kNaN), false},
  };
  for (const auto& [name, mapping, drawable] : cases) {
    EXPECT_EQ(HasDrawableRange(mapping), drawable) << name;
  }
}

// A scale needs a span, a plot and a text that all have a size.
TEST(AxisTickStep, ZeroOrMissingSizesGiveNoScale) {
  EXPECT_EQ(AxisTickStep(0, 10, 552, 56), 2);
  EXPECT_EQ(AxisTickStep(0, 10, 0, 56), 0);   // a plot of no pixels
  EXPECT_EQ(AxisTickStep(0, 10, 552, 0), 0);  // a text of no size
  EXPECT_EQ(AxisTickStep(0, 10, 0, 0), 0);    // 0 / 0
  EXPECT_EQ(AxisTickStep(0, 10, kNaN, 56), 0);
  EXPECT_EQ(AxisTickStep(0, 1e-308, 552, 56), 0);  // the step is below the doubles
}

TEST(TickWalk, EndsAtOnceWithoutAStepOrAStart) {
  double tick = 0;
  EXPECT_FALSE(TickWalk(kNaN, 10, 1, 100).Next(tick));
  EXPECT_FALSE(TickWalk(-kInf, 10, 1, 100).Next(tick));
  EXPECT_FALSE(TickWalk(0, 10, 0, 100).Next(tick));
  EXPECT_FALSE(TickWalk(0, 10, kInf, 100).Next(tick));
  // Far from zero, where doubles lie 16 apart, a step of 5 moves no value:
  // from the first multiple, rounded below 1e17 + 48, the walk cannot climb.
  EXPECT_FALSE(TickWalk(1e17 + 48, 1e17 + 160, 5, 100).Next(tick));
  // A step of 3 from a multiple at the start gives that one tick only.
  TickWalk far(1e17 + 16, 1e17 + 64, 3, 100);
  EXPECT_TRUE(far.Next(tick));
  EXPECT_EQ(tick, 1e17 + 16);
  EXPECT_FALSE(far.Next(tick));
}

// Font sizes scale as points, halves away from zero on both sides.
TEST(ScaleFontSize, RoundsHalvesAwayFromZeroBothWays) {
  EXPECT_EQ(ScaleFontSize(16, 72, 96), 12);
  EXPECT_EQ(ScaleFontSize(-16, 72, 96), -12);
  EXPECT_EQ(ScaleFontSize(-2, 1, 4), -1);  // -0.5
  EXPECT_EQ(ScaleFontSize(int64_t{1} << 40, 96, 72), 0x7FFFFFFF);
  EXPECT_EQ(ScaleFontSize(-(int64_t{1} << 40), 96, 72), -0x7FFFFFFF);
}

// Only the left button starts a drag, and a button the window does not
// know ends one without zooming or undoing.
TEST(MouseZoom, OtherButtonsNeitherDragNorZoom) {
  GraphDocument doc;
  doc.PlotRect = {0, 0, 100, 100};
  RecordingPictureCanvas picture(100, 100);
  MouseState mouse;
  ImageMouseDown(mouse, MouseButton::Right, 10, 10);
  ImageMouseDown(mouse, MouseButton::Middle, 10, 10);
  EXPECT_FALSE(mouse.Dragging);
  ImageMouseMove(mouse, doc, picture, 50, 50);
  EXPECT_TRUE(picture.calls.empty());
  ImageMouseDown(mouse, MouseButton::Left, 10, 10);
  EXPECT_EQ(ImageMouseUp(mouse, doc, MouseButton::Other, 60, 60), MouseRelease::Nothing);
  EXPECT_FALSE(mouse.Dragging);
  EXPECT_EQ(doc.AxisRange, document::kDefaultAxisRange);
}

// Off the surface every read answers the background; a line on a surface
// wider than the fast path's 16384 pixels, or a dot off the surface, is
// drawn by the clipping walk; so is one on a surface taller than that.
TEST(RasterImage, ReadsOffTheSurfaceAndWideSurfaces) {
  RasterImage image;
  ASSERT_GT(NewRasterImage(image, 16388, 3), 0);
  EXPECT_EQ(image.PaletteEntry(-1), 0u);
  EXPECT_EQ(image.PaletteEntry(256), 0u);
  DrawRasterLine(image, 0, 1, 16387, 1, 9);
  DrawRasterLine(image, 5, 7, 5, 7, 8);  // a dot below the surface
  DrawRasterLine(image, 4, 0, 4, 0, 7);  // a dot on it
  EXPECT_EQ(std::tuple(image.PixelAt(16387, 1), image.PixelAt(8000, 1), image.PixelAt(4, 0)),
            std::tuple(9, 9, 7));
  EXPECT_EQ(std::tuple(image.PixelAt(-1, 1), image.PixelAt(1, -1), image.PixelAt(16388, 1),
                       image.PixelAt(1, 3)),
            std::tuple(0, 0, 0, 0));
  RasterImage tall;
  ASSERT_GT(NewRasterImage(tall, 4, 16388), 0);
  DrawRasterLine(tall, 1, 0, 1, 16387, 9);
  EXPECT_EQ(tall.PixelAt(1, 16387), 9);
  EXPECT_EQ(tall.PixelAt(2, 16387), 0);
}

}  // namespace
}  // namespace korvelin::render
