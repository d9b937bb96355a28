#pragma once
// The windowless half of the main window: the picture, the raster surface,
// the text measurer standing in for `LabelX`, the mapping and the one
// redraw. The window shows its picture; `--export`, `--dump --size` and
// every other headless mode use it alone, so menus and dialogs never slow
// an export or shift its layout. The document and the font belong to the
// caller; the view only lays out and draws them.

#include <QImage>
#include <memory>
#include <string>

#include "document/GraphDocument.h"
#include "platform/FontMeasurer.h"
#include "platform/PictureControl.h"
#include "render/Canvas.h"
#include "render/PlotMapping.h"
#include "render/RasterImage.h"

namespace korvelin::ui {

class PlotView {
 public:
  // measurer replaces the font measurement when given (tests use fixed
  // metrics); the view does not own it.
  explicit PlotView(document::GraphDocument& doc, render::TextMeasurer* measurer = nullptr);

  // The layout step for a client area of `client` pixels (device pixels:
  // DevicePixels of the window's size): ClientSize, a new white picture, the
  // margins and PlotRect, a new surface with white and black in palette
  // entries 0 and 1, and the redraw. A failure leaves the previous layout
  // and picture in place.
  void Layout(document::PixelSize client);
  // Only ClientSize and PlotRect, for output that draws no raster (the
  // vector plot); picture and surface stay as they were.
  void Arrange(document::PixelSize client);
  // The one redraw of the plot at the current layout.
  void Redraw();

  void SetFont(const render::FontSpec& font) { font_ = font; }
  // The font as the user chose it, in pixels of a screen of ratio 1.
  const render::FontSpec& Font() const { return font_; }
  // Device pixels per window pixel of the screen the picture is shown on
  // (2 on most laptops, 1.25 or 1.5 on some): the picture is made at device
  // pixels, so its text is measured and drawn in the font at that size.
  void SetPixelRatio(double ratio);
  double PixelRatio() const { return ratio_; }
  // The font the picture is measured and drawn in: Font() at PixelRatio().
  render::FontSpec DrawingFont() const;
  void SetDecimalSeparator(char separator) { decimal_separator_ = separator; }
  // A short text drawn in the middle of the plot area by every redraw while
  // no trace has a point to show; the window says so for a file that shows
  // nothing. Empty: none.
  void SetNotice(std::string notice) { notice_ = std::move(notice); }
  char DecimalSeparator() const { return decimal_separator_; }

  // The size of the reference text "-000000" in the font.
  render::TextSize MeasureReference();

  render::TextMeasurer& Measurer() { return *measurer_; }
  platform::PictureBitmap& Canvas() { return canvas_; }
  const platform::PictureBitmap& Canvas() const { return canvas_; }
  const QImage& Picture() const { return canvas_.Picture(); }
  const render::RasterImage& Raster() const { return raster_; }
  document::GraphDocument& Document() { return doc_; }

 private:
  void LayOutAt(document::PixelSize client);

  document::GraphDocument& doc_;
  render::FontSpec font_{};
  double ratio_ = 1.0;
  char decimal_separator_ = '.';
  std::string notice_;
  platform::FontMeasurer font_measurer_;
  render::TextMeasurer* measurer_;
  platform::PictureBitmap canvas_;
  render::RasterImage raster_;
  render::PlotMapping mapping_{};
};

// A size in window pixels as device pixels at the given ratio, rounded to
// the nearest: 640 x 480 at 1.5 is 960 x 720.
document::PixelSize DevicePixels(document::PixelSize size, double ratio);

// The decimal separator of the user's locale, read once by the caller.
char LocaleDecimalSeparator();

}  // namespace korvelin::ui
