#include "platform/QtFont.h"

#include <QString>
#include <algorithm>

namespace korvelin::platform {

QFont ToQFont(const render::FontSpec& spec) {
  QFont font(QString::fromStdString(spec.name));
  font.setPixelSize(std::max(1, spec.pixel_height));
  font.setBold(spec.bold);
  font.setItalic(spec.italic);
  return font;
}

}  // namespace korvelin::platform
