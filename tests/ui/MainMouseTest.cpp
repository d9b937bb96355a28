// The window's mouse handling and Edit commands on the offscreen platform:
// events in picture pixels, the caption, the clipboard through a fake, and
// the shortcuts of the Edit menu.

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QMouseEvent>
#include <QTest>
#include <string>

#include "platform/Clipboard.h"
#include "platform/PictureControl.h"
#include "ui/FakeServices.h"
#include "ui/MainUnit.h"
#include "ui/PatternFiles.h"
#include "ui/WindowFixture.h"

namespace korvelin::ui {
namespace {

using document::RealRect;
using korvelin::testing::FakeClipboard;

class WindowTest : public ::testing::Test {
 protected:
  WindowTest() {
    MainFormOptions options{{}, {640, 480}, &measurer_};
    options.services.clipboard = &clipboard_;
    form_ = std::make_unique<TMainForm>(doc_, options);
    image_ = form_->findChild<QWidget*>("Image");
  }
  void Send(QEvent::Type type, Qt::MouseButton button, int x, int y) {
    const Qt::MouseButtons held = type == QEvent::MouseButtonPress ? button : Qt::NoButton;
    QMouseEvent event(type, QPointF(x, y), image_->mapToGlobal(QPointF(x, y)), button, held,
                      Qt::NoModifier);
    QApplication::sendEvent(image_, &event);
  }
  void Move(int x, int y) { Send(QEvent::MouseMove, Qt::NoButton, x, y); }
  void Drag(Qt::MouseButton button, QPoint from, QPoint to) {
    Send(QEvent::MouseButtonPress, button, from.x(), from.y());
    Move(to.x(), to.y());
    Send(QEvent::MouseButtonRelease, button, to.x(), to.y());
  }

  document::GraphDocument doc_;
  FixedMeasurer measurer_;
  FakeClipboard clipboard_;
  std::unique_ptr<TMainForm> form_;
  QWidget* image_ = nullptr;
};

TEST_F(WindowTest, TheCaptionReadsThePointerAndCopyCoordinateCopiesIt) {
  EXPECT_EQ(form_->windowTitle(), "KORVELIN");
  form_->miCopyClick();
  EXPECT_EQ(clipboard_.text, "(0.00,0)") << "before any move";
  Move(336, 231);
  EXPECT_EQ(form_->windowTitle(), "KORVELIN( 5.00, 5 )");
  form_->miCopyClick();
  EXPECT_EQ(clipboard_.text, "(5.00,5)");
}

TEST_F(WindowTest, AZoomKeepsTheLastReadoutUntilThePointerReallyMoves) {
  Move(336, 231);
  Drag(Qt::LeftButton, QPoint(115, 100), QPoint(226, 231));
  ASSERT_DOUBLE_EQ(doc_.AxisRange.Bottom, 5);
  // The redraw's hide and show make the toolkit repeat the last position.
  Move(226, 231);
  form_->miCopyClick();
  EXPECT_EQ(clipboard_.text, "(3.01,5)") << "the move before the zoom, under the old range";
  Move(336, 231);
  EXPECT_NE(form_->windowTitle(), "KORVELIN( 5.00, 5 )");
  // Right button and Undo Axis step back.
  Send(QEvent::MouseButtonRelease, Qt::RightButton, 10, 10);
  EXPECT_EQ(doc_.AxisRange, RealRect(0, 10, 10, 0));
  Drag(Qt::LeftButton, QPoint(115, 100), QPoint(226, 231));
  form_->miUndoClick();
  EXPECT_EQ(doc_.AxisRange, RealRect(0, 10, 10, 0));
}

TEST_F(WindowTest, TheBandIsOnThePictureUntilTheRelease) {
  const QImage before = form_->Picture();
  Send(QEvent::MouseButtonPress, Qt::LeftButton, 100, 100);
  Move(300, 250);
  EXPECT_EQ(form_->Picture().pixel(200, 100) & 0xFFFFFF, 0x808080u) << "grey xor white";
  Move(100, 100);
  EXPECT_EQ(form_->Picture(), before) << "a band back at its start is erased";
  Send(QEvent::MouseButtonRelease, Qt::LeftButton, 100, 100);
  EXPECT_EQ(doc_.AxisRange, RealRect(0, 10, 10, 0)) << "a click does not zoom";
}

TEST_F(WindowTest, PasteStringDrawsTheFirstLineAtTheLastMove) {
  const QImage empty = form_->Picture();
  clipboard_.text = "Hi";
  form_->miPasteClick();
  const QImage at_origin = form_->Picture();
  EXPECT_NE(at_origin.copy(0, 0, 30, 20), empty.copy(0, 0, 30, 20)) << "drawn at (0, 0)";

  Move(200, 120);
  clipboard_.text = "Hi\r\nthere";
  form_->miPasteClick();
  const QImage two_lines = form_->Picture();
  form_->DrawScreenPlot();
  form_->miPasteClick();
  clipboard_.text = "Hi";
  form_->DrawScreenPlot();
  form_->miPasteClick();
  EXPECT_EQ(form_->Picture().copy(180, 100, 100, 60), two_lines.copy(180, 100, 100, 60));
  EXPECT_NE(form_->Picture().copy(180, 100, 100, 60), empty.copy(180, 100, 100, 60));

  // A megabyte on one line is drawn as far as the picture reaches.
  clipboard_.text.assign(1 << 20, 'W');
  form_->miPasteClick();
  const document::PixelRect right_end{620, 120, 640, 137};
  EXPECT_LT(korvelin::testing::CountColour(form_->Picture(), right_end, 0xFFFFFF), 20 * 17);
  clipboard_.text.clear();
  form_->miPasteClick();
}

TEST_F(WindowTest, TheEditMenuHoldsItsRowsAndTheShortcutsReachThem) {
  // The rows themselves are checked with the whole menu bar's.
  form_->show();
  form_->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(form_.get()));
  Move(336, 231);
  QTest::keyClick(form_.get(), Qt::Key_C, Qt::ControlModifier);
  EXPECT_EQ(clipboard_.text, "(5.00,5)");
  Drag(Qt::LeftButton, QPoint(115, 100), QPoint(226, 231));
  QTest::keyClick(form_.get(), Qt::Key_U, Qt::ControlModifier);
  EXPECT_EQ(doc_.AxisRange, RealRect(0, 10, 10, 0));
  const QImage before = form_->Picture();
  clipboard_.text = "pasted";
  QTest::keyClick(form_.get(), Qt::Key_V, Qt::ControlModifier);
  EXPECT_NE(form_->Picture(), before);
}

TEST_F(WindowTest, APictureOfManyScreensIsBounded) {
  form_->SetClientSize(QSize(32767, 32767));
  const QImage& picture = form_->Picture();
  EXPECT_LE(int64_t{picture.width()} * picture.height(), render::kMaxWindowPicturePixels);
  EXPECT_EQ(doc_.ClientSize, (document::PixelSize{picture.width(), picture.height()}));
  EXPECT_EQ(image_->size(), picture.size());
  form_->SetClientSize(QSize(640, 480));
  EXPECT_EQ(form_->Picture().size(), QSize(640, 480));
}

}  // namespace
}  // namespace korvelin::ui
