// The legend of a plot of several files: its rows in the frame's top-right
// corner, on the screen and on the page, and nothing at all for one file or
// with the legend switched off.

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "DrawnPlot.h"
#include "render/Legend.h"
#include "render/ScreenPlot.h"
#include "render/VectorPlot.h"

namespace korvelin::render {
namespace {

using document::GraphDocument;
using testing::FixedTextMeasurer;
using testing::PlacedText;
using testing::RecordingVectorCanvas;
using testing::VectorOp;

// Two files of one trace each, the second's trace blue; text is 8 pixels a
// character and 19 high.
std::unique_ptr<GraphDocument> TwoFiles() {
  auto doc = std::make_unique<GraphDocument>();
  doc->WaveCount = 3;
  doc->Waves[1].rgb = 0x123456;
  doc->Waves[2].rgb = 0x1F77B4;
  doc->Traces[0] = {0, 1};
  doc->Traces[1] = {0, 2};
  doc->TraceCount = 2;
  doc->Files = {{"/data/run/first.xy", 0, 1}, {"second.pat", 1, 1}};
  return doc;
}

TEST(PlaceLegend, WorkedExampleRowsUnderTheTopRightCorner) {
  auto doc = TwoFiles();
  FixedTextMeasurer label;
  // "second.pat" is the widest name, 80 pixels: margin 9, bar 38.
  const std::vector<LegendRow> rows = PlaceLegend(*doc, label, 600, 10);
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0].text, "first.xy");
  EXPECT_EQ(rows[0].rgb, 0x123456u);
  EXPECT_EQ(rows[0].bar_left, 600 - 9 - 80 - 9 - 38);
  EXPECT_EQ(rows[0].bar_right, 600 - 9 - 80 - 9);
  EXPECT_EQ(rows[0].text_x, 600 - 9 - 80);
  EXPECT_EQ(rows[0].text_y, 19);
  EXPECT_EQ(rows[0].bar_y, 28);
  EXPECT_EQ(rows[1].text, "second.pat");
  EXPECT_EQ(rows[1].rgb, 0x1F77B4u);
  EXPECT_EQ(rows[1].text_y, 38);
  // The widest name ends one margin inside the frame's right edge.
  EXPECT_EQ(rows[1].text_x + 80, 600 - 9);
}

TEST(PlaceLegend, NoRowsForOneFileOrWhenSwitchedOffAndBlackWithColourOff) {
  auto doc = TwoFiles();
  FixedTextMeasurer label;
  doc->Settings.ColorOn = false;
  EXPECT_EQ(PlaceLegend(*doc, label, 600, 10)[1].rgb, 0u);
  doc->View.Legend = false;
  EXPECT_TRUE(PlaceLegend(*doc, label, 600, 10).empty());
  doc->View.Legend = true;
  doc->Files.resize(1);
  EXPECT_TRUE(PlaceLegend(*doc, label, 600, 10).empty());
  EXPECT_TRUE(label.measured.size() == 2u);  // only the first call measured
}

TEST(PlaceLegend, ControlCharactersInANameAreShownQuoted) {
  auto doc = TwoFiles();
  doc->Files[1].Name = "dir/two\nlines.pat";
  FixedTextMeasurer label;
  EXPECT_EQ(PlaceLegend(*doc, label, 600, 10)[1].text, "$'two\\nlines.pat'");
}

struct Screen : testing::ScreenSurface {
  std::unique_ptr<GraphDocument> doc = TwoFiles();
  Screen() { doc->PlotRect = {60, 14, 612, 448}; }
};

TEST(DrawScreenPlot, LegendDrawnOverThePlotInsideTheFrame) {
  Screen screen;
  DrawScreenPlot(*screen.doc, screen.target);
  const std::vector<std::string>& calls = screen.picture.calls;
  // Inside the frame's right column 611 and top row 14: 611 - 9 - 80 = 522.
  const PlacedText second{522, 15 + 9 + 19, "second.pat"};
  ASSERT_FALSE(screen.picture.texts.empty());
  EXPECT_EQ(screen.picture.texts.back(), second);
  // The bars come after the copied surface, filled in the files' colours.
  const auto blit = std::find_if(calls.begin(), calls.end(),
                                 [](const std::string& c) { return c.rfind("Blit", 0) == 0; });
  const auto bar =
      std::find(calls.begin(), calls.end(), "SetBrushColor " + std::to_string(0x1F77B4));
  EXPECT_LT(blit, bar);
  EXPECT_NE(std::find(calls.begin(), calls.end(), "FillRect 475 51 513 53"), calls.end());
}

TEST(DrawScreenPlot, OneFileDrawsNoLegend) {
  Screen screen;
  screen.doc->Files.clear();
  DrawScreenPlot(*screen.doc, screen.target);
  for (const PlacedText& text : screen.picture.texts) EXPECT_NE(text.text, "first.xy");
  Screen with_legend;
  DrawScreenPlot(*with_legend.doc, with_legend.target);
  EXPECT_EQ(with_legend.picture.calls.size(), screen.picture.calls.size() + 1 + 2 * 5);
}

TEST(DrawVectorPlot, LegendAfterTheTracesInPageUnits) {
  auto doc = TwoFiles();
  doc->ClientSize = {594, 420};
  doc->PlotRect = {60, 14, 540, 386};
  testing::ScalingMeasurer label;
  RecordingVectorCanvas canvas;
  RecordVectorPlot(*doc, label, FontSpec{}, '.').Play(canvas);
  const std::vector<VectorOp>& ops = canvas.ops;
  ASSERT_GE(ops.size(), 6u);
  // The page font is 800 units high, text 950: margin 475, bar 1900, a
  // 10-character name 4000 wide; the frame's top-right corner is (27000, 700).
  const VectorOp last = ops.back();
  EXPECT_EQ(last, VectorOp(VectorOp::Text, 27000 - 475 - 4000, 700 + 475 + 950, "second.pat"));
  const int64_t bar_right = 27000 - 475 - 4000 - 475;
  const std::vector<VectorOp> bar{{VectorOp::PenColor, document::RgbToColorRef(0x1F77B4)},
                                  {VectorOp::PenWidth, 1900 / 24},
                                  {VectorOp::MoveTo, bar_right - 1900, 700 + 475 + 950 + 475},
                                  {VectorOp::LineTo, bar_right, 700 + 475 + 950 + 475},
                                  {VectorOp::PenColor, 0}};
  EXPECT_EQ(std::vector<VectorOp>(ops.end() - 6, ops.end() - 1), bar);
}

}  // namespace
}  // namespace korvelin::render
