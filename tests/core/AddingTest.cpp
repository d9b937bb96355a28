// Adding a file to the shown plot: traces and waves appended with their
// values, what does not fit left out whole, palette colours for traces the
// file left uncoloured, and the range grown unless the user chose the view.

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <tuple>

#include "TestWaves.h"
#include "document/Adding.h"
#include "document/AxisHistory.h"
#include "document/DocumentJson.h"
#include "document/Stacking.h"
#include "document/TablesError.h"

namespace korvelin::document {
namespace {

using korvelin::testing::Lines;
using korvelin::testing::Points;

// A pattern of `traces` y waves against one x wave of n points, y_k(i) =
// k * 100 + i + base; the first wave coloured when rgb is given.
std::string Pattern(int traces, int n, double base, int x0, const std::string& rgb = "") {
  std::string text = "IGOR\r\nWAVES/D px";
  for (int k = 0; k < traces; ++k) text.append(", py").append(std::to_string(k));
  text += "\r\nBEGIN\r\n";
  for (int i = 0; i < n; ++i) {
    text += std::to_string(x0 + i);
    for (int k = 0; k < traces; ++k) text.append(" ").append(std::to_string(k * 100 + i + base));
    text += "\r\n";
  }
  text += "END\r\nX Display";
  for (int k = 0; k < traces; ++k) text += (k ? ", py" : " py") + std::to_string(k);
  text += " vs px\r\n";
  if (!rgb.empty()) text += "X ModifyGraph rgb(py0)=" + rgb + "\r\n";
  return text;
}

class AddTest : public ::testing::Test {
 protected:
  AddTest() {
    InitValueStore(doc_->Values);
    Load(*doc_, Pattern(1, 5, 0, 0), "a.pat");
  }
  static void Load(GraphDocument& doc, const std::string& text, const std::string& name) {
    ASSERT_TRUE(LoadText(doc, text, name).result.accepted());
  }
  int32_t Add(const std::string& text, const std::string& name) {
    auto added = std::make_unique<GraphDocument>();
    added->AxisRange = doc_->AxisRange;
    added->AxisHistory = doc_->AxisHistory;
    Load(*added, text, name);
    const int32_t left_out = AppendDocument(*doc_, *added, "a.pat", name);
    EXPECT_EQ(TablesError(*doc_), "");
    return left_out;
  }
  std::unique_ptr<GraphDocument> doc_ = std::make_unique<GraphDocument>();
};

TEST_F(AddTest, AppendsTracesWithTheirValuesAndListsBothFiles) {
  EXPECT_EQ(Add(Pattern(2, 4, 0.5, 10), "b.pat"), 0);
  ASSERT_EQ(doc_->TraceCount, 3);
  ASSERT_EQ(doc_->WaveCount, 5);
  // The x wave is shared by both added traces and copied once.
  EXPECT_EQ(doc_->Traces[1].XWave, 2);
  EXPECT_EQ(doc_->Traces[2].XWave, 2);
  EXPECT_EQ(Points(*doc_, doc_->Traces[1].XWave), (std::vector<double>{10, 11, 12, 13}));
  EXPECT_EQ(Points(*doc_, doc_->Traces[2].YWave),
            (std::vector<double>{100.5, 101.5, 102.5, 103.5}));
  EXPECT_EQ(WaveName(doc_->Waves[doc_->Traces[2].YWave]), "py1");
  // The shown file's own waves are untouched.
  EXPECT_EQ(Points(*doc_, 1), (std::vector<double>{0, 1, 2, 3, 4}));
  ASSERT_EQ(doc_->Files.size(), 2u);
  EXPECT_EQ(doc_->Files[0].Name, "a.pat");
  EXPECT_EQ(doc_->Files[0].TraceCount, 1);
  EXPECT_EQ(doc_->Files[1].Name, "b.pat");
  EXPECT_EQ(doc_->Files[1].FirstTrace, 1);
  EXPECT_EQ(doc_->Files[1].TraceCount, 2);
}

TEST_F(AddTest, UncolouredTracesTakeThePaletteInTurnAndGivenColoursStay) {
  Add(Pattern(2, 3, 0, 0, "(0,0,0)"), "black.pat");
  Add(Pattern(2, 3, 0, 0), "plain.pat");
  // A file's black is its own (the shown file's too); its second, uncoloured
  // trace takes the first palette colour, the next file's traces the next two.
  std::vector<uint32_t> colours;
  for (int t = 0; t < doc_->TraceCount; ++t)
    colours.push_back(doc_->Waves[doc_->Traces[t].YWave].rgb);
  EXPECT_EQ(colours,
            (std::vector<uint32_t>{0, 0, kTracePalette[0], kTracePalette[1], kTracePalette[2]}));
}

TEST(TracePalette, TenDistinctColoursNoneNearWhiteOrBlackRoundTheTable) {
  std::set<uint32_t> colours(kTracePalette.begin(), kTracePalette.end());
  EXPECT_EQ(colours.size(), 10u);
  for (const uint32_t rgb : kTracePalette) {
    const int luma =
        (299 * int(rgb >> 16) + 587 * int(rgb >> 8 & 0xFF) + 114 * int(rgb & 0xFF)) / 1000;
    EXPECT_GT(luma, 40) << std::hex << rgb;
    EXPECT_LT(luma, 200) << std::hex << rgb;
  }
  EXPECT_EQ(PaletteColour(10), kTracePalette[0]);
  EXPECT_EQ(PaletteColour(13), kTracePalette[3]);
}

TEST_F(AddTest, RangeGrowsToTakeInTheAddedTraces) {
  // a.pat sets no range: 0..10 by 0..10 stays the start-up range.
  Add(Pattern(1, 4, 20, -5), "b.pat");
  EXPECT_EQ(doc_->AxisRange, RealRect(-5, 23, 10, 0));
  EXPECT_FALSE(ViewChosenByUser(*doc_));
  // A range already wide enough is kept.
  Add(Pattern(1, 2, 1, 1), "c.pat");
  EXPECT_EQ(doc_->AxisRange, RealRect(-5, 23, 10, 0));
}

TEST_F(AddTest, ReversedAxesGrowAtTheirOwnEnds) {
  doc_->AxisRange = RealRect(10, 0, 0, 10);
  doc_->AxisHistory = FilledHistory(doc_->AxisRange);
  Add(Pattern(1, 3, -4, 12), "b.pat");
  EXPECT_EQ(doc_->AxisRange, RealRect(14, -4, 0, 10));
}

TEST_F(AddTest, ZoomedViewIsKept) {
  ASSERT_TRUE(ZoomAxis(*doc_, 1, 3, 2, 1));
  const TRealRect zoom = doc_->AxisRange;
  ASSERT_TRUE(ViewChosenByUser(*doc_));
  Add(Pattern(1, 4, 50, 100), "b.pat");
  EXPECT_EQ(doc_->AxisRange, zoom);
  EXPECT_TRUE(ViewChosenByUser(*doc_));
}

TEST_F(AddTest, TracesPastTheTraceTableAreLeftOutWhole) {
  // 200 traces and their x wave fit beside the shown file's 2 waves (203
  // waves); of the next file's 100, its x wave and 52 traces fill the wave
  // table and 48 are left out.
  EXPECT_EQ(Add(Pattern(200, 2, 0, 0), "b.pat"), 0);
  EXPECT_EQ(Add(Pattern(100, 2, 0, 0), "c.pat"), 48);
  EXPECT_EQ(doc_->WaveCount, kMaxWaves);
  EXPECT_EQ(doc_->TraceCount, 253);
  EXPECT_EQ(doc_->Files.back().TraceCount, 52);
  // A file that brings nothing is not listed.
  EXPECT_EQ(Add(Pattern(1, 2, 0, 0), "d.pat"), 1);
  EXPECT_EQ(doc_->Files.size(), 3u);
}

TEST_F(AddTest, TraceWhoseValuesDoNotFitIsLeftOutAndLaterSmallerOnesComeIn) {
  // An x wave of 290,000 points and three y waves of 252,856, 1,048,568
  // values: beside the shown 10, the third y wave would reach 1,048,578 and
  // is left out; a short fourth trace still comes in.
  auto big = std::make_unique<GraphDocument>();
  InitValueStore(big->Values);
  std::vector<double> ramp(290000);
  for (size_t i = 0; i < ramp.size(); ++i) ramp[i] = double(i);
  const int32_t x = korvelin::testing::AddWave(*big, ramp);
  ramp.resize(252856);
  for (int k = 0; k < 3; ++k) {
    big->Traces[big->TraceCount++] = TTrace{x, korvelin::testing::AddWave(*big, ramp)};
  }
  big->Traces[big->TraceCount++] = TTrace{x, korvelin::testing::AddWave(*big, {1, 2})};
  ASSERT_EQ(TablesError(*big), "");
  EXPECT_EQ(AppendDocument(*doc_, *big, "a.pat", "big"), 1);
  EXPECT_EQ(TablesError(*doc_), "");
  EXPECT_EQ(doc_->TraceCount, 1 + 3);
  EXPECT_EQ(doc_->ValueCount, 10 + 290000 + 2 * 252856 + 2);
  EXPECT_EQ(Points(*doc_, doc_->Traces[3].YWave), (std::vector<double>{1, 2}));
  EXPECT_EQ(Points(*doc_, doc_->Traces[2].YWave, 3), (std::vector<double>{0, 1, 2}));
}

TEST(AddMessage, SaysWhatWasLeftOutOrNothing) {
  AddRecord add;
  add.load.path = "b.xy";
  add.traces_added = 2;
  EXPECT_EQ(AddMessage(add), "");
  add.traces_left_out = 3;
  EXPECT_EQ(AddMessage(add),
            "b.xy: 3 of 5 traces left out: the plot holds 256 waves, 256 traces and 1,048,576 "
            "values");
}

TEST_F(AddTest, SingleFileDumpIsUnchangedByTheColourFlag) {
  auto again = std::make_unique<GraphDocument>();
  InitValueStore(again->Values);
  Load(*again, Pattern(1, 5, 0, 0, "(65535,0,0)"), "a.pat");
  EXPECT_TRUE(again->Waves[1].rgb_given);
  EXPECT_EQ(DumpDocumentJson(*again).find("given"), std::string::npos);
  EXPECT_TRUE(again->Files.empty());
}

// The plot's files on disk, read by name as the window reads them.
class AddFilesTest : public ::testing::Test {
 protected:
  AddFilesTest() {
    InitValueStore(doc_->Values);
    Write(a_, Pattern(1, 5, 0, 0));
    Write(b_, Pattern(2, 3, 0, 0));
    EXPECT_TRUE(LoadFile(*doc_, a_).result.accepted());
    reloader_.Loaded(*doc_);
  }
  ~AddFilesTest() override {
    std::filesystem::remove(a_);
    std::filesystem::remove(b_);
  }
  static void Write(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
  }
  static std::string Temp(const char* name) {
    return std::filesystem::temp_directory_path() /
           ("korvelin-add-" + std::to_string(getpid()) + "-" + name);
  }
  std::string a_ = Temp("a.pat"), b_ = Temp("b.pat");
  std::unique_ptr<GraphDocument> doc_ = std::make_unique<GraphDocument>();
  Reloader reloader_;
  Adder adder_;
};

TEST_F(AddFilesTest, RefusedFileLeavesThePlotAsItWas) {
  const std::string before = DumpDocumentJson(*doc_);
  const AddRecord add = adder_.Add(*doc_, a_, Temp("gone.pat"));
  EXPECT_FALSE(add.load.result.accepted());
  EXPECT_EQ(DumpDocumentJson(*doc_), before);
  EXPECT_TRUE(doc_->Files.empty());
}

TEST_F(AddFilesTest, ReloadReadsEveryFileAgainAndKeepsTheStack) {
  const AddRecord add = adder_.Add(*doc_, a_, b_);
  EXPECT_EQ(add.traces_added, 2);
  StackTraces(*doc_);
  Write(b_, Pattern(2, 3, 40, 0));
  std::vector<AddRecord> adds;
  const LoadRecord load = ReloadPlot(*doc_, reloader_, adder_, a_, adds);
  EXPECT_EQ(load.result.status, LoadStatus::Loaded);
  ASSERT_EQ(adds.size(), 1u);
  EXPECT_EQ(TablesError(*doc_), "");
  ASSERT_EQ(doc_->Files.size(), 2u);
  EXPECT_EQ(doc_->TraceCount, 3);
  EXPECT_EQ(Points(*doc_, doc_->Traces[1].YWave), (std::vector<double>{40, 41, 42}));
  // Colours start again from the palette's first; the stack is back.
  EXPECT_EQ(doc_->Waves[doc_->Traces[1].YWave].rgb, kTracePalette[0]);
  EXPECT_TRUE(Stacked(*doc_));
  EXPECT_GT(doc_->Waves[doc_->Traces[2].YWave].offsety, 0);
  UnstackTraces(*doc_);
  EXPECT_EQ(doc_->Waves[doc_->Traces[2].YWave].offsety, 0);
}

// Styles set in the dialog on an added file's waves stay through a reload,
// on that file's waves only: the shown file's wave of the same name keeps
// its own, and the stack's offsets are not taken for the user's.
TEST_F(AddFilesTest, ReloadKeepsTheStylesSetOnAnAddedFilesWaves) {
  adder_.Add(*doc_, a_, b_);
  ASSERT_EQ(WaveName(doc_->Waves[3]), "py0");
  doc_->Waves[3].lsize = 3;
  doc_->Waves[3].rgb = 0x123456;
  StackTraces(*doc_);
  Write(b_, Pattern(2, 4, 10, 0));
  std::vector<AddRecord> adds;
  ASSERT_EQ(ReloadPlot(*doc_, reloader_, adder_, a_, adds).result.status, LoadStatus::Loaded);
  EXPECT_EQ(Points(*doc_, 3), (std::vector<double>{10, 11, 12, 13}));
  EXPECT_EQ(std::tuple(doc_->Waves[3].lsize, doc_->Waves[3].rgb), std::tuple(3.0, 0x123456u));
  EXPECT_EQ(doc_->Waves[1].lsize, 1.0);
  EXPECT_EQ(doc_->Waves[4].rgb, kTracePalette[1]);
  UnstackTraces(*doc_);
  EXPECT_EQ(doc_->Waves[3].offsety, 0);
}

TEST_F(AddFilesTest, ReloadOfAFolderNeighbourShowsItAlone) {
  adder_.Add(*doc_, a_, b_);
  ASSERT_EQ(doc_->Files.size(), 2u);
  EXPECT_EQ(reloader_.Reload(*doc_, b_).result.status, LoadStatus::Loaded);
  EXPECT_TRUE(doc_->Files.empty());
  EXPECT_EQ(doc_->TraceCount, 2);
}

}  // namespace
}  // namespace korvelin::document
