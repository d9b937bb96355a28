// The mouse over the picture and the Edit commands: the window turns events
// into the core's zoom and readout, shows the caption, and repaints.

#include <QMouseEvent>
#include <QRegion>
#include <QtMath>
#include <algorithm>

#include "document/AxisHistory.h"
#include "platform/Clipboard.h"
#include "platform/PictureControl.h"
#include "render/PlotLayout.h"
#include "ui/MainUnit.h"

namespace korvelin::ui {
namespace {

render::MouseButton ButtonOf(Qt::MouseButton button) {
  switch (button) {
    case Qt::LeftButton:
      return render::MouseButton::Left;
    case Qt::RightButton:
      return render::MouseButton::Right;
    case Qt::MiddleButton:
      return render::MouseButton::Middle;
    default:
      return render::MouseButton::Other;
  }
}

// The one-pixel outline of a band as a region. While a button is held the
// corners may lie anywhere in 32 bits, and a box from -2147483647 to 152
// would be wider than an int holds; each corner is first held one pixel
// outside the largest picture (-1 .. 16385), where no edge can be seen, so
// the edges that can be seen stay where they are.
QRegion BandOutline(const document::PixelRect& band) {
  static constexpr int kFar = static_cast<int>(render::kMaxWindowPictureSide) + 1;
  const auto held = [](int32_t v) { return std::clamp(v, -1, kFar); };
  const int left = held(std::min(band.Left, band.Right));
  const int right = held(std::max(band.Left, band.Right));
  const int top = held(std::min(band.Top, band.Bottom));
  const int bottom = held(std::max(band.Top, band.Bottom));
  const QRect box = QRect(QPoint(left, top), QPoint(right, bottom));
  QRegion outline(box);
  if (box.width() > 2 && box.height() > 2) outline -= QRegion(box.adjusted(1, 1, -1, -1));
  return outline;
}

// The first line of a text: Paste String draws one line.
std::string FirstLine(const std::string& text) {
  return text.substr(0, std::min(text.find('\r'), text.find('\n')));
}

}  // namespace

bool TMainForm::ImageEvent(QEvent* event) {
  const QEvent::Type type = event->type();
  if (type != QEvent::MouseButtonPress && type != QEvent::MouseMove &&
      type != QEvent::MouseButtonRelease) {
    return false;
  }
  const auto* mouse = static_cast<QMouseEvent*>(event);
  const int x = qFloor(mouse->position().x());
  const int y = qFloor(mouse->position().y());
  if (type == QEvent::MouseButtonPress) {
    ImageMouseDown(ButtonOf(mouse->button()), x, y);
  } else if (type == QEvent::MouseButtonRelease) {
    ImageMouseUp(ButtonOf(mouse->button()), x, y);
  } else if (!mouse_moved_ || x != mouse_.LastMouseX || y != mouse_.LastMouseY) {
    // Hiding and showing the picture in a redraw makes the toolkit send a
    // move to where the pointer already is; only a move to another pixel is
    // the user's, so the readout keeps the range it was computed with.
    ImageMouseMove(x, y);
  }
  return true;
}

void TMainForm::ImageMouseDown(render::MouseButton button, int x, int y) {
  render::ImageMouseDown(mouse_, button, x, y);
}

void TMainForm::ImageMouseMove(int x, int y) {
  const document::PixelRect before = mouse_.DragRect;
  render::ImageMouseMove(mouse_, doc_, view_.Canvas(), x, y);
  mouse_moved_ = true;
  setWindowTitle(QString::fromStdString(render::ReadoutCaption(mouse_, view_.DecimalSeparator())));
  if (mouse_.Dragging) RepaintBand(before, mouse_.DragRect);
}

void TMainForm::ImageMouseUp(render::MouseButton button, int x, int y) {
  if (render::ImageMouseUp(mouse_, doc_, button, x, y) != render::MouseRelease::Nothing) {
    DrawScreenPlot();
  }
}

void TMainForm::RepaintBand(const document::PixelRect& before, const document::PixelRect& after) {
  image_->update(BandOutline(before) + BandOutline(after));
}

void TMainForm::miUndoClick() {
  document::UndoAxis(doc_);
  DrawScreenPlot();
}

void TMainForm::miCopyClick() {
  clipboard_->SetText(render::CoordinateText(mouse_, view_.DecimalSeparator()));
}

void TMainForm::miPasteClick() {
  const std::string text = FirstLine(clipboard_->Text());
  view_.Canvas().TextOut(mouse_.LastMouseX, mouse_.LastMouseY, text);
  image_->update();
}

}  // namespace korvelin::ui
