#include "platform/FontMeasurer.h"

#include <QString>
#include <QtMath>
#include <algorithm>
#include <climits>
#include <cmath>

#include "platform/QtFont.h"

namespace korvelin::platform {
namespace {

// Qt's font engines measure sanely only up to some ten thousand pixels: at
// 32,000 the height comes out negative, and from about 70,000 every text
// measures 224 x 32 whatever its font. The vector plot asks for page fonts
// of a million pixels (a 410-pixel window font on a page 3,500 times the
// window), and a text measured 32 units high there let its scale walk a
// million ticks. A larger font is measured at this size and scaled:
// "-000000" in Arial is 29,360 x 8,938 at 8,000 pixels, so about
// 3,670,000 x 1,117,250 at a million.
constexpr int kLargestMeasuredPixels = 8192;

int Scaled(double units, double scale) {
  return static_cast<int>(std::min(std::ceil(units * scale), double{INT_MAX}));
}

}  // namespace

void FontMeasurer::SetHinted(bool hinted) {
  if (hinted == hinted_) return;
  hinted_ = hinted;
  metrics_.reset();  // measured again in the new rendering
}

void FontMeasurer::SetFont(const render::FontSpec& font) {
  if (metrics_ && font == spec_) return;
  spec_ = font;
  render::FontSpec measured = font;
  scale_ = 1.0;
  if (font.pixel_height > kLargestMeasuredPixels) {
    scale_ = static_cast<double>(font.pixel_height) / kLargestMeasuredPixels;
    measured.pixel_height = kLargestMeasuredPixels;
  }
  font_ = ToQFont(measured, hinted_);
  metrics_.emplace(font_);
  const QFontMetricsF exact(font_);
  height_ = scale_ == 1.0 ? qCeil(exact.ascent() + exact.descent())
                          : Scaled(exact.ascent() + exact.descent(), scale_);
}

render::TextSize FontMeasurer::Measure(std::string_view text) {
  if (!metrics_) SetFont(spec_);
  // The flags a label lays out a plain one-line caption with; the box is
  // wide enough that nothing wraps.
  const QRect box = metrics_->boundingRect(
      QRect(0, 0, 2000, 2000), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextExpandTabs,
      QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size())));
  return {scale_ == 1.0 ? box.width() : Scaled(box.width(), scale_), height_};
}

}  // namespace korvelin::platform
