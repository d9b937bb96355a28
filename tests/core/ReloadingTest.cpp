// Reading the shown file again: the view the user chose and the styles set
// in the dialog stay, everything else is the new file's, and a file that is
// gone, emptied or refused leaves the document byte for byte as it was.

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <set>
#include <string>

#include "document/AxisHistory.h"
#include "document/DocumentJson.h"
#include "document/Reloading.h"

namespace korvelin::document {
namespace {

// A pattern of two waves with n points, on axes 0..right by 0..top.
std::string Pattern(int n, int right, int top, const char* rgb = "(65535,0,0)") {
  std::string text = "IGOR\r\nWAVES/D px, py\r\nBEGIN\r\n";
  for (int i = 0; i < n; ++i) text += std::to_string(i) + " " + std::to_string(i * i) + "\r\n";
  text += "END\r\nX Display py vs px\r\nX ModifyGraph rgb(py)=" + std::string(rgb) +
          ", lsize(py)=1\r\nX SetAxis bottom 0, " + std::to_string(right) +
          "\r\nX SetAxis left 0, " + std::to_string(top) + "\r\n";
  return text;
}

class ReloadTest : public ::testing::Test {
 protected:
  ReloadTest() {
    path_ = std::filesystem::temp_directory_path() /
            ("korvelin-reload-" + std::to_string(getpid()) + ".pat");
    Write(Pattern(5, 10, 20));
    EXPECT_TRUE(LoadFile(*doc_, path_).result.accepted());
    reloader_.Loaded(*doc_);
  }
  ~ReloadTest() override { std::filesystem::remove(path_); }
  void Write(const std::string& text) { std::ofstream(path_, std::ios::binary) << text; }
  LoadRecord Reload() { return reloader_.Reload(*doc_, path_); }

