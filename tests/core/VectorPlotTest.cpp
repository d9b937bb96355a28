#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <limits>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "RecordingCanvas.h"
#include "TestWaves.h"
#include "render/VectorPlot.h"

namespace korvelin::render {
namespace {

using testing::RecordingVectorCanvas;
using testing::ScalingMeasurer;
using testing::VectorOp;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// The worked example: a 594 x 420 client area on the default 29700 x 21000
// page (both factors 50), the plot at (60, 14, 540, 386) showing 0 to 10.
struct Page {
  document::GraphDocument doc;
  ScalingMeasurer label;

  Page() {
    doc.ClientSize = {594, 420};
    doc.PlotRect = {60, 14, 540, 386};
    doc.AxisRange = {0, 10, 10, 0};
  }
  void AddTrace(const std::vector<double>& xs, const std::vector<double>& ys) {
    const int32_t x = korvelin::testing::AddWave(doc, xs);
    doc.Traces[doc.TraceCount++] = {x, korvelin::testing::AddWave(doc, ys)};
  }
  std::vector<VectorOp> Draw() {
    RecordingVectorCanvas canvas;
    RecordVectorPlot(doc, label, FontSpec{}, '.').Play(canvas);
    return canvas.ops;
  }
};

std::vector<VectorOp> Frame(int64_t left, int64_t top, int64_t right, int64_t bottom) {
  return {{VectorOp::PenColor, 0},          {VectorOp::PenWidth, 50},
          {VectorOp::MoveTo, left, top},    {VectorOp::LineTo, right, top},
          {VectorOp::MoveTo, left, bottom}, {VectorOp::LineTo, right, bottom},
          {VectorOp::MoveTo, left, top},    {VectorOp::LineTo, left, bottom},
          {VectorOp::MoveTo, right, top},   {VectorOp::LineTo, right, bottom}};
}

std::vector<VectorOp> Slice(const std::vector<VectorOp>& ops, size_t first, size_t count) {
  first = std::min(first, ops.size());
  return {ops.begin() + first, ops.begin() + std::min(ops.size(), first + count)};
}

TEST(DrawVectorPlot, WorkedExampleInPageUnitsWithTracesLast) {
  Page page;
  page.AddTrace({5, 10, 20}, {5, 0, 5});
  const std::vector<VectorOp> ops = page.Draw();
  EXPECT_EQ(Slice(ops, 0, 10), Frame(3000, 700, 27000, 19300));
  // A 12-point window font becomes 600 points, 800 units high.
  EXPECT_EQ(Slice(ops, 10, 3), (std::vector<VectorOp>{{VectorOp::Font, 800, 0, "Times New Roman"},
                                                      {VectorOp::PenColor, 0},
                                                      {VectorOp::Brush, 2}}));
  EXPECT_EQ(FontPointSize(FontSpec{"", 800}), 600);
  // Svx = 2400 and "-000000" is 2800 wide: step 2. Each x tick rises 4 x 50
  // units, its number centred under it 200 units below the frame; the tick
  // at AxisRange.Right lies on the frame's right edge. Svy = -1860 and two
  // text heights span 1900 units: step 2; numbers end 200 units left of the
  // frame, centred on their ticks.
  std::vector<VectorOp> scale;
  std::vector<VectorOp> y_scale;
  for (int k = 0; k <= 5; ++k) {
    const std::string text = std::to_string(2 * k);
    const int64_t width = static_cast<int64_t>(text.size()) * 400;
    scale.insert(scale.end(), {{VectorOp::MoveTo, 3000 + 4800 * k, 19300},
                               {VectorOp::LineTo, 3000 + 4800 * k, 19100},
                               {VectorOp::Text, 3000 + 4800 * k - width / 2, 19500, text}});
    y_scale.insert(y_scale.end(), {{VectorOp::MoveTo, 3000, 19300 - 3720 * k},
                                   {VectorOp::LineTo, 3200, 19300 - 3720 * k},
                                   {VectorOp::Text, 2800 - width, 19300 - 3720 * k - 475, text}});
  }
  EXPECT_EQ(scale[15], (VectorOp{VectorOp::MoveTo, 27000, 19300}));
  scale.insert(scale.end(), y_scale.begin(), y_scale.end());
  EXPECT_EQ(Slice(ops, 13, 36), scale);
  // Then the trace through the vector mapping: (5, 5) to (15000, 10000) and
  // (10, 0) to the frame's corner; (20, 5) lies outside.
  EXPECT_EQ(Slice(ops, 49, 10), (std::vector<VectorOp>{{VectorOp::PenColor, 0},
                                                       {VectorOp::PenWidth, 50},
                                                       {VectorOp::MoveTo, 15000, 10000},
                                                       {VectorOp::LineTo, 27000, 19300}}));
  // The label measured in the page's font and got its own font back with an
  // empty caption.
  ASSERT_EQ(page.label.fonts.size(), 2u);
  EXPECT_EQ(page.label.fonts[0].pixel_height, 800);
  EXPECT_EQ(page.label.fonts[1], FontSpec{});
  EXPECT_EQ(page.label.measured.back(), "");
}

TEST(DrawVectorPlot, UnequalFactorsScaleEachLengthAlongItsAxis) {
  Page page;
  page.doc.ClientSize = {600, 420};  // VectorScaleX 49.5, FontScale 49.75
  page.doc.PlotRect = {61, 14, 541, 386};
  const std::vector<VectorOp> ops = page.Draw();
  // Lv = round(3019.5) = 3020, Wv = round(480 x 49.5) = 23760.
  EXPECT_EQ(Slice(ops, 0, 10), Frame(3020, 700, 26780, 19300));
  // 12 points become round(597) = 597 points, 796 units.
  EXPECT_EQ(ops[10].a, 796);
  // An x tick is 4 x 50 units; a y tick and the gap left of the frame are
  // round(4 x 49.5) = 198: the first y number "0" is 398 units wide.
  EXPECT_EQ(Slice(ops, 13, 2), (std::vector<VectorOp>{{VectorOp::MoveTo, 3020, 19300},
                                                      {VectorOp::LineTo, 3020, 19100}}));
  EXPECT_EQ(Slice(ops, 31, 3),
            (std::vector<VectorOp>{{VectorOp::MoveTo, 3020, 19300},
                                   {VectorOp::LineTo, 3218, 19300},
                                   {VectorOp::Text, 3020 - 198 - 398, 19300 - 472, "0"}}));
}

TEST(DrawVectorPlot, WithoutScaleDrawsFrameAndTracesAndLeavesTheLabelAlone) {
  Page page;
  page.doc.Settings.ScaleOn = false;
  page.AddTrace({5, 10}, {5, 0});
  std::vector<VectorOp> expected = Frame(3000, 700, 27000, 19300);
  expected.insert(expected.end(), {{VectorOp::PenColor, 0},
                                   {VectorOp::PenWidth, 50},
                                   {VectorOp::MoveTo, 15000, 10000},
                                   {VectorOp::LineTo, 27000, 19300}});
  EXPECT_EQ(page.Draw(), expected);
  EXPECT_TRUE(page.label.fonts.empty());
  EXPECT_TRUE(page.label.measured.empty());
}

// Before the first layout the client area is 0 x 0: no scale factors, so no
// drawing at all; a page side of 0 or below is the same.
TEST(DrawVectorPlot, NoPageFactorsDrawNothing) {
  for (const document::PixelSize client : {document::PixelSize{0, 0}, {594, 0}, {-594, 420}}) {
    Page page;
    page.doc.ClientSize = client;
    EXPECT_TRUE(page.Draw().empty()) << client.Width << " x " << client.Height;
    EXPECT_TRUE(page.label.measured.empty());
  }
  Page page;
  page.doc.Settings.MetafileHeight = 0;
  EXPECT_TRUE(page.Draw().empty());
}

// Ranges a pattern file's axis command can set: each axis whose span is
// zero or not finite gets no scale; the frame is drawn.
TEST(DegenerateRange, DrawsTheFrameAndWhatItCanAndEnds) {
  const std::tuple<const char*, document::TRealRect, bool, bool> cases[] = {
      // name, range, x scale, y scale
      {"ZeroX", {5, 10, 5, 0}, false, true},
      {"NaNLeft", {kNaN, 10, 10, 0}, false, true},
      {"SpanBeyondDoubles", {-1e308, 10, 1e308, 0}, false, true},
      // Ticks 0.05 apart where doubles are 0.125 apart: the walk stops when
      // an addition no longer moves it.
      {"DeepZoomFarFromZero", {1e15, 10, 1e15 + 0.25, 0}, true, true},
  };
  for (const auto& [name, range, x_scale, y_scale] : cases) {
    SCOPED_TRACE(name);
    Page page;
    page.doc.AxisRange = range;
    page.AddTrace({1, 2, 3}, {1, 2, 3});
    const std::vector<VectorOp> ops = page.Draw();
    EXPECT_EQ(Slice(ops, 0, 10), Frame(3000, 700, 27000, 19300));
    int x_numbers = 0;
    int y_numbers = 0;
    for (const VectorOp& op : ops) {
      if (op.kind == VectorOp::Text) (op.b == 19500 ? x_numbers : y_numbers)++;
    }
    EXPECT_EQ(x_numbers > 0, x_scale);
    EXPECT_EQ(y_numbers > 0, y_scale);
    EXPECT_EQ(page.label.measured.back(), "");
    // The trace sets its pen, but none of its points lies in these ranges.
    EXPECT_EQ(Slice(ops, ops.size() - 2, 2),
              (std::vector<VectorOp>{{VectorOp::PenColor, 0}, {VectorOp::PenWidth, 50}}));
  }
}

TEST(FontPointSize, ConvertsAtNinetySixPixelsToTheInchHalvesAwayFromZero) {
  EXPECT_EQ(FontPointSize(FontSpec{}), 12);
  EXPECT_EQ(FontPointSize(FontSpec{"", 14}), 11);  // 10.5
  EXPECT_EQ(WithPointSize(FontSpec{"Arial", 9, true}, 11), (FontSpec{"Arial", 15, true}));
  EXPECT_EQ(WithPointSize(FontSpec{}, 0x7FFFFFFF).pixel_height, 0x7FFFFFFF);
}

// Each side is refused on its own.
TEST(VectorPageStatus, AcceptsOnlyPagesEveryContainerHolds) {
  EXPECT_TRUE(VectorPageStatus(1, kMaxVectorPageSide).ok());
  EXPECT_TRUE(VectorPageStatus(29700, 21000).ok());
  for (const auto& [width, height] :
       std::initializer_list<std::pair<int32_t, int32_t>>{{kMaxVectorPageSide + 1, 21000},
                                                          {29700, 0},
                                                          {29700, kMaxVectorPageSide + 1},
                                                          {-29700, 21000},
                                                          {INT32_MAX, 21000}}) {
    EXPECT_FALSE(VectorPageStatus(width, height).ok()) << width << " x " << height;
  }
  EXPECT_EQ(VectorPageStatus(0, 5).reason(),
            "The metafile size 0 x 5 is not a page: each side must be 1 to 2000000 hundredths "
            "of a millimetre");
}

}  // namespace
}  // namespace korvelin::render
