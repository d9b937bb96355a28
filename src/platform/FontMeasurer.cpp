#include "platform/FontMeasurer.h"

#include <QString>
#include <QtMath>

#include "platform/QtFont.h"

namespace korvelin::platform {

void FontMeasurer::SetFont(const render::FontSpec& font) {
  if (metrics_ && font == spec_) return;
  spec_ = font;
  font_ = ToQFont(font);
  metrics_.emplace(font_);
  const QFontMetricsF exact(font_);
  height_ = qCeil(exact.ascent() + exact.descent());
}

render::TextSize FontMeasurer::Measure(std::string_view text) {
  if (!metrics_) SetFont(spec_);
  // The flags a label lays out a plain one-line caption with; the box is
  // wide enough that nothing wraps.
  const QRect box = metrics_->boundingRect(
      QRect(0, 0, 2000, 2000), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextExpandTabs,
      QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size())));
  return {box.width(), height_};
}

}  // namespace korvelin::platform
