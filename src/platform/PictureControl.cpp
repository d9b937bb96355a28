#include "platform/PictureControl.h"

#include <QFontMetrics>
#include <QPaintEvent>
#include <QPainter>
#include <QString>
#include <algorithm>

#include "platform/QtFont.h"
#include "platform/RasterBlit.h"

namespace korvelin::platform {

PictureControl::PictureControl(QWidget* parent) : QWidget(parent) {
  // The bitmap covers the whole control, so nothing behind it needs painting.
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void PictureControl::NewPicture(int width, int height) {
  picture_ = QImage(std::max(0, width), std::max(0, height), QImage::Format_RGB32);
  picture_.fill(Qt::white);
}

void PictureControl::paintEvent(QPaintEvent* event) {
  QPainter painter(this);
  painter.fillRect(event->rect(), Qt::white);
  painter.drawImage(event->rect().topLeft(), picture_, event->rect());
}

void PictureControlCanvas::FillRect(int left, int top, int right, int bottom) {
  QImage& picture = control_.Picture();
  if (picture.isNull() || brush_style_ == render::BrushStyle::Clear) return;
  QPainter painter(&picture);
  const QRect area(QPoint(left, top), QPoint(right - 1, bottom - 1));
  if (brush_style_ == render::BrushStyle::Solid) {
    painter.fillRect(area, QColor::fromRgb(brush_rgb_));
  } else {
    painter.fillRect(area, QBrush(QColor::fromRgb(brush_rgb_), Qt::CrossPattern));
  }
}

void PictureControlCanvas::SetFont(const render::FontSpec& font) { font_ = ToQFont(font); }

void PictureControlCanvas::TextOut(int x, int y, std::string_view text) {
  QImage& picture = control_.Picture();
  if (picture.isNull() || text.empty()) return;
  // A box that starts right of or below the picture shows nothing. Leaving
  // it out also keeps the baseline below within int: a number placed at a
  // distance of 2147483647 pixels has y = 2147483647.
  if (x >= picture.width() || y >= picture.height()) return;
  QPainter painter(&picture);
  painter.setFont(font_);
  painter.setPen(QColor::fromRgb(pen_rgb_));
  if (brush_style_ == render::BrushStyle::Solid) {
    painter.setBackgroundMode(Qt::OpaqueMode);
    painter.setBackground(QColor::fromRgb(brush_rgb_));
  }
  // (x, y) is the top-left corner of the text's box, so the baseline lies one
  // ascent lower: 15 pixels for the 16-pixel serif font.
  const QFontMetrics metrics(font_, &picture);
  painter.drawText(QPoint(x, y + metrics.ascent()),
                   QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size())));
}

void PictureControlCanvas::Rectangle(int x1, int y1, int x2, int y2) {
  QImage& picture = control_.Picture();
  const int left = std::min(x1, x2);
  const int right = std::max(x1, x2) - 1;
  const int top = std::min(y1, y2);
  const int bottom = std::max(y1, y2) - 1;
  if (picture.isNull() || right < left || bottom < top) return;
  const QRgb pen = 0xFF000000u | pen_rgb_;
  auto plot = [&](int x, int y) {
    if (x < 0 || y < 0 || x >= picture.width() || y >= picture.height()) return;
    QRgb& pixel = reinterpret_cast<QRgb*>(picture.scanLine(y))[x];
    pixel = pen_mode_ == PenMode::Xor ? (pixel ^ pen_rgb_) : pen;
  };
  for (int x = left; x <= right; ++x) {
    plot(x, top);
    if (bottom != top) plot(x, bottom);
  }
  for (int y = top + 1; y < bottom; ++y) {
    plot(left, y);
    if (right != left) plot(right, y);
  }
}

void PictureControlCanvas::BlitRaster(const render::RasterImage& image, int x, int y) {
  BlitRasterImage(control_.Picture(), x, y, image);
}

void PictureControlCanvas::SetVisible(bool visible) {
  control_.setVisible(visible);
  if (visible) control_.update();
}

}  // namespace korvelin::platform
