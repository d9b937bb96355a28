// The mouse over the picture and the Edit commands: the window turns events
// into the core's zoom and readout, shows the caption, and repaints.

#include <QMouseEvent>
#include <QRegion>
#include <QtMath>
#include <algorithm>

#include "document/AxisHistory.h"
#include "platform/Clipboard.h"
#include "platform/PictureControl.h"
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

// The one-pixel outline of a band as a region, clipped to a sane extent.
QRegion BandOutline(const document::PixelRect& band) {
  const QRect box = QRect(QPoint(std::min(band.Left, band.Right), std::min(band.Top, band.Bottom)),
                          QPoint(std::max(band.Left, band.Right), std::max(band.Top, band.Bottom)));
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
