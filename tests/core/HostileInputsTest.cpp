// Hostile files and settings taken through the whole road a file travels in
// the window: the load (with the second reading of saved files), the
// layout, the screen plot and the vector plot on a recording. Each case
// states what the user sees: whether the file is taken, what the tables
// hold, whether a trace shows, and which axes carry numbers. Units test
// these inputs piece by piece; here they must also end cleanly together.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "Garbage.h"
#include "RecordingCanvas.h"
#include "TestWaves.h"
#include "document/AxisHistory.h"
#include "document/SavedWaves.h"
#include "render/PlotLayout.h"
#include "render/ScreenPlot.h"
#include "render/VectorPlot.h"
#include "render/VectorRecording.h"

namespace korvelin::render {
namespace {

using document::GraphDocument;
using document::LoadStatus;
using document::PixelRect;
using document::PixelSize;
using korvelin::testing::Garbage;
using korvelin::testing::Lines;
using testing::RecordingPictureCanvas;
using testing::RecordingVectorCanvas;
using testing::VectorOp;

// The fixed metrics of the window's 16-pixel font (8 pixels a character,
// 19 high), scaled with the font: a 2,000-pixel font gives characters 1,000
// wide and texts 2,375 high, and the vector plot's page font likewise.
class ScaledMeasurer : public TextMeasurer {
 public:
  void SetFont(const FontSpec& font) override { pixels_ = font.pixel_height; }
  TextSize Measure(std::string_view text) override {
    const int64_t width = static_cast<int64_t>(text.size()) * ((int64_t{pixels_} + 1) / 2);
    return {static_cast<int>(std::min<int64_t>(width, INT32_MAX)),
            static_cast<int>(int64_t{pixels_} * 19 / 16)};
  }

 private:
  int pixels_ = 16;
};

// A 672 x 496 client area, whose default layout puts the plot at
// (60, 14, 644, 464): margins 60, 14, 28 and 32 around a 584 x 450 plot.
constexpr PixelSize kClient{672, 496};

struct Window {
  std::unique_ptr<GraphDocument> doc = std::make_unique<GraphDocument>();
  ScaledMeasurer label;
  FontSpec font;
  RasterImage raster;
  RecordingPictureCanvas picture{kClient.Width, kClient.Height};
  PlotMapping mapping;
  document::SavedFileReport report;
  document::LoadResult loaded;
  std::vector<VectorOp> page;

  Window() { document::InitValueStore(doc->Values); }

  void Load(const std::string& text) { loaded = document::LoadGraphText(*doc, text, report); }

  // The window's layout step and redraw, then the vector plot of Print.
  void Show() {
    doc->ClientSize = kClient;
    label.SetFont(font);
    TextSize reference{};
    if (doc->Settings.ScaleOn) reference = label.Measure(kReferenceText);
    doc->PlotRect = ComputePlotRect(kClient, reference, doc->Settings);
    NewRasterImage(raster, doc->PlotRect.Right - doc->PlotRect.Left,
                   doc->PlotRect.Bottom - doc->PlotRect.Top);
    SetPaletteEntry(raster, 0, 0xFFFFFF);
    SetPaletteEntry(raster, 1, 0x000000);
    ScreenPlotTarget target{raster, picture, label, mapping, font, '.'};
    DrawScreenPlot(*doc, target);
    RecordingVectorCanvas canvas;
    RecordVectorPlot(*doc, label, font, '.').Play(canvas);
    page = canvas.ops;
  }

