#include "platform/QtFont.h"

#include <QString>
#include <algorithm>

namespace korvelin::platform {

QFont ToQFont(const render::FontSpec& font_spec) {
  QFont font(QString::fromStdString(font_spec.name));
  font.setPixelSize(std::max(1, font_spec.pixel_height));
  font.setBold(font_spec.bold);
  font.setItalic(font_spec.italic);
  return font;
}

}  // namespace korvelin::platform
