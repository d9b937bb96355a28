#include "platform/PictureControl.h"

#include <QFontMetrics>
#include <QPaintEvent>
#include <QPainter>
#include <QString>
#include <algorithm>
#include <cmath>

#include "platform/LargeImage.h"
#include "platform/QtFont.h"
#include "platform/RasterBlit.h"

namespace korvelin::platform {

void PictureBitmap::NewPicture(int width, int height) {
  if (!picture_.isNull() && picture_.width() == width && picture_.height() == height &&
      picture_.isDetached()) {
    // The same size again (a redraw of the next file of a batch): only the
    // white is new.
    picture_.fill(Qt::white);
    return;
  }
  picture_ = QImage();  // the old picture's memory goes back first
  picture_ = width > 0 && height > 0
                 ? NewLargeImage(width, height, QImage::Format_RGB32)
                 : QImage(std::max(0, width), std::max(0, height), QImage::Format_RGB32);
  picture_.fill(Qt::white);
}

void PictureBitmap::FillRect(int left, int top, int right, int bottom) {
  if (picture_.isNull() || brush_style_ == render::BrushStyle::Clear) return;
  QPainter painter(&picture_);
  const QRect area(QPoint(left, top), QPoint(right - 1, bottom - 1));
  if (brush_style_ == render::BrushStyle::Solid) {
    painter.fillRect(area, QColor::fromRgb(brush_rgb_));
  } else {
    painter.fillRect(area, QBrush(QColor::fromRgb(brush_rgb_), Qt::CrossPattern));
  }
}

void PictureBitmap::SetFont(const render::FontSpec& font) { font_ = ToQFont(font, hinted_); }

void PictureBitmap::TextOut(int x, int y, std::string_view text) {
  if (picture_.isNull() || text.empty()) return;
  // A box that starts right of or below the picture shows nothing. Leaving
  // it out also keeps the baseline below within int: a number placed at a
  // distance of 2147483647 pixels has y = 2147483647.
  if (x >= picture_.width() || y >= picture_.height()) return;
  const QFontMetrics metrics(font_, &picture_);
  // A text far longer than the picture is wide is cut: no glyph past the
  // picture's right edge can show, and laying out a megabyte of text would
  // stall the window. Each glyph is at least one pixel wide.
  const auto room = static_cast<size_t>(int64_t{picture_.width()} - std::min(x, 0) + 1);
  text = text.substr(0, std::min(text.size(), room));
  QPainter painter(&picture_);
  painter.setFont(font_);
  painter.setPen(Qt::black);
  if (brush_style_ == render::BrushStyle::Solid) {
    painter.setBackgroundMode(Qt::OpaqueMode);
    painter.setBackground(QColor::fromRgb(brush_rgb_));
  }
  // (x, y) is the top-left corner of the text's box, so the baseline lies one
  // ascent lower: 15 pixels for the 16-pixel serif font.
  painter.drawText(QPoint(x, y + metrics.ascent()),
                   QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size())));
}

void PictureBitmap::Rectangle(int x1, int y1, int x2, int y2) {
  // Edges far off the picture are held one pixel outside it, where nothing
  // is drawn, so the walk is never longer than the picture is wide or high.
  // The last pixel is found in 64 bits: a corner at -2147483648 has no int
  // one pixel to its left.
  const int64_t x_last = int64_t{std::max(x1, x2)} - 1;
  const int64_t y_last = int64_t{std::max(y1, y2)} - 1;
  if (picture_.isNull() || x_last < std::min(x1, x2) || y_last < std::min(y1, y2)) return;
  const int left = std::max(std::min(x1, x2), -1);
  const int right = static_cast<int>(std::min<int64_t>(x_last, picture_.width()));
  const int top = std::max(std::min(y1, y2), -1);
  const int bottom = static_cast<int>(std::min<int64_t>(y_last, picture_.height()));
  const QRgb pen = 0xFF000000u | pen_rgb_;
  auto plot = [&](int x, int y) {
    if (x < 0 || y < 0 || x >= picture_.width() || y >= picture_.height()) return;
    QRgb& pixel = reinterpret_cast<QRgb*>(picture_.scanLine(y))[x];
    pixel = pen_mode_ == render::PenMode::Xor ? (pixel ^ pen_rgb_) : pen;
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

void PictureBitmap::BlitRaster(const render::RasterImage& image, int x, int y) {
  BlitRasterImage(picture_, x, y, image);
}

void PictureBitmap::SetVisible(bool visible) {
  if (on_visible_) on_visible_(visible);
}

PictureControl::PictureControl(const PictureBitmap& bitmap, QWidget* parent)
    : QWidget(parent), bitmap_(bitmap) {
  // The bitmap covers the control, and the rest is filled here, so nothing
  // behind it needs painting.
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void PictureControl::paintEvent(QPaintEvent* event) {
  if (guard_) {
    guard_([&] { Paint(event); });
  } else {
    Paint(event);
  }
}

// At ratio 1 each rectangle to paint is copied as it is. Otherwise the
// bitmap pixels under it (rounded outwards) are drawn onto the window pixels
// they cover, without smoothing: at ratio 2 the window rectangle (10, 5,
// 4 x 3) shows bitmap pixels (20, 10, 8 x 6), one device pixel each.
void PictureControl::Paint(QPaintEvent* event) {
  QPainter painter(this);
  const QImage& picture = bitmap_.Picture();
  for (const QRect& rect : event->region()) {
    painter.fillRect(rect, Qt::white);
    if (ratio_ == 1.0) {
      painter.drawImage(rect.topLeft(), picture, rect);
      continue;
    }
    const int x0 = static_cast<int>(std::floor(rect.left() * ratio_));
    const int y0 = static_cast<int>(std::floor(rect.top() * ratio_));
    const int x1 = static_cast<int>(std::ceil((rect.right() + 1) * ratio_));
    const int y1 = static_cast<int>(std::ceil((rect.bottom() + 1) * ratio_));
    const QRect source = QRect(QPoint(x0, y0), QPoint(x1 - 1, y1 - 1)) & picture.rect();
    if (source.isEmpty()) continue;
    const QRectF target(source.x() / ratio_, source.y() / ratio_, source.width() / ratio_,
                        source.height() / ratio_);
    painter.drawImage(target, picture, source);
  }
}

}  // namespace korvelin::platform
