#include "platform/LabelMeasurer.h"

#include <QString>

#include "platform/QtFont.h"

namespace korvelin::platform {

void LabelMeasurer::SetFont(const render::FontSpec& font) {
  if (label_) label_->setFont(ToQFont(font));
}

render::TextSize LabelMeasurer::Measure(std::string_view text) {
  if (!label_) return {};
  // The axis numbers and the reference text are plain ASCII; other bytes are
  // read as Latin-1, as the document reads wave names.
  label_->setText(QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size())));
  label_->adjustSize();
  return {label_->width(), label_->height()};
}

}  // namespace korvelin::platform
