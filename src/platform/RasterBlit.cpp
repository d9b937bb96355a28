#include "platform/RasterBlit.h"

#include <algorithm>
#include <array>

namespace korvelin::platform {
namespace {

std::array<QRgb, 256> OpaquePalette(const render::RasterImage& raster) {
  std::array<QRgb, 256> table{};
  for (int i = 0; i < 256; ++i) table[i] = 0xFF000000u | raster.PaletteEntry(i);
  return table;
}

}  // namespace

QImage WrapRasterImage(const render::RasterImage& raster) {
  if (raster.IsNull()) return {};
  QImage view(raster.Pixels(), raster.Width(), raster.Height(), raster.Width(),
              QImage::Format_Indexed8);
  const std::array<QRgb, 256> table = OpaquePalette(raster);
  view.setColorTable(QList<QRgb>(table.begin(), table.end()));
  return view;
}

void BlitRasterImage(QImage& picture, int x, int y, const render::RasterImage& raster) {
  if (raster.IsNull() || picture.isNull()) return;
  if (picture.depth() != 32) return;
  const int width = raster.Width();
  const int height = raster.Height();
  // Clip to the picture: with the plot at (60, 14) and 552 x 434 pixels on a
  // 600 x 400 picture, columns 60..599 and rows 14..399 are copied.
  const int left = std::max(0, x);
  const int right = std::min(picture.width(), x + width);
  const int top = std::max(0, y);
  const int bottom = std::min(picture.height(), y + height);
  if (left >= right || top >= bottom) return;

  const std::array<QRgb, 256> table = OpaquePalette(raster);
  const QImage view = WrapRasterImage(raster);
  for (int py = top; py < bottom; ++py) {
    // Drawing row r of the surface is scan line H - 1 - r of the bottom-up block.
    const uchar* source = view.constScanLine(height - 1 - (py - y)) + (left - x);
    QRgb* target = reinterpret_cast<QRgb*>(picture.scanLine(py)) + left;
    for (int i = 0; i < right - left; ++i) target[i] = table[source[i]];
  }
}

}  // namespace korvelin::platform
