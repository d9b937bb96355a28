#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "RecordingCanvas.h"
#include "render/VectorPlot.h"

namespace korvelin::render {
namespace {

using document::GraphDocument;
using document::TRealRect;
using testing::RecordingVectorCanvas;
using testing::VectorOp;

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// Measures like a real face: characters half the font's height wide, lines
// 19/16 of it high. The window's 16-pixel font gives "-000000" 56 x 19, the
// metrics of the screen plot's worked example; the 800-pixel font of the
// page gives 2800 x 950.
class ScalingMeasurer : public TextMeasurer {
 public:
  void SetFont(const FontSpec& font) override { fonts.push_back(font); }
  TextSize Measure(std::string_view text) override {
    measured.emplace_back(text);
    const int height = fonts.empty() ? 16 : fonts.back().pixel_height;
    return {static_cast<int>(text.size()) * (height / 2), height * 19 / 16};
  }
  std::vector<FontSpec> fonts;
  std::vector<std::string> measured;
};

int32_t AddWave(GraphDocument& doc, const std::vector<double>& values) {
  const int32_t index = doc.WaveCount++;
  document::TWave& wave = doc.Waves[index];
  wave = document::TWave{};
  wave.first = doc.ValueCount;
  wave.stride = 1;
  wave.count = static_cast<int32_t>(values.size());
  for (double v : values) document::SetValue(doc.Values, doc.ValueCount++, v);
  return index;
}

// The page's worked example: a 594 x 420 client area on the default
// 29700 x 21000 page (both factors 50) with the plot at (60, 14, 540, 386)
// showing 0 to 10 on both axes.
struct Page {
  GraphDocument doc;
  ScalingMeasurer label;

