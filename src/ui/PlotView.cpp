#include "ui/PlotView.h"

#include <QLocale>
#include <algorithm>
#include <cmath>

#include "document/SavedWaves.h"
#include "render/PlotLayout.h"
#include "render/ScreenPlot.h"

namespace korvelin::ui {

PlotView::PlotView(document::GraphDocument& doc, render::TextMeasurer* measurer)
    : doc_(doc), measurer_(measurer != nullptr ? measurer : &font_measurer_) {}

// A layout that fails part-way (no memory for a large picture, a font that
// cannot be measured) lays the view out again at the size it had, so the
// window goes on showing the last good picture, and passes the error on.
void PlotView::Layout(document::PixelSize client) {
  const document::PixelSize before = doc_.ClientSize;
  const bool had_picture = !canvas_.Picture().isNull();
  try {
    LayOutAt(client);
  } catch (...) {
    if (had_picture) {
      try {
        LayOutAt(before);
      } catch (...) {
        // The first failure is the one to report.
      }
    }
    throw;
  }
}

void PlotView::LayOutAt(document::PixelSize client) {
  Arrange(client);
  canvas_.NewPicture(doc_.ClientSize.Width, doc_.ClientSize.Height);
  canvas_.SetFont(DrawingFont());
  // A surface of the same size is cleared in place rather than made anew.
  render::NewRasterImage(raster_, doc_.PlotRect.Right - doc_.PlotRect.Left,
                         doc_.PlotRect.Bottom - doc_.PlotRect.Top);
  render::SetPaletteEntry(raster_, 0, 0xFFFFFF);
  render::SetPaletteEntry(raster_, 1, 0x000000);
  Redraw();
}

void PlotView::Arrange(document::PixelSize client) {
  client = {std::max(0, client.Width), std::max(0, client.Height)};
  doc_.ClientSize = client;
  measurer_->SetFont(DrawingFont());
  // The label is measured whenever the scale is on, also when fixed margins
  // win over the measured ones.
  render::TextSize reference{};
  if (doc_.Settings.ScaleOn) reference = measurer_->Measure(render::kReferenceText);
  doc_.PlotRect = render::ComputePlotRect(client, reference, doc_.Settings);
}

void PlotView::Redraw() {
  render::ScreenPlotTarget target{raster_,  canvas_,       *measurer_,
                                  mapping_, DrawingFont(), decimal_separator_};
  try {
    render::DrawScreenPlot(doc_, target);
  } catch (...) {
    // The redraw hides the picture while it draws; a failure part-way shows
    // it again, as far as it was drawn, rather than leave the window blank.
    canvas_.SetVisible(true);
    throw;
  }
  if (notice_.empty() || raster_.IsNull() || !document::ShowsNothing(doc_)) return;
  // Centred in the plot area, over the frame's white inside.
  measurer_->SetFont(DrawingFont());
  const render::TextSize size = measurer_->Measure(notice_);
  const document::PixelRect& plot = doc_.PlotRect;
  canvas_.TextOut(plot.Left + (plot.Right - plot.Left - size.width) / 2,
                  plot.Top + (plot.Bottom - plot.Top - size.height) / 2, notice_);
}

render::TextSize PlotView::MeasureReference() {
  measurer_->SetFont(DrawingFont());
  return measurer_->Measure(render::kReferenceText);
}

// A ratio that is not a finite number of at least 1/16 is taken as 1.
// On a screen of a ratio other than 1 the toolkit draws text unhinted; the
// picture does so too, in the window and in an export at that scale alike.
void PlotView::SetPixelRatio(double ratio) {
  ratio_ = std::isfinite(ratio) && ratio >= 1.0 / 16 && ratio <= 16 ? ratio : 1.0;
  canvas_.SetHinted(ratio_ == 1.0);
  font_measurer_.SetHinted(ratio_ == 1.0);
}

// At ratio 1 the font is the user's, unchanged; at 2 the 16-pixel font is
// drawn 32 pixels high, at 1.25 20 pixels.
render::FontSpec PlotView::DrawingFont() const {
  if (ratio_ == 1.0) return font_;
  render::FontSpec font = font_;
  font.pixel_height = static_cast<int>(
      std::clamp(std::llround(font_.pixel_height * ratio_), -0x7FFFFFFFLL, 0x7FFFFFFFLL));
  return font;
}

document::PixelSize DevicePixels(document::PixelSize size, double ratio) {
  if (ratio == 1.0) return size;
  const auto scale = [ratio](int32_t side) {
    return static_cast<int32_t>(std::clamp(std::llround(side * ratio), 0LL, 0x7FFFFFFFLL));
  };
  return {scale(size.Width), scale(size.Height)};
}

char LocaleDecimalSeparator() {
  const QString point = QLocale().decimalPoint();
  const char separator = point.isEmpty() ? '.' : point.at(0).toLatin1();
  return separator == 0 ? '.' : separator;
}

}  // namespace korvelin::ui
