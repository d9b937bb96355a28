#include "platform/QtFont.h"

#include <QString>
#include <algorithm>
#include <cmath>

namespace korvelin::platform {
namespace {

// Far beyond any screen, and small enough that the page font of the vector
// plot (the window font times its page factor) stays a 32-bit number.
constexpr double kMaxPixelHeight = 1 << 20;

}  // namespace

QFont ToQFont(const render::FontSpec& font_spec, bool hinted) {
  QFont font(QString::fromStdString(font_spec.name));
  if (!hinted) font.setHintingPreference(QFont::PreferNoHinting);
  font.setPixelSize(std::max(1, font_spec.pixel_height));
  font.setBold(font_spec.bold);
  font.setItalic(font_spec.italic);
  return font;
}

render::FontSpec FromQFont(const QFont& font) {
  const double pixels =
      font.pixelSize() > 0 ? font.pixelSize() : std::round(font.pointSizeF() * 96.0 / 72.0);
  render::FontSpec chosen;
  chosen.name = font.family().toStdString();
  chosen.pixel_height =
      static_cast<int>(std::clamp(std::isfinite(pixels) ? pixels : 1.0, 1.0, kMaxPixelHeight));
  chosen.bold = font.bold();
  chosen.italic = font.italic();
  return chosen;
}

QFont ToDialogFont(const render::FontSpec& font_spec) {
  QFont font(QString::fromStdString(font_spec.name));
  font.setPointSizeF(std::max(1, font_spec.pixel_height) * 72.0 / 96.0);
  font.setBold(font_spec.bold);
  font.setItalic(font_spec.italic);
  return font;
}

}  // namespace korvelin::platform
