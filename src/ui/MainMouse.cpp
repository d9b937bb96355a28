// The mouse over the picture and the Edit commands: the window turns events
// into the core's zoom and readout, shows the caption, and repaints.

#include <QMouseEvent>
#include <QRegion>
#include <algorithm>
#include <cmath>

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

// A rectangle of picture (device) pixels as the window pixels that show
// it, rounded outwards: at ratio 1.5 the device pixels 3 .. 4 lie in window
// pixels 2 .. 3.
QRect WindowPixels(int left, int top, int right, int bottom, double ratio) {
  const int x0 = static_cast<int>(std::floor(left / ratio));
  const int y0 = static_cast<int>(std::floor(top / ratio));
  const int x1 = static_cast<int>(std::ceil((right + 1) / ratio));
  const int y1 = static_cast<int>(std::ceil((bottom + 1) / ratio));
  return QRect(QPoint(x0, y0), QPoint(x1 - 1, y1 - 1));
}

// The window pixels the band with these corners covers: its four sides
// exactly as the picture's Rectangle draws them, columns left .. right - 1
// of rows top and bottom - 1, and rows top .. bottom - 1 of columns left and
// right - 1. While a button is held the corners may lie anywhere in 32 bits,
// and a box from -2147483647 to 152 would be wider than an int holds; each
// corner is first held one pixel outside the largest picture (-1 .. 16385),
// where no side can be seen, so the sides that can be seen stay where they
// are.
QRegion BandOutline(const document::PixelRect& band, double ratio) {
  static constexpr int kFar = static_cast<int>(render::kMaxWindowPictureSide) + 1;
  const auto held = [](int32_t v) { return std::clamp(v, -1, kFar); };
  const int left = held(std::min(band.Left, band.Right));
  const int right = held(std::max(band.Left, band.Right)) - 1;
  const int top = held(std::min(band.Top, band.Bottom));
  const int bottom = held(std::max(band.Top, band.Bottom)) - 1;
  if (right < left || bottom < top) return {};  // a flat band draws nothing
  QRegion outline;
  outline += WindowPixels(left, top, right, top, ratio);
  outline += WindowPixels(left, bottom, right, bottom, ratio);
  outline += WindowPixels(left, top, left, bottom, ratio);
  outline += WindowPixels(right, top, right, bottom, ratio);
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
  const QPoint pixel = PicturePixel(mouse->position());
  const int x = pixel.x();
  const int y = pixel.y();
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
  setWindowTitle(QString::fromStdString(
      render::ReadoutCaption(mouse_, view_.DecimalSeparator(), doc_.View.Wavelength)));
  if (mouse_.Dragging) RepaintBand(before, mouse_.DragRect);
}

void TMainForm::ImageMouseUp(render::MouseButton button, int x, int y) {
  if (render::ImageMouseUp(mouse_, doc_, button, x, y) != render::MouseRelease::Nothing) {
    DrawScreenPlot();
  }
}

void TMainForm::RepaintBand(const document::PixelRect& before, const document::PixelRect& after) {
  const double ratio = view_.PixelRatio();
  image_->update(BandOutline(before, ratio) + BandOutline(after, ratio));
}

// The device pixel under the pointer: at ratio 2 the window pixel (10, 7)
// covers device pixels 20 .. 21 and 14 .. 15, and a pointer at (10.5, 7.25)
// lies on (21, 14).
QPoint TMainForm::PicturePixel(QPointF position) const {
  const double ratio = view_.PixelRatio();
  const auto held = [](double v) { return std::clamp(std::floor(v), -2147483648.0, 2147483647.0); };
  return QPoint(static_cast<int>(held(position.x() * ratio)),
                static_cast<int>(held(position.y() * ratio)));
}

void TMainForm::miUndoClick() {
  document::UndoAxis(doc_);
  DrawScreenPlot();
}

void TMainForm::miCopyClick() {
  clipboard_->SetText(
      render::CoordinateText(mouse_, view_.DecimalSeparator(), doc_.View.Wavelength));
}

void TMainForm::miPasteClick() {
  const std::string text = FirstLine(clipboard_->Text());
  view_.Canvas().TextOut(mouse_.LastMouseX, mouse_.LastMouseY, text);
  image_->update();
}

}  // namespace korvelin::ui
