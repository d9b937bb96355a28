#pragma once
// The window's picture and the control that shows it. `PictureBitmap` is the
// picture: a bitmap as large as the client area with the canvas state of a
// device context (pen, brush, font) kept between calls; everything the user
// sees is drawn into it first, by the screen plot, the rubber band and
// Paste String. It needs no widget, so headless modes draw the same bitmap.
// `PictureControl` is the component `Image`: it shows a bitmap at its
// top-left corner, neither stretched nor centred.

#include <QFont>
#include <QImage>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <string_view>

#include "render/Canvas.h"

namespace korvelin::platform {

class PictureBitmap : public render::PictureCanvas {
 public:
  // A new white bitmap of width x height pixels; 0 x 0 gives an empty one.
  void NewPicture(int width, int height);
  QImage& Picture() { return picture_; }
  const QImage& Picture() const { return picture_; }

  void SetPenColor(uint32_t rgb) override { pen_rgb_ = rgb & 0xFFFFFF; }
  void SetPenMode(render::PenMode mode) override { pen_mode_ = mode; }
  void Rectangle(int x1, int y1, int x2, int y2) override;
  void SetBrushColor(uint32_t rgb) override { brush_rgb_ = rgb & 0xFFFFFF; }
  void SetBrushStyle(render::BrushStyle style) override { brush_style_ = style; }
  void FillRect(int left, int top, int right, int bottom) override;
  void SetFont(const render::FontSpec& font) override;
  // Draws unhinted outlines from the next SetFont on (see ToQFont).
  void SetHinted(bool hinted) { hinted_ = hinted; }
  // Text is drawn in black; with a solid brush its box is filled with the
  // brush colour first. Very long texts are cut where they leave the picture.
  void TextOut(int x, int y, std::string_view text) override;
  void BlitRaster(const render::RasterImage& image, int x, int y) override;
  // Passed to the control that shows the bitmap, if any.
  void SetVisible(bool visible) override;
  int Width() const override { return picture_.width(); }
  int Height() const override { return picture_.height(); }

  void OnVisibilityChange(std::function<void(bool)> handler) { on_visible_ = std::move(handler); }
  render::BrushStyle BrushStyle() const { return brush_style_; }
  const QFont& Font() const { return font_; }

 private:
  QImage picture_;
  uint32_t brush_rgb_ = 0xFFFFFF;
  render::BrushStyle brush_style_ = render::BrushStyle::Solid;
  uint32_t pen_rgb_ = 0x000000;
  render::PenMode pen_mode_ = render::PenMode::Copy;
  QFont font_;
  bool hinted_ = true;
  std::function<void(bool)> on_visible_;
};

class PictureControl : public QWidget {
  Q_OBJECT

 public:
  using Guard = std::function<void(const std::function<void()>&)>;

  explicit PictureControl(const PictureBitmap& bitmap, QWidget* parent = nullptr);
  const QImage& Picture() const { return bitmap_.Picture(); }
  // The bitmap's pixels per window pixel: 2 on a screen of ratio 2, where
  // the bitmap is made at device pixels and shown one to one.
  void SetPixelRatio(double ratio) { ratio_ = ratio > 0 ? ratio : 1.0; }
  // Runs the paint, so that a failure reaches the window's error path.
  void SetGuard(Guard guard) { guard_ = std::move(guard); }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  void Paint(QPaintEvent* event);

  const PictureBitmap& bitmap_;
  double ratio_ = 1.0;
  Guard guard_;
};

}  // namespace korvelin::platform