  Page() {
    doc.ClientSize = {594, 420};
    doc.PlotRect = {60, 14, 540, 386};
    doc.AxisRange = {0, 10, 10, 0};
  }
  void AddTrace(const std::vector<double>& xs, const std::vector<double>& ys) {
    const int32_t x = AddWave(doc, xs);
    const int32_t y = AddWave(doc, ys);
    doc.Traces[doc.TraceCount++] = {x, y};
  }
  std::vector<VectorOp> Draw() {
    const VectorRecording recording = RecordVectorPlot(doc, label, FontSpec{}, '.');
    RecordingVectorCanvas canvas;
    recording.Play(canvas);
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
  if (first >= ops.size()) return {};
  return {ops.begin() + first, ops.begin() + std::min(ops.size(), first + count)};
}

std::vector<VectorOp> Texts(const std::vector<VectorOp>& ops) {
  std::vector<VectorOp> out;
  for (const VectorOp& op : ops) {
    if (op.kind == VectorOp::Text) out.push_back(op);
  }
  return out;
}

TEST(DrawVectorPlot, WorkedExampleGivesFrameTicksAndNumbersInPageUnits) {
  Page page;
  const std::vector<VectorOp> ops = page.Draw();
  EXPECT_EQ(Slice(ops, 0, 10), Frame(3000, 700, 27000, 19300));
  // A 12-point window font becomes 600 points, 800 units high.
  ASSERT_GE(ops.size(), 13u);
  EXPECT_EQ(ops[10], (VectorOp{VectorOp::Font, 800, 0, "Times New Roman"}));
  EXPECT_EQ(FontPointSize(FontSpec{"Times New Roman", static_cast<int>(ops[10].a)}), 600);
  EXPECT_EQ(ops[11], (VectorOp{VectorOp::PenColor, 0}));
  EXPECT_EQ(ops[12], (VectorOp{VectorOp::Brush, static_cast<int64_t>(BrushStyle::Cross)}));
  // Svx = 2400 and "-000000" is 2800 wide: step 2. Each x tick rises
  // TickX x 50 = 200 units from the frame's bottom, its number centred under
  // it 200 units below; the tick at AxisRange.Right lies on the right edge.
  std::vector<VectorOp> x_scale;
  for (int k = 0; k <= 5; ++k) {
    const int64_t x = 3000 + 4800 * k;
    const std::string text = std::to_string(2 * k);
    x_scale.push_back({VectorOp::MoveTo, x, 19300});
    x_scale.push_back({VectorOp::LineTo, x, 19100});
    x_scale.push_back({VectorOp::Text, x - static_cast<int64_t>(text.size()) * 200, 19500, text});
  }
  EXPECT_EQ(Slice(ops, 13, 18), x_scale);
  EXPECT_EQ(x_scale[15].a, 27000);
  // Svy = -1860 and two text heights span 1900 units: step 2. Numbers end
  // 200 units left of the frame, centred on their ticks.
  std::vector<VectorOp> y_scale;
  for (int k = 0; k <= 5; ++k) {
    const int64_t y = 19300 - 3720 * k;
    const std::string text = std::to_string(2 * k);
    y_scale.push_back({VectorOp::MoveTo, 3000, y});
    y_scale.push_back({VectorOp::LineTo, 3200, y});
    y_scale.push_back(
        {VectorOp::Text, 2800 - static_cast<int64_t>(text.size()) * 400, y - 475, text});
  }
  EXPECT_EQ(Slice(ops, 31, 18), y_scale);
  EXPECT_EQ(ops.size(), 49u);
  // The label measured in the page's font and got its own font back with an
  // empty caption.
  ASSERT_EQ(page.label.fonts.size(), 2u);
  EXPECT_EQ(page.label.fonts[0].pixel_height, 800);
  EXPECT_EQ(page.label.fonts[1], FontSpec{});
  EXPECT_EQ(page.label.measured.front(), "-000000");
  EXPECT_EQ(page.label.measured.back(), "");
}

TEST(DrawVectorPlot, UnequalFactorsScaleEachLengthAlongItsAxis) {
  Page page;
  page.doc.ClientSize = {600, 420};  // VectorScaleX 49.5, VectorScaleY 50
  page.doc.PlotRect = {61, 14, 541, 386};
  const std::vector<VectorOp> ops = page.Draw();
  // Lv = round(3019.5) = 3020, Wv = round(480 x 49.5) = 23760.
  EXPECT_EQ(Slice(ops, 0, 10), Frame(3020, 700, 26780, 19300));
  // FontScale 49.75: 12 points become round(597) = 597, 796 units high.
  EXPECT_EQ(FontPointSize(FontSpec{"", static_cast<int>(ops[10].a)}), 597);
  EXPECT_EQ(ops[10].a, 796);
  // Horizontal y ticks and the gap use the x factor: round(198) = 198.
  int y_numbers = 0;
  for (size_t i = 13; i + 2 < ops.size(); ++i) {
    const bool y_tick = ops[i].kind == VectorOp::MoveTo && ops[i + 1].kind == VectorOp::LineTo &&
                        ops[i + 1].b == ops[i].b && ops[i + 2].kind == VectorOp::Text;
    if (!y_tick) continue;
    EXPECT_EQ(ops[i], (VectorOp{VectorOp::MoveTo, 3020, ops[i].b}));
    EXPECT_EQ(ops[i + 1], (VectorOp{VectorOp::LineTo, 3218, ops[i].b}));
    const int64_t width = static_cast<int64_t>(ops[i + 2].text.size()) * 398;
    EXPECT_EQ(ops[i + 2].a, 3020 - 198 - width) << ops[i + 2].text;
    ++y_numbers;
  }
  EXPECT_EQ(y_numbers, 6);
  // Vertical x ticks use the y factor: 4 x 50 = 200.
  EXPECT_EQ(ops[13], (VectorOp{VectorOp::MoveTo, 3020, 19300}));
  EXPECT_EQ(ops[14], (VectorOp{VectorOp::LineTo, 3020, 19100}));
}

TEST(DrawVectorPlot, TracesComeLastThroughTheVectorMapping) {
  Page page;
  page.AddTrace({5, 10, 20}, {5, 0, 5});
  const std::vector<VectorOp> ops = page.Draw();
  ASSERT_GE(ops.size(), 4u);
  // (5, 5) maps to (3000 + 5 x 2400, 700 + 5 x 1860); (10, 0) to the frame's
  // bottom-right corner; (20, 5) lies outside and draws nothing.
  const std::vector<VectorOp> trace = {{VectorOp::PenColor, 0},
                                       {VectorOp::PenWidth, 50},
                                       {VectorOp::MoveTo, 15000, 10000},
                                       {VectorOp::LineTo, 27000, 19300}};
  EXPECT_EQ(Slice(ops, ops.size() - 4, 4), trace);
  EXPECT_EQ(ops[ops.size() - 5].kind, VectorOp::Text);
}

TEST(DrawVectorPlot, WithoutScaleDrawsFrameAndTracesAndLeavesTheLabelAlone) {
  Page page;
  page.doc.Settings.ScaleOn = false;
  page.AddTrace({5, 10}, {5, 0});
  const std::vector<VectorOp> ops = page.Draw();
  std::vector<VectorOp> expected = Frame(3000, 700, 27000, 19300);
  expected.insert(expected.end(), {{VectorOp::PenColor, 0},
                                   {VectorOp::PenWidth, 50},
                                   {VectorOp::MoveTo, 15000, 10000},
                                   {VectorOp::LineTo, 27000, 19300}});
  EXPECT_EQ(ops, expected);
  EXPECT_TRUE(page.label.fonts.empty());
  EXPECT_TRUE(page.label.measured.empty());
}

TEST(DrawVectorPlot, NoPageFactorsDrawNothing) {
  for (const document::PixelSize client : {document::PixelSize{0, 0}, {594, 0}, {-594, 420}}) {
    Page page;
    page.doc.ClientSize = client;
    page.AddTrace({5}, {5});
    EXPECT_TRUE(page.Draw().empty()) << client.Width << " x " << client.Height;
    EXPECT_TRUE(page.label.measured.empty());
  }
  Page page;
  page.doc.Settings.MetafileHeight = 0;
  EXPECT_TRUE(page.Draw().empty());
}

TEST(DrawVectorPlot, RecordingPlaysBackWhatWasDrawnDirectly) {
  Page page;
  page.AddTrace({1, 2, 3, 4}, {2, 9, 4, 11});
  page.doc.Waves[1].mode = 4;  // lines and plus markers
  page.doc.Waves[1].msize = 3;
  page.doc.Waves[1].rgb = 0xFF8000;
  RecordingVectorCanvas direct;
  ScalingMeasurer label;
  PlotMapping mapping;
  VectorPlotTarget target{direct, label, mapping, FontSpec{"Arial", 20, true}, ','};
  DrawVectorPlot(page.doc, target);
  const VectorRecording recording = RecordVectorPlot(page.doc, page.label, target.font, ',');
  RecordingVectorCanvas played;
  recording.Play(played);
  EXPECT_EQ(played.ops, direct.ops);
  EXPECT_EQ(recording.Size(), direct.ops.size());
  EXPECT_GT(direct.ops.size(), 60u);
}

// Ranges a pattern file's axis command can set: each axis whose span is
// zero, reversed or not finite gets no scale, and the frame is drawn.
struct RangeCase {
  const char* name;
  TRealRect range;
  bool x_scale;
  bool y_scale;
};

class DegenerateRange : public ::testing::TestWithParam<RangeCase> {};

TEST_P(DegenerateRange, DrawsTheFrameAndWhatItCanAndEnds) {
  const RangeCase& c = GetParam();
  Page page;
  page.doc.AxisRange = c.range;
  page.AddTrace({1, 2, 3}, {1, 2, 3});
  const std::vector<VectorOp> ops = page.Draw();
  EXPECT_EQ(Slice(ops, 0, 10), Frame(3000, 700, 27000, 19300));
  int x_numbers = 0;
  int y_numbers = 0;
  for (const VectorOp& op : Texts(ops)) (op.b == 19500 ? x_numbers : y_numbers)++;
  EXPECT_EQ(x_numbers > 0, c.x_scale);
  EXPECT_EQ(y_numbers > 0, c.y_scale);
  EXPECT_LT(x_numbers + y_numbers, 100);
  EXPECT_EQ(page.label.measured.back(), "");
  // The trace sets its pen, but none of its points lies in these ranges.
  EXPECT_EQ(Slice(ops, ops.size() - 2, 2),
            (std::vector<VectorOp>{{VectorOp::PenColor, 0}, {VectorOp::PenWidth, 50}}));
}

INSTANTIATE_TEST_SUITE_P(
    Table, DegenerateRange,
    ::testing::Values(RangeCase{"ZeroX", {5, 10, 5, 0}, false, true},
                      RangeCase{"ReversedX", {10, 10, 0, 0}, false, true},
                      RangeCase{"ZeroY", {0, 5, 10, 5}, true, false},
                      RangeCase{"ReversedY", {0, 0, 10, 10}, true, false},
                      RangeCase{"NaNLeft", {kNaN, 10, 10, 0}, false, true},
                      RangeCase{"InfiniteRight", {0, 10, kInf, 0}, false, true},
                      RangeCase{"SpanBeyondDoubles", {-1e308, 10, 1e308, 0}, false, true},
                      RangeCase{"AllNaN", {kNaN, kNaN, kNaN, kNaN}, false, false},
                      // Ticks 0.05 apart where doubles are 0.125 apart: the
                      // walk stops when an addition no longer moves it.
                      RangeCase{"DeepZoomFarFromZero", {1e15, 10, 1e15 + 0.25, 0}, true, true}),
    [](const ::testing::TestParamInfo<RangeCase>& info) { return info.param.name; });

TEST(FontPointSize, ConvertsAtTheReferenceScreensNinetySixDpi) {
  EXPECT_EQ(FontPointSize(FontSpec{}), 12);
  EXPECT_EQ(WithPointSize(FontSpec{}, 600).pixel_height, 800);
  EXPECT_EQ(FontPointSize(FontSpec{"", 15}), 11);             // 11.25
  EXPECT_EQ(FontPointSize(FontSpec{"", 14}), 11);             // 10.5, half away from zero
  EXPECT_EQ(WithPointSize(FontSpec{}, 11).pixel_height, 15);  // 14.67
  EXPECT_EQ(WithPointSize(FontSpec{}, 0x7FFFFFFF).pixel_height, 0x7FFFFFFF);
  EXPECT_EQ(WithPointSize(FontSpec{"Arial", 9, true, true}, 9),
            (FontSpec{"Arial", 12, true, true}));
}

TEST(VectorPageSizeError, AcceptsOnlyPagesEveryContainerHolds) {
  EXPECT_EQ(VectorPageSizeError(29700, 21000), "");
  EXPECT_EQ(VectorPageSizeError(1, kMaxVectorPageSide), "");
  EXPECT_NE(VectorPageSizeError(0, 21000), "");
  EXPECT_NE(VectorPageSizeError(29700, -1), "");
  EXPECT_NE(VectorPageSizeError(kMaxVectorPageSide + 1, 21000), "");
  EXPECT_EQ(VectorPageSizeError(0, 5),
            "The metafile size 0 x 5 is not a page: each side must be 1 to 2000000 hundredths "
            "of a millimetre");
}

}  // namespace
}  // namespace korvelin::render
