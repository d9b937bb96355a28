// Reload, Next File, Previous File and Follow File in the window on the
// offscreen platform: the view kept, a folder of mixed and unreadable files
// stepped through, and a followed file rewritten, truncated, deleted and
// restored with the watch's clock in the test's hands.

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QPointer>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "document/AxisHistory.h"
#include "document/DocumentJson.h"
#include "platform/FileWatch.h"
#include "platform/InputPrompt.h"
#include "ui/FakeServices.h"
#include "ui/MainUnit.h"
#include "ui/PatternFiles.h"
#include "ui/WindowFixture.h"

namespace korvelin::ui {
namespace {

using korvelin::testing::DiagonalPattern;
using korvelin::testing::NoPrompt;
using korvelin::testing::PatternDir;

class ReloadCommandsTest : public WindowFixture {
 protected:
  std::string Shown() const {
    return std::filesystem::path(form_->ShownFile()).filename().string();
  }
  // The watch as its timers would run it: a look, then the quiet wait.
  void SettleFollowedFile() {
    form_->Watch().Check();
    now_ += document::kQuietMs;
    form_->Watch().Check();
  }
};

TEST_F(ReloadCommandsTest, TheKeysReachTheirCommands) {
  files_.Write("scan1.pat", DiagonalPattern());
  files_.Write("scan2.pat", DiagonalPattern());
  form_->LoadFile(files_.Path("scan1.pat"));
  ShowAndActivate();
  QTest::keyClick(form_.get(), Qt::Key_PageDown);
  EXPECT_EQ(Shown(), "scan2.pat");
  QTest::keyClick(form_.get(), Qt::Key_PageUp);
  EXPECT_EQ(Shown(), "scan1.pat");
  QTest::keyClick(form_.get(), Qt::Key_L, Qt::ControlModifier);
  EXPECT_TRUE(Item("miFollowFile")->isChecked());
  EXPECT_TRUE(form_->Watch().Active());
  std::filesystem::remove(files_.Path("scan1.pat"));
  QTest::keyClick(form_.get(), Qt::Key_F5);
  EXPECT_EQ(fakes_.boxes.errors.size(), 1u);
}

TEST_F(ReloadCommandsTest, ReloadBeforeAnyFileDoesNothing) {
  const std::string before = document::DumpDocumentJson(doc_);
  Trigger("miReload");
  Trigger("miNextFile");
  EXPECT_EQ(document::DumpDocumentJson(doc_), before);
  EXPECT_TRUE(fakes_.boxes.errors.empty());
}

TEST_F(ReloadCommandsTest, ReloadShowsTheNewDataInTheZoomTheUserChose) {
  const std::string path = files_.Write("scan1.pat", DiagonalPattern("(65535,0,0)", 10));
  form_->LoadFile(path);
  EXPECT_EQ(form_->findChild<QWidget*>("Image")->toolTip().toStdString(),
            std::filesystem::absolute(path).string());
  ASSERT_TRUE(document::ZoomAxis(doc_, 2, 8, 6, 1));
  const document::TRealRect zoomed = doc_.AxisRange;
  files_.Write("scan1.pat", DiagonalPattern("(0,0,65535)", 20));
  Trigger("miReload");
  EXPECT_TRUE(fakes_.boxes.errors.empty());
  EXPECT_EQ(doc_.AxisRange, zoomed);
  EXPECT_EQ(doc_.Waves[1].rgb, 0x0000FFu);
  EXPECT_GT(korvelin::testing::CountColour(form_->Picture(), doc_.PlotRect, 0x0000FF), 0);
  EXPECT_EQ(form_->windowTitle(), kCaption);
}

TEST_F(ReloadCommandsTest, ReloadOfAFileGoneNamesItAndKeepsThePicture) {
  const std::string path = files_.Write("scan1.pat", DiagonalPattern());
  form_->LoadFile(path);
  const QImage before = form_->Picture();
  std::filesystem::remove(path);
  Trigger("miReload");
  ASSERT_EQ(fakes_.boxes.errors.size(), 1u);
  EXPECT_NE(fakes_.boxes.errors[0].find("scan1.pat"), std::string::npos);
  EXPECT_NE(fakes_.boxes.errors[0].find("No such file"), std::string::npos);
  EXPECT_EQ(form_->Picture(), before);
  EXPECT_EQ(doc_.WaveCount, 2);
}

TEST_F(ReloadCommandsTest, NextAndPreviousStepOverWhatCannotBeReadAndStopAtTheEnds) {
  files_.Write("scan1.pat", DiagonalPattern("(65535,0,0)"));
  files_.Write("scan2.pat", "this is no pattern file\r\n");
  files_.Write("scan3.pat", "");
  files_.Write("scan10.pat", DiagonalPattern("(0,0,65535)", 20));
  form_->LoadFile(files_.Path("scan1.pat"));
  ASSERT_TRUE(document::ZoomAxis(doc_, 2, 8, 6, 1));
  const document::TRealRect zoomed = doc_.AxisRange;

  Trigger("miNextFile");
  EXPECT_EQ(Shown(), "scan10.pat");
  EXPECT_EQ(doc_.Waves[1].rgb, 0x0000FFu);
  EXPECT_EQ(doc_.AxisRange, zoomed);  // a zoomed peak is compared across the series
  const std::string skipped = diagnostics_.str();
  EXPECT_NE(skipped.find("scan2.pat"), std::string::npos);
  EXPECT_NE(skipped.find("scan3.pat"), std::string::npos);
  EXPECT_LT(skipped.find("scan2.pat"), skipped.find("scan3.pat"));

  Trigger("miNextFile");  // the last file: nothing happens
  EXPECT_EQ(Shown(), "scan10.pat");
  Trigger("miPreviousFile");
  EXPECT_EQ(Shown(), "scan1.pat");
  EXPECT_EQ(doc_.Waves[1].rgb, 0xFF0000u);
  Trigger("miPreviousFile");
  EXPECT_EQ(Shown(), "scan1.pat");
  EXPECT_TRUE(fakes_.boxes.errors.empty());
}

TEST_F(ReloadCommandsTest, AFollowedFileIsReadAfterEachSettledChangeAndSurvivesItsDeletion) {
  const std::string path = files_.Write("scan1.pat", DiagonalPattern("(65535,0,0)"));
  form_->LoadFile(path);
  Trigger("miFollowFile");
  EXPECT_TRUE(form_->Watch().Active());
  EXPECT_EQ(form_->Watch().Path(), path);

  // Each rewrite changes the size: two writes of one size within the same
  // tick of the file system's clock look alike.
  files_.Write("scan1.pat", DiagonalPattern("(0,0,65535)", 20));
  form_->Watch().Check();  // the notification: seen, not yet read
  EXPECT_EQ(doc_.Waves[1].rgb, 0xFF0000u);
  now_ += document::kQuietMs;
  form_->Watch().Check();
  EXPECT_EQ(doc_.Waves[1].rgb, 0x0000FFu);

  const QImage good = form_->Picture();
  files_.Write("scan1.pat", "");  // emptied by the writer: the last good picture stays
  SettleFollowedFile();
  EXPECT_EQ(form_->Picture(), good);
  std::filesystem::remove(path);
  SettleFollowedFile();
  EXPECT_EQ(form_->Picture(), good);
  EXPECT_EQ(doc_.Waves[1].rgb, 0x0000FFu);

  files_.Write("scan1.pat", DiagonalPattern("(0,65535,0)", 100));  // restored
  SettleFollowedFile();
  EXPECT_EQ(doc_.Waves[1].rgb, 0x00FF00u);
  EXPECT_TRUE(fakes_.boxes.errors.empty());
}

TEST_F(ReloadCommandsTest, FollowingMovesToEachFileShownAndStopsWhenUnchecked) {
  files_.Write("scan1.pat", DiagonalPattern());
  files_.Write("scan2.pat", DiagonalPattern());
  EXPECT_TRUE(Item("miFollowFile")->isCheckable());
  EXPECT_FALSE(Item("miFollowFile")->isChecked());
  Trigger("miFollowFile");  // checked before any file: follows the first one shown
  EXPECT_TRUE(Item("miFollowFile")->isChecked());
  EXPECT_FALSE(form_->Watch().Active());
  form_->LoadFile(files_.Path("scan1.pat"));
  EXPECT_EQ(form_->Watch().Path(), files_.Path("scan1.pat"));
  Trigger("miNextFile");
  EXPECT_EQ(form_->Watch().Path(), files_.Path("scan2.pat"));
  Trigger("miFollowFile");
  EXPECT_FALSE(Item("miFollowFile")->isChecked());
  EXPECT_FALSE(form_->Watch().Active());
  files_.Write("scan2.pat", DiagonalPattern("(0,0,65535)"));
  SettleFollowedFile();
  EXPECT_EQ(doc_.Waves[1].rgb, 0xFF0000u);

  // Checked again, the watch and its timers still go with the window.
  Trigger("miFollowFile");
  EXPECT_TRUE(form_->Watch().Active());
  const QPointer<platform::FileWatch> watch(&form_->Watch());
  const QPointer<QTimer> timer(form_->Watch().findChild<QTimer*>());
  ASSERT_FALSE(timer.isNull());
  form_.reset();
  EXPECT_TRUE(watch.isNull());
  EXPECT_TRUE(timer.isNull());
}

TEST_F(ReloadCommandsTest, FollowingTakesInAddedFilesAndReadsThePlotWhenOneChanges) {
  files_.Write("scan1.pat", DiagonalPattern());
  const std::string added = files_.Write("ref.pat", DiagonalPattern("(0,0,65535)"));
  form_->LoadFile(files_.Path("scan1.pat"));
  Trigger("miFollowFile");
  form_->AddFiles({added});
  EXPECT_EQ(form_->Watch().Paths(), (std::vector<std::string>{files_.Path("scan1.pat"), added}));
  ASSERT_EQ(doc_.Waves[3].rgb, 0x0000FFu);
  files_.Write("ref.pat", DiagonalPattern("(0,65535,0)", 20));
  SettleFollowedFile();
  EXPECT_EQ(doc_.Waves[1].rgb, 0xFF0000u);
  EXPECT_EQ(doc_.Waves[3].rgb, 0x00FF00u);
  EXPECT_EQ(form_->Watch().Paths().size(), 2u);
  EXPECT_TRUE(fakes_.boxes.errors.empty());
}

// The one run on the real clock: the system's notification and the quiet
// timer bring a rewrite onto the picture with no call from the test, which
// waits only until the picture has changed.
TEST(FollowFileOnTheRealClock, ARewriteReachesThePictureByItself) {
  PatternDir files;
  document::GraphDocument doc;
  korvelin::testing::FakeServices fakes;
  NoPrompt prompt;
  MainFormOptions options{{files.Write("scan1.pat", DiagonalPattern())}, {320, 240}};
  options.services = fakes.Services(&prompt);
  TMainForm form(doc, options);
  form.findChild<QAction*>("miFollowFile")->trigger();
  files.Write("scan1.pat", DiagonalPattern("(0,0,65535)", 20));
  EXPECT_TRUE(QTest::qWaitFor([&] { return doc.Waves[1].rgb == 0x0000FFu; }, 5000));
  EXPECT_GT(korvelin::testing::CountColour(form.Picture(), doc.PlotRect, 0x0000FF), 0);
}

}  // namespace
}  // namespace korvelin::ui
