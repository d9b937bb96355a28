#pragma once
// Small pattern files written by the toolkit tests into a temporary folder,
// and the checks they share on the window's picture.

#include <QImage>
#include <QTemporaryDir>
#include <cstdint>
#include <fstream>
#include <string>

#include "document/GraphDocument.h"
#include "render/RasterImage.h"

namespace korvelin::testing {

// A diagonal from (1, 1) to (9, 9) in one colour on axes 0..10 by 0..right.
inline std::string DiagonalPattern(const char* rgb16 = "(65535,0,0)", int right = 10) {
  return "IGOR\r\nWAVES/D px, py\r\nBEGIN\r\n1 1\r\n3 3\r\n5 5\r\n7 7\r\n9 9\r\nEND\r\n"
         "X Display py vs px\r\n"
         "X ModifyGraph rgb(py)=" +
         std::string(rgb16) + ", lsize(py)=1\r\nX SetAxis bottom 0, " + std::to_string(right) +
         "\r\nX SetAxis left 0, 10\r\n";
}

class PatternDir {
 public:
  std::string Write(const std::string& name, const std::string& text) const {
    const std::string path = dir_.filePath(QString::fromStdString(name)).toStdString();
    std::ofstream(path, std::ios::binary) << text;
    return path;
  }
  std::string Path(const std::string& name) const {
    return dir_.filePath(QString::fromStdString(name)).toStdString();
  }

 private:
  QTemporaryDir dir_;
};

// How many pixels of the picture inside rect have exactly colour (0x00RRGGBB).
inline int CountColour(const QImage& picture, const document::PixelRect& rect, uint32_t colour) {
  int count = 0;
  for (int y = std::max(0, rect.Top); y < std::min(picture.height(), rect.Bottom); ++y) {
    for (int x = std::max(0, rect.Left); x < std::min(picture.width(), rect.Right); ++x) {
      if ((picture.pixel(x, y) & 0xFFFFFF) == colour) ++count;
    }
  }
  return count;
}

// The first pixel of the plot area where the picture differs from the
// raster surface seen through its palette, or -1 when they agree everywhere
// the plot lies on the picture.
inline int64_t FirstDifferenceFromRaster(const QImage& picture, const render::RasterImage& raster,
                                         const document::PixelRect& plot) {
  for (int y = 0; y < raster.Height(); ++y) {
    for (int x = 0; x < raster.Width(); ++x) {
      const int px = plot.Left + x;
      const int py = plot.Top + y;
      if (px < 0 || py < 0 || px >= picture.width() || py >= picture.height()) continue;
      if ((picture.pixel(px, py) & 0xFFFFFF) != raster.PaletteEntry(raster.PixelAt(x, y))) {
        return int64_t{y} * raster.Width() + x;
      }
    }
  }
  return -1;
}

}  // namespace korvelin::testing
