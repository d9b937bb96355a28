#pragma once
// Measures text as the main window's invisible label `LabelX` does, without
// a widget: the width the label takes for a one-line plain text and its
// height, the font's ascent plus descent rounded up. Needing no widget, it
// serves the window, the headless modes and threads that draw pictures.

#include <QFont>
#include <QFontMetricsF>
#include <optional>
#include <string_view>

#include "render/Canvas.h"

namespace korvelin::platform {

class FontMeasurer : public render::TextMeasurer {
 public:
  void SetFont(const render::FontSpec& font) override;
  // Texts are single-byte; bytes above 127 are read as Latin-1, as wave names are.
  render::TextSize Measure(std::string_view text) override;
  // Measures unhinted outlines, as a picture for a screen of a ratio other
  // than 1 draws them.
  void SetHinted(bool hinted);

 private:
  bool hinted_ = true;
  render::FontSpec spec_{};
  QFont font_;
  std::optional<QFontMetrics> metrics_;
  int height_ = 0;
  // The font's size over the size it is measured at; above 1 only for
  // fonts too large for the font engines.
  double scale_ = 1.0;
};

}  // namespace korvelin::platform
