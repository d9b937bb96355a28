// Axes that run the other way: x falling to the right, y running downwards,
// or both. A reversed range showing values v draws exactly what the forward
// range of the negated edges draws for the values -v (the same products, the
// sign moved from the scale to the value), so each case is checked against
// that mirror; the numbers, which differ in sign, are checked for their order.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "DrawnPlot.h"
#include "RecordingCanvas.h"
#include "document/AxisHistory.h"
#include "render/MouseZoom.h"
#include "render/ScreenPlot.h"
#include "render/VectorPlot.h"

namespace korvelin::render {
namespace {

using document::GraphDocument;
using document::TRealRect;
using testing::FixedTextMeasurer;
using testing::PlacedText;
using testing::RecordingPictureCanvas;
using testing::RecordingVectorCanvas;
using testing::VectorOp;

struct ReversedCase {
  const char* name;
  TRealRect range;  // as a file's axis commands give it
  bool flip_x;
  bool flip_y;
};

// A peak with a baseline, drawn with lines and plus markers.
const std::vector<double> kXs = {1, 2, 3, 4, 5, 6, 7, 8, 9};
const std::vector<double> kYs = {1, 1.5, 2, 6, 9.5, 6, 2, 1.5, 1};

std::vector<double> Signed(std::vector<double> values, double sign) {
  for (double& v : values) v *= sign;
  return values;
}

struct Plot : testing::DrawnPlot {
  Plot(const TRealRect& range, double x_sign, double y_sign)
      : DrawnPlot(range, Signed(kXs, x_sign), Signed(kYs, y_sign)) {}
};

TRealRect Mirror(const ReversedCase& c) {
  TRealRect m = c.range;
  if (c.flip_x) m.Left = -m.Left, m.Right = -m.Right;
  if (c.flip_y) m.Top = -m.Top, m.Bottom = -m.Bottom;
  return m;
}

// The numbers along one axis, sorted by value, and their positions.
std::vector<int> PositionsByValue(const std::vector<PlacedText>& texts, bool x_axis, int x_row) {
  std::vector<std::pair<double, int>> found;
  for (const PlacedText& t : texts) {
    if ((t.y == x_row) == x_axis) {
      found.emplace_back(std::strtod(t.text.c_str(), nullptr), x_axis ? t.x : t.y);
    }
  }
  std::sort(found.begin(), found.end());
  std::vector<int> positions;
  for (const auto& [value, at] : found) positions.push_back(at);
  return positions;
}

// A page's frame and scale as a sorted list of strokes with the count of its
// numbers, and its trace, which follows the last number, as drawn.
struct PageParts {
  std::vector<std::string> strokes;
  size_t texts = 0;
  std::vector<std::string> trace;
};

std::string Written(const VectorOp& op) {
  return std::to_string(op.kind) + " " + std::to_string(op.a) + " " + std::to_string(op.b);
}

PageParts Split(const std::vector<VectorOp>& ops) {
  PageParts parts;
  size_t last_text = 0;
  for (size_t i = 0; i < ops.size(); ++i) {
    if (ops[i].kind == VectorOp::Text) last_text = i, ++parts.texts;
  }
  for (size_t i = 0; i + 1 < last_text; ++i) {
    if (ops[i].kind == VectorOp::MoveTo && ops[i + 1].kind == VectorOp::LineTo) {
      parts.strokes.push_back(Written(ops[i]) + " " + Written(ops[i + 1]));
    }
  }
  std::sort(parts.strokes.begin(), parts.strokes.end());
  for (size_t i = last_text + 1; i < ops.size(); ++i) parts.trace.push_back(Written(ops[i]));
  return parts;
}

TEST(ReversedAxis, DrawsTheMirrorOfTheForwardAxis) {
  const ReversedCase cases[] = {
      {"FallingX", {10, 10, 0, 0}, true, false},
      {"DownwardY", {0, 0, 10, 10}, false, true},
      {"Both", {10, 0, 0, 10}, true, true},
      {"WavenumbersOffZero", {9.5, 12, 0.5, -1}, true, false},
      {"NegativeDownwardY", {0, -2, 10, 11}, false, true},
  };
  for (const ReversedCase& c : cases) {
    SCOPED_TRACE(c.name);
    Plot reversed(c.range, 1, 1);
    Plot forward(Mirror(c), c.flip_x ? -1 : 1, c.flip_y ? -1 : 1);
    // Traces, markers, frame and ticks: pixel for pixel, and something drawn.
    EXPECT_EQ(reversed.Pixels(), forward.Pixels());
    const std::vector<uint8_t> pixels = reversed.Pixels();
    EXPECT_GT(std::count(pixels.begin(), pixels.end(), uint8_t{3}), 300);  // y wave 1
    // The numbers run the axis's own way: larger values further left along a
    // falling x axis, further down along a y axis running downwards.
    const int x_row = 448 + reversed.doc.Settings.DistanceX;
    const std::vector<int> xs = PositionsByValue(reversed.picture.texts, true, x_row);
    const std::vector<int> ys = PositionsByValue(reversed.picture.texts, false, x_row);
    ASSERT_GE(xs.size(), 3u);
    ASSERT_GE(ys.size(), 3u);
    EXPECT_EQ(std::is_sorted(xs.rbegin(), xs.rend()), c.flip_x);
    EXPECT_EQ(std::is_sorted(ys.begin(), ys.end()), c.flip_y);
    // On the page: the same frame and tick strokes (walked in the other
    // order), as many numbers, and the same trace.
    const PageParts page = Split(reversed.Page());
    const PageParts mirror = Split(forward.Page());
    EXPECT_EQ(page.strokes, mirror.strokes);
    EXPECT_EQ(page.texts, mirror.texts);
    EXPECT_EQ(page.trace, mirror.trace);
    EXPECT_GT(page.trace.size(), 40u);
  }
}

// The mouse follows a reversed axis: the readout gives the data under the
// pointer, a band zooms into a range running the same way, undo restores.
TEST(ReversedAxis, ZoomKeepsTheDirectionAndUndoRestoresIt) {
  GraphDocument doc;
  doc.PlotRect = {0, 0, 100, 100};
  doc.AxisRange = {10, 0, 0, 10};  // x falls to the right, y runs downwards
  for (TRealRect& slot : doc.AxisHistory) slot = doc.AxisRange;
  RecordingPictureCanvas picture(100, 100);
  MouseState mouse;
  ImageMouseMove(mouse, doc, picture, 20, 30);
  EXPECT_DOUBLE_EQ(mouse.MouseDataX, 8);
  EXPECT_DOUBLE_EQ(mouse.MouseDataY, 3);
  ImageMouseDown(mouse, MouseButton::Left, 60, 70);
  ImageMouseMove(mouse, doc, picture, 20, 30);
  ASSERT_EQ(ImageMouseUp(mouse, doc, MouseButton::Left, 20, 30), MouseRelease::Zoomed);
  EXPECT_DOUBLE_EQ(doc.AxisRange.Left, 8);
  EXPECT_DOUBLE_EQ(doc.AxisRange.Right, 4);
  EXPECT_DOUBLE_EQ(doc.AxisRange.Top, 3);
  EXPECT_DOUBLE_EQ(doc.AxisRange.Bottom, 7);
  // A forward axis still orders its corners as before.
  document::UndoAxis(doc);
  EXPECT_EQ(doc.AxisRange, (TRealRect{10, 0, 0, 10}));
  doc.AxisRange = {0, 10, 10, 0};
  ASSERT_TRUE(document::ZoomAxis(doc, 8, 3, 4, 7));
  EXPECT_EQ(doc.AxisRange, (TRealRect{4, 7, 8, 3}));
}

}  // namespace
}  // namespace korvelin::render