  std::string path_;
  std::unique_ptr<GraphDocument> doc_ = std::make_unique<GraphDocument>();
  Reloader reloader_;
};

TEST_F(ReloadTest, AnUntouchedViewEndsAsAnOrdinaryLoadOfTheNewFile) {
  doc_->Settings.TickX = 9;  // display settings are the user's either way
  Write(Pattern(8, 50, 70, "(0,0,65535)"));
  auto fresh = std::make_unique<GraphDocument>();
  fresh->Settings = doc_->Settings;
  ASSERT_TRUE(LoadFile(*fresh, path_).result.accepted());
  EXPECT_EQ(Reload().result.status, LoadStatus::Loaded);
  EXPECT_EQ(DumpDocumentJson(*doc_), DumpDocumentJson(*fresh));
  EXPECT_EQ(doc_->AxisRange, RealRect(0, 70, 50, 0));
  EXPECT_EQ(doc_->Waves[1].count, 8);
}

TEST_F(ReloadTest, AZoomKeepsItsRangeAndHistoryAndTheNewDataComesIn) {
  ASSERT_TRUE(ZoomAxis(*doc_, 1, 8, 3, 2));
  ASSERT_TRUE(ZoomAxis(*doc_, 1.5, 6, 2.5, 3));
  const TRealRect zoomed = doc_->AxisRange;
  const auto history = doc_->AxisHistory;
  Write(Pattern(12, 50, 70));
  EXPECT_EQ(Reload().result.status, LoadStatus::Loaded);
  EXPECT_EQ(doc_->AxisRange, zoomed);
  EXPECT_EQ(doc_->AxisHistory, history);
  EXPECT_EQ(doc_->Waves[0].count, 12);
  UndoAxis(*doc_);
  EXPECT_EQ(doc_->AxisRange, RealRect(1, 8, 3, 2));
}

TEST_F(ReloadTest, AnAppliedRangeIsKept) {
  doc_->AxisRange = RealRect(2, 9, 4, 1);  // the dialog sets the range without a push
  Write(Pattern(6, 50, 70));
  EXPECT_EQ(Reload().result.status, LoadStatus::Loaded);
  EXPECT_EQ(doc_->AxisRange, RealRect(2, 9, 4, 1));
}

TEST_F(ReloadTest, AZoomUndoneShowsTheNewFilesOwnRange) {
  ASSERT_TRUE(ZoomAxis(*doc_, 1, 8, 3, 2));
  EXPECT_TRUE(ViewChosenByUser(*doc_));
  UndoAxis(*doc_);
  EXPECT_FALSE(ViewChosenByUser(*doc_));
  Write(Pattern(6, 50, 70));
  EXPECT_EQ(Reload().result.status, LoadStatus::Loaded);
  EXPECT_EQ(doc_->AxisRange, RealRect(0, 70, 50, 0));
  EXPECT_EQ(doc_->AxisHistory, FilledHistory(RealRect(0, 70, 50, 0)));
}

TEST_F(ReloadTest, StylesSetByTheUserStayOnWavesThatStillExist) {
  TWave& py = doc_->Waves[FindWave(*doc_, "py")];
  py.lsize = 4;
  py.rgb = 0x00FF00;
  // The file changes its own colour; the user's colour and line size win.
  Write(Pattern(6, 10, 20, "(0,0,65535)"));
  EXPECT_EQ(Reload().result.status, LoadStatus::Loaded);
  const TWave& after = doc_->Waves[FindWave(*doc_, "py")];
  EXPECT_EQ(after.rgb, 0x00FF00u);
  EXPECT_EQ(after.lsize, 4);
  // px was not touched: the file's own style comes through.
  EXPECT_EQ(doc_->Waves[FindWave(*doc_, "px")].rgb, 0u);

  // A file whose wave is renamed drops the style; a later file that gives
  // py back shows the file's own colour again.
  Write("IGOR\r\nWAVES/D px, qy\r\nBEGIN\r\n1 2\r\nEND\r\nX Display qy vs px\r\n");
  EXPECT_EQ(Reload().result.status, LoadStatus::Loaded);
  EXPECT_EQ(FindWave(*doc_, "py"), -1);
  Write(Pattern(6, 10, 20, "(0,0,65535)"));
  EXPECT_EQ(Reload().result.status, LoadStatus::Loaded);
  EXPECT_EQ(doc_->Waves[FindWave(*doc_, "py")].rgb, 0x0000FFu);
}

TEST_F(ReloadTest, AFileGoneEmptiedOrRefusedLeavesTheDocumentAsItWas) {
  ASSERT_TRUE(ZoomAxis(*doc_, 1, 8, 3, 2));
  const std::string before = DumpDocumentJson(*doc_);
  for (const std::string& text : {std::string(), std::string("not a pattern\r\n1 2\r\n")}) {
    Write(text);
    const LoadRecord load = Reload();
    EXPECT_FALSE(load.result.accepted());
    EXPECT_FALSE(load.result.reason.empty());
    EXPECT_EQ(DumpDocumentJson(*doc_), before);
  }
  std::filesystem::remove(path_);
  const LoadRecord gone = Reload();
  EXPECT_EQ(gone.result.status, LoadStatus::CannotOpen);
  EXPECT_EQ(gone.path, path_);
  EXPECT_EQ(DumpDocumentJson(*doc_), before);
}

TEST_F(ReloadTest, ManyReloadsUseTwoValueStoresInTurn) {
  std::set<void*> reservations;
  for (int i = 0; i < 200; ++i) {
    Write(Pattern(100 + i % 7, 10, 20));
    ASSERT_EQ(Reload().result.status, LoadStatus::Loaded);
    reservations.insert(doc_->Values.reservation);
    ASSERT_EQ(doc_->Waves[0].count, 100 + i % 7);
    ASSERT_EQ(GetValue(doc_->Values, doc_->Waves[1].first + 9 * doc_->Waves[1].stride), 81);
  }
  EXPECT_EQ(reservations.size(), 2u);
}

}  // namespace
}  // namespace korvelin::document
