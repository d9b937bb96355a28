// The menu commands of the window on the offscreen platform, with every
// desktop service replaced by a fake.

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QMenu>
#include <QTest>
#include <QTimer>
#include <optional>
#include <string>

#include "platform/InputPrompt.h"
#include "platform/IntSpinEdit.h"
#include "platform/ListBox.h"
#include "ui/MainUnit.h"
#include "ui/PatternFiles.h"

namespace korvelin::ui {
namespace {

using korvelin::testing::DiagonalPattern;
using korvelin::testing::PatternDir;

class NoPrompt : public platform::InputPrompt {
 public:
  std::optional<std::string> Ask(std::string_view, std::string_view, std::string_view) override {
    return std::nullopt;
  }
};

class CommandsTest : public ::testing::Test {
 protected:
  CommandsTest() {
    MainFormOptions options{{}, {640, 480}};
    options.services.prompt = &prompt_;
    form_ = std::make_unique<TMainForm>(doc_, options);
  }
  template <class T>
  T* Find(const char* name) {
    return form_->findChild<T*>(name);
  }
  document::GraphDocument doc_;
  NoPrompt prompt_;
  std::unique_ptr<TMainForm> form_;
};

TEST_F(CommandsTest, ModifyShowsHidesAndShowsTheDialogAgain) {
  QAction* modify = Find<QAction>("miModify");
  ASSERT_NE(modify, nullptr);
  EXPECT_EQ(modify->text(), "Modify");
  EXPECT_EQ(modify->shortcut(), QKeySequence("Ctrl+M"));
  EXPECT_EQ(Find<QMenu>("miView")->title(), "View");
  TFormModify& dialog = form_->FormModify();
  EXPECT_FALSE(dialog.isVisible()) << "created hidden";

  form_->show();
  form_->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(form_.get()));
  QTest::keyClick(form_.get(), Qt::Key_M, Qt::ControlModifier);
  EXPECT_TRUE(dialog.isVisible());
  form_->miModifyClick();
  EXPECT_FALSE(dialog.isVisible());
  form_->miModifyClick();
  EXPECT_TRUE(dialog.isVisible());
  EXPECT_TRUE(form_->isEnabled()) << "the main window stays usable";
}

TEST_F(CommandsTest, AnApplyLaysTheWindowOutAnew) {
  form_->miModifyClick();
  TFormModify& dialog = form_->FormModify();
  dialog.findChild<QCheckBox*>("CheckBoxMargin")->click();
  dialog.findChild<platform::IntSpinEdit*>("SpinEditLeft")->SetValue(100);
  QTimer* timer = dialog.findChild<QTimer*>("Timer");
  ASSERT_TRUE(timer->isActive());
  dialog.TimerTimer();
  EXPECT_TRUE(doc_.Settings.MarginOn);
  EXPECT_EQ(doc_.PlotRect.Left, 100) << "the window was laid out with the new margin";
  EXPECT_EQ(form_->Raster().Width(), (640 - 100 - 8) & ~3);
}

TEST_F(CommandsTest, ALoadWhileTheDialogIsShownRefreshesItsLists) {
  form_->miModifyClick();
  platform::ListBox* waves = form_->FormModify().findChild<platform::ListBox*>("ListBoxWaves");
  ASSERT_NE(waves, nullptr);
  EXPECT_EQ(waves->count(), 0);
  PatternDir dir;
  form_->LoadFile(dir.Write("red.pat", DiagonalPattern()));
  EXPECT_EQ(waves->count(), 2);
  platform::ListBox* traces = form_->FormModify().findChild<platform::ListBox*>("ListBoxTraces");
  ASSERT_EQ(traces->count(), 1);
  EXPECT_EQ(traces->item(0)->text(), "py vs px");
}

}  // namespace
}  // namespace korvelin::ui
