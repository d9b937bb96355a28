// Add File, a drop with Shift held, Reload of a plot of several files, Stack
// Traces, Unstack and Legend in the window on the offscreen platform. Their
// menu rows and keys are checked with the whole menu bar's.

#include <gtest/gtest.h>

#include <QAction>
#include <QMimeData>
#include <QUrl>
#include <memory>
#include <string>

#include "document/Adding.h"
#include "document/TablesError.h"
#include "platform/InputPrompt.h"
#include "ui/FakeServices.h"
#include "ui/MainUnit.h"
#include "ui/PatternFiles.h"
#include "ui/WindowFixture.h"

namespace korvelin::ui {
namespace {

using korvelin::testing::DiagonalPattern;

class AddCommandsTest : public WindowFixture {
 protected:
  AddCommandsTest() {
    red_ = files_.Write("red.pat", DiagonalPattern());
    plain_ = files_.Write("plain.xy", "0 2\n5 4\n10 6\n");
  }
  double OffsetY(int trace) const { return doc_.Waves[doc_.Traces[trace].YWave].offsety; }

  std::string red_, plain_;
};

TEST_F(AddCommandsTest, AddFileAppendsAndReloadReadsBothFiles) {
  form_->LoadFile(red_);
  fakes_.file_dialogs.answer = plain_;
  Item("miAddFile")->trigger();
  EXPECT_EQ(fakes_.file_dialogs.requests.back().title, "Add File");
  ASSERT_EQ(doc_.TraceCount, 2);
  ASSERT_EQ(doc_.Files.size(), 2u);
  EXPECT_EQ(form_->ShownFile(), red_);
  EXPECT_EQ(doc_.Waves[doc_.Traces[1].YWave].rgb, document::kTracePalette[0]);
  files_.Write("plain.xy", "0 2\n5 4\n10 6\n15 8\n");
  Item("miReload")->trigger();
  EXPECT_TRUE(fakes_.boxes.errors.empty());
  EXPECT_EQ(doc_.Waves[doc_.Traces[1].YWave].count, 4);
  EXPECT_EQ(doc_.Files.size(), 2u);
  EXPECT_EQ(document::TablesError(doc_), "");
}

TEST_F(AddCommandsTest, AnAddedFileThatCannotBeReadSaysSoAndChangesNothing) {
  form_->LoadFile(red_);
  form_->AddFiles({files_.Path("missing.xy")});
  ASSERT_EQ(fakes_.boxes.errors.size(), 1u);
  EXPECT_EQ(fakes_.boxes.errors[0].rfind(files_.Path("missing.xy") + ": ", 0), 0u);
  EXPECT_EQ(doc_.TraceCount, 1);
  EXPECT_TRUE(doc_.Files.empty());
}

TEST_F(AddCommandsTest, ShiftDropAddsAndAPlainDropReplaces) {
  form_->LoadFile(red_);
  QMimeData mime;
  mime.setUrls({QUrl::fromLocalFile(QString::fromStdString(plain_))});
  SendDrop(form_.get(), mime, Qt::ShiftModifier);
  EXPECT_EQ(doc_.TraceCount, 2);
  EXPECT_EQ(form_->ShownFile(), red_);
  SendDrop(form_.get(), mime, Qt::NoModifier);
  EXPECT_EQ(doc_.TraceCount, 1);
  EXPECT_EQ(form_->ShownFile(), plain_);
  EXPECT_TRUE(doc_.Files.empty());
}

TEST_F(AddCommandsTest, StackUnstackAndLegendChangeThePicture) {
  form_->LoadFile(red_);
  form_->AddFiles({plain_});
  const QImage before = form_->Picture();
  Item("miStack")->trigger();
  // red.pat's range is 0 .. 10: a tenth is 1.
  EXPECT_EQ(OffsetY(0), 0);
  EXPECT_EQ(OffsetY(1), 1);
  EXPECT_NE(form_->Picture(), before);
  Item("miUnstack")->trigger();
  EXPECT_EQ(OffsetY(1), 0);
  EXPECT_EQ(form_->Picture(), before);
  EXPECT_TRUE(Item("miLegend")->isCheckable());
  EXPECT_TRUE(Item("miLegend")->isChecked());
  Item("miLegend")->trigger();
  EXPECT_FALSE(doc_.View.Legend);
  EXPECT_NE(form_->Picture(), before);
}

}  // namespace
}  // namespace korvelin::ui
