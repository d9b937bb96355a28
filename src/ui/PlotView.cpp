#include "ui/PlotView.h"

#include <QLocale>

#include "document/IgorSavedFiles.h"
#include "render/PlotLayout.h"
#include "render/ScreenPlot.h"

namespace korvelin::ui {

PlotView::PlotView(document::GraphDocument& doc, render::TextMeasurer* measurer)
    : doc_(doc), measurer_(measurer != nullptr ? measurer : &font_measurer_) {}

void PlotView::Layout(document::PixelSize client) {
  Arrange(client);
  canvas_.NewPicture(doc_.ClientSize.Width, doc_.ClientSize.Height);
  canvas_.SetFont(font_);
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
  measurer_->SetFont(font_);
  // The label is measured whenever the scale is on, also when fixed margins
  // win over the measured ones.
  render::TextSize reference{};
  if (doc_.Settings.ScaleOn) reference = measurer_->Measure(render::kReferenceText);
  doc_.PlotRect = render::ComputePlotRect(client, reference, doc_.Settings);
}

void PlotView::Redraw() {
  render::ScreenPlotTarget target{raster_,  canvas_, *measurer_,
                                  mapping_, font_,   decimal_separator_};
  render::DrawScreenPlot(doc_, target);
  if (notice_.empty() || raster_.IsNull() || !document::ShowsNothing(doc_)) return;
  // Centred in the plot area, over the frame's white inside.
  measurer_->SetFont(font_);
  const render::TextSize size = measurer_->Measure(notice_);
  const document::PixelRect& plot = doc_.PlotRect;
  canvas_.TextOut(plot.Left + (plot.Right - plot.Left - size.width) / 2,
                  plot.Top + (plot.Bottom - plot.Top - size.height) / 2, notice_);
}

render::TextSize PlotView::MeasureReference() {
  measurer_->SetFont(font_);
  return measurer_->Measure(render::kReferenceText);
}

char LocaleDecimalSeparator() {
  const QString point = QLocale().decimalPoint();
  const char separator = point.isEmpty() ? '.' : point.at(0).toLatin1();
  return separator == 0 ? '.' : separator;
}

}  // namespace korvelin::ui
