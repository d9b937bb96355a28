#pragma once
// The picture control `Image` of the main window and the canvas of its
// picture. The control shows a bitmap (a QImage) at its top-left corner,
// neither stretched nor centred; everything the user sees is drawn into
// that bitmap first. When and at which size the bitmap is re-created is
// the window's business.

#include <QFont>
#include <QImage>
#include <QWidget>
#include <cstdint>
#include <string_view>

#include "render/Canvas.h"

namespace korvelin::platform {

class PictureControl : public QWidget {
  Q_OBJECT

 public:
  explicit PictureControl(QWidget* parent = nullptr);

  // A new white bitmap of width x height pixels; 0 x 0 gives an empty one.
  void NewPicture(int width, int height);
  QImage& Picture() { return picture_; }
  const QImage& Picture() const { return picture_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QImage picture_;
};

// The canvas of the control's bitmap. Like a device context it keeps a
// brush, a font and a pen between calls; text is drawn in the pen colour
// with a transparent background unless the brush style is solid, in which
// case the text's box is filled with the brush colour first.
class PictureControlCanvas : public render::PictureCanvas {
 public:
  explicit PictureControlCanvas(PictureControl& control) : control_(control) {}

  void SetBrushColor(uint32_t rgb) override { brush_rgb_ = rgb & 0xFFFFFF; }
  void SetBrushStyle(render::BrushStyle style) override { brush_style_ = style; }
  void FillRect(int left, int top, int right, int bottom) override;
  void SetFont(const render::FontSpec& font) override;
  void TextOut(int x, int y, std::string_view text) override;
  void BlitRaster(const render::RasterImage& image, int x, int y) override;
  void SetVisible(bool visible) override;
  int Width() const override { return control_.Picture().width(); }
  int Height() const override { return control_.Picture().height(); }

  // The pen of outline rectangles: one pixel wide, copied or exclusive-ored
  // onto the picture. Exclusive-or drawing twice restores the pixels, which
  // is how a rubber band is erased.
  enum class PenMode { Copy, Xor };
  void SetPenColor(uint32_t rgb) { pen_rgb_ = rgb & 0xFFFFFF; }
  void SetPenMode(PenMode mode) { pen_mode_ = mode; }
  // The outline of the rectangle with corners (x1, y1) and (x2, y2), the far
  // column and row left out as the platform's rectangle call does: corners
  // (10, 10) and (13, 12) set columns 10..12 of rows 10 and 11. Every pixel
  // of the outline is touched once; the parts off the picture are left out.
  void Rectangle(int x1, int y1, int x2, int y2);

  render::BrushStyle BrushStyle() const { return brush_style_; }
  const QFont& Font() const { return font_; }

 private:
  PictureControl& control_;
  uint32_t brush_rgb_ = 0xFFFFFF;
  render::BrushStyle brush_style_ = render::BrushStyle::Solid;
  uint32_t pen_rgb_ = 0x000000;
  PenMode pen_mode_ = PenMode::Copy;
  QFont font_;
};

}  // namespace korvelin::platform
