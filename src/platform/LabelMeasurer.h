#pragma once
// Measures text the way the main window's invisible label `LabelX` does:
// the label is given the font and the text as its caption, sizes itself to
// it, and its width and height are read back. The label is owned by the
// window; this class only drives it.

#include <QLabel>
#include <QPointer>
#include <string_view>

#include "render/Canvas.h"

namespace korvelin::platform {

class LabelMeasurer : public render::TextMeasurer {
 public:
  explicit LabelMeasurer(QLabel* label) : label_(label) {}

  void SetFont(const render::FontSpec& font) override;
  // A label that is gone measures every text as 0 x 0.
  render::TextSize Measure(std::string_view text) override;

 private:
  QPointer<QLabel> label_;
};

}  // namespace korvelin::platform