  // Surface pixels in a trace's palette entry (2 to 254; 255 are the ticks).
  int64_t TracePixels() const {
    const uint8_t* p = raster.Pixels();
    return std::count_if(p, p + int64_t{raster.Width()} * raster.Height(),
                         [](uint8_t v) { return v >= 2 && v <= 254; });
  }
  // x numbers stand DistanceX below the plot; the others are y numbers.
  int XNumbers() const {
    const int64_t row = std::clamp<int64_t>(int64_t{doc->PlotRect.Bottom} + doc->Settings.DistanceX,
                                            INT32_MIN, INT32_MAX);
    return static_cast<int>(std::count_if(picture.texts.begin(), picture.texts.end(),
                                          [&](const auto& t) { return t.y == row; }));
  }
  int YNumbers() const { return static_cast<int>(picture.texts.size()) - XNumbers(); }
  // The strokes of the traces on the page: the lines drawn less the
  // frame's four and one per tick, each of which has its number.
  int64_t PageTraceStrokes() const {
    const auto count = [&](VectorOp::Kind kind) {
      return std::count_if(page.begin(), page.end(),
                           [&](const VectorOp& op) { return op.kind == kind; });
    };
    return count(VectorOp::LineTo) - 4 - count(VectorOp::Text);
  }
};

// A file whose data block has `columns` waves and `rows` rows of small numbers.
std::string Columns(int columns, int rows, const std::string& commands) {
  std::string waves = "WAVES";
  for (int c = 0; c < columns; ++c) waves += " w" + std::to_string(c);
  std::vector<std::string> lines{"IGOR", waves, "BEGIN"};
  for (int r = 0; r < rows; ++r) {
    std::string row;
    for (int c = 0; c < columns; ++c) row += std::to_string(r + c % 7) + " ";
    lines.push_back(row);
  }
  lines.push_back("END");
  return Lines(lines) + commands;
}

const std::string kTwoPoints =
    Lines({"IGOR", "WAVES x, y", "BEGIN", "1 2", "9 8", "END", "X Display y vs x"});

// What a file gives: how the load ends, the tables, whether the second
// reading made the document, whether a trace shows on the screen and the
// page, and which screen axes carry numbers.
struct FileCase {
  const char* name;
  std::function<std::string()> text;
  LoadStatus status;
  int32_t waves;
  int32_t traces;
  bool fallback;
  bool trace_shows;
  bool x_numbers;
  bool y_numbers;
};

void PrintTo(const FileCase& c, std::ostream* os) { *os << c.name; }

class HostileFile : public ::testing::TestWithParam<FileCase> {};

TEST_P(HostileFile, EndsWithThisOutcome) {
  const FileCase& c = GetParam();
  Window w;
  w.Load(c.text());
  EXPECT_EQ(w.loaded.status, c.status) << w.loaded.reason;
  EXPECT_EQ(std::tuple(w.doc->WaveCount, w.doc->TraceCount, w.report.fallback),
            std::tuple(c.waves, c.traces, c.fallback));
  w.Show();
  EXPECT_EQ(w.picture.calls.back(), "Show");
  // On screen and page: trace shown, trace drawn, x numbers, y numbers.
  EXPECT_EQ(
      std::tuple(w.TracePixels() > 0, w.PageTraceStrokes() > 0, w.XNumbers() > 0, w.YNumbers() > 0),
      std::tuple(c.trace_shows, c.trace_shows, c.x_numbers, c.y_numbers));
  // Sixteen undos after a zoom give back the range of the load.
  const document::TRealRect range = w.doc->AxisRange;
  document::ZoomAxis(*w.doc, 1, 2, 3, 1);
  for (int i = 0; i < document::kHistorySlots; ++i) document::UndoAxis(*w.doc);
  EXPECT_TRUE(w.doc->AxisRange == range || std::isnan(range.Left));
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Table, HostileFile,
    ::testing::Values(
        // Nothing or no IGOR line: refused, the empty window keeps its 0..10 scale.
        FileCase{"Empty", [] { return std::string(); }, LoadStatus::NotPattern, 0, 0, false, false, true, true},
        FileCase{"OnlyIgor", [] { return std::string("IGOR"); }, LoadStatus::Loaded, 0, 0, false, false, true, true},
        FileCase{"BinaryGarbage", [] { return Garbage(100000, 7); }, LoadStatus::NotPattern, 0, 0, false, false, true, true},
        // Taken: garbage lines are no keywords and no data outside a block.
        FileCase{"GarbageAfterIgor", [] { return "IGOR\r" + Garbage(100000, 7); }, LoadStatus::Loaded, 0, 0, false, false, true, true},
        FileCase{"MillionCarriageReturnsAfterIgor", [] { return "IGOR" + std::string(1000000, '\r'); }, LoadStatus::Loaded, 0, 0, false, false, true, true},
        FileCase{"MillionCarriageReturnsFirst", [] { return std::string(1000000, '\r') + "IGOR"; }, LoadStatus::NotPattern, 0, 0, false, false, true, true},
        // 300 names on one line: the table's 256 are declared; no graph
        // command, so the second reading draws the 255 columns beside the
        // x scale made for them.
        FileCase{"ThreeHundredWaves", [] { return Columns(300, 3, ""); }, LoadStatus::Loaded, 256, 255, true, true, true, true},
        FileCase{"ThreeHundredTraces", [] { std::string commands; for (int t = 0; t < 300; ++t) commands += "X AppendToGraph w1 vs w0\r\n"; return Columns(2, 3, commands); }, LoadStatus::Loaded, 2, 256, false, true, true, true},
        FileCase{"TwentyColumns", [] { std::string display = "X Display w1"; for (int c = 2; c < 20; ++c) display += ", w" + std::to_string(c); return Columns(20, 4, display + " vs w0\r\n"); }, LoadStatus::Loaded, 20, 19, false, true, true, true},
        // Axis commands: an x axis that is empty, wider than the doubles or
        // too narrow for the pixels keeps the frame and the y scale; no point
        // can be placed on it. A reversed one is drawn running the other way.
        FileCase{"SetAxisEqual", [] { return kTwoPoints + "X SetAxis bottom 5, 5\r\n"; }, LoadStatus::Loaded, 2, 1, false, false, false, true},
        FileCase{"SetAxisReversed", [] { return kTwoPoints + "X SetAxis bottom 10, 0\r\n"; }, LoadStatus::Loaded, 2, 1, false, true, true, true},
        FileCase{"SetAxisHuge", [] { return kTwoPoints + "X SetAxis bottom -1e308, 1e308\r\n"; }, LoadStatus::Loaded, 2, 1, false, false, false, true},
        FileCase{"SetAxisTiny", [] { return kTwoPoints + "X SetAxis bottom 0, 1e-308\r\n"; }, LoadStatus::Loaded, 2, 1, false, false, false, true},
        // Values at the ends of the doubles, shifted by 1e308 more: the sums
        // past the doubles are infinite and left out, the rest is drawn on
        // a scale of 2E307 steps.
        FileCase{"ExtremeValuesAndOffsets", [] { return Lines({"IGOR", "WAVES x, y", "BEGIN", "-1e308 -1e308", "-1e308 0", "0 1e308", "1e308 1e308", "END", "X Display y vs x", "X ModifyGraph offset(y)={1e308,1e308}, mode=4", "X SetAxis bottom -1, 1e308", "X SetAxis left -1, 1e308"}); }, LoadStatus::Loaded, 2, 1, false, true, true, true},
        // A trace of waves the file never declares draws nothing.
        FileCase{"TraceOfUndeclaredWaves", [] { return Lines({"IGOR", "X Display nosuch vs none", "X AppendToGraph a"}); }, LoadStatus::Loaded, 0, 2, false, false, true, true},
        // A 3-D wave is not drawn, so the plain reading stays, with the
        // names it takes from the line ("/N=(2", "2", "2)", "cube"): the
        // window shows its empty plot.
        FileCase{"SavedThreeDimensionalWave", [] { return Lines({"IGOR", "WAVES/N=(2,2,2) cube", "BEGIN", "1 2", "3 4", "", "5 6", "7 8", "END"}); }, LoadStatus::Loaded, 4, 0, false, false, true, true},
        // 1,500 columns are drawn as the sums of the 3 rows against x.
        FileCase{"SavedImageOf1500Columns", [] { std::string row; for (int c = 0; c < 1500; ++c) row += std::to_string(c % 10) + " "; return Lines({"IGOR", "WAVES/N=(3,1500) image", "BEGIN", row, row, row, "END", "X SetScale/P x 0,4,\"\", image"}); }, LoadStatus::Loaded, 2, 1, true, true, true, true}),
    [](const ::testing::TestParamInfo<FileCase>& info) { return std::string(info.param.name); });
// clang-format on

// Settings the dialog takes without a question, on the two-point file.
struct SettingCase {
  const char* name;
  std::function<void(Window&)> set;
  PixelRect plot;
  bool trace_shows;
  bool page_drawn;
};

void PrintTo(const SettingCase& c, std::ostream* os) { *os << c.name; }

void SetTicksAndDistances(Window& w, int32_t tick_x, int32_t tick_y, int32_t distance_x,
                          int32_t distance_y) {
  document::DisplaySettings& s = w.doc->Settings;
  std::tie(s.TickX, s.TickY, s.DistanceX, s.DistanceY) =
      std::tuple(tick_x, tick_y, distance_x, distance_y);
}

class HostileSetting : public ::testing::TestWithParam<SettingCase> {};

TEST_P(HostileSetting, EndsWithThisLayout) {
  const SettingCase& c = GetParam();
  Window w;
  w.Load(kTwoPoints + "X SetAxis bottom 0, 10\r\nX SetAxis left 0, 10\r\n");
  c.set(w);
  w.Show();
  EXPECT_EQ(w.doc->PlotRect, c.plot);
  EXPECT_EQ(w.picture.calls.back(), "Show");
  EXPECT_EQ(w.TracePixels() > 0, c.trace_shows);
  EXPECT_EQ(!w.page.empty(), c.page_drawn);
  // The commands record a page only when every container can hold it.
  const auto& s = w.doc->Settings;
  if (!c.page_drawn) {
    EXPECT_FALSE(VectorPageStatus(s.MetafileWidth, s.MetafileHeight).ok());
  }
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Table, HostileSetting,
    ::testing::Values(
        SettingCase{"Defaults", [](Window&) {}, {60, 14, 644, 464}, true, true},
        // The plot keeps its smallest size and lies past the window's corner.
        SettingCase{"MarginsLargerThanTheWindow", [](Window& w) { w.doc->Settings.MarginOn = true; w.doc->Settings.Margin = {5000, 4000, 3000, 2000}; }, {5000, 4000, 5064, 4064}, true, true},
        // Ticks point out of the plot, numbers move in; a negative distance
        // below the plot lowers the bottom margin, 28 - 100 = -72 pixels.
        SettingCase{"NegativeTicksAndDistances", [](Window& w) { SetTicksAndDistances(w, -40, -40, -100, -100); }, {-44, 14, 644, 568}, true, true},
        // Numbers placed past the 32-bit range are held at its ends.
        SettingCase{"ExtremeTicksAndDistances", [](Window& w) { w.doc->Settings.MarginOn = true; w.doc->Settings.Margin = {0, 0, 0, 0}; SetTicksAndDistances(w, INT32_MIN, INT32_MAX, INT32_MAX, INT32_MAX); }, {0, 0, 672, 496}, true, true},
        SettingCase{"MetafileOfZeroWidth", [](Window& w) { w.doc->Settings.MetafileWidth = 0; }, {60, 14, 644, 464}, true, false},
        SettingCase{"NegativeMetafile", [](Window& w) { w.doc->Settings.MetafileWidth = -29700; w.doc->Settings.MetafileHeight = -1; }, {60, 14, 644, 464}, true, false},
        // A 2,000-pixel font: "-000000" is 7,000 x 2,375 pixels, so the
        // margins leave the smallest plot, 7000 + 4 from the left.
        SettingCase{"FontOf2000Pixels", [](Window& w) { w.font.pixel_height = 2000; }, {7004, 1781, 7068, 1845}, true, true}),
    [](const ::testing::TestParamInfo<SettingCase>& info) { return std::string(info.param.name); });
// clang-format on

// With a 2,000-pixel font each axis has room for one number, its 0, on
// the screen, and the page font is the window font scaled by the page.
TEST(HostileSetting, HugeFontLeavesOneNumberPerAxis) {
  Window w;
  w.Load(kTwoPoints);
  w.font.pixel_height = 2000;
  w.Show();
  w.label.SetFont(w.font);
  EXPECT_EQ(w.label.Measure(kReferenceText), (TextSize{7000, 2375}));
  EXPECT_EQ(w.XNumbers(), 1);
  EXPECT_EQ(w.YNumbers(), 1);
  const auto font = std::find_if(w.page.begin(), w.page.end(),
                                 [](const VectorOp& op) { return op.kind == VectorOp::Font; });
  ASSERT_NE(font, w.page.end());
  // 1500 points times the mean page factor, (29700 / 672 + 21000 / 496) / 2
  // = 43.27, are 64,901 points: a character height of 86,535 page units.
  EXPECT_EQ(font->a, 86535);
}

}  // namespace
}  // namespace korvelin::render
