#pragma once
// Draws lines of one palette index into the raster surface: the frame, the
// traces and the ticks of the screen plot. Only the pixels on the surface
// are set, and a line towards a point far off the plot costs no more than
// its visible part. Which index a line gets is the caller's.

#include <cstdint>

#include "render/RasterImage.h"

namespace korvelin::render {

// Sets the pixels of the line from (x1, y1) to (x2, y2), both ends included,
// that lie on the surface, to the low byte of colour.
void DrawRasterLine(RasterImage& image, int64_t x1, int64_t y1, int64_t x2, int64_t y2,
                    uint32_t colour);

// Draws many lines onto one surface, as DrawRasterLine does, with the size
// read from the headers once. A trace's segments mostly join neighbouring
// pixels; those are set here inline and everything else goes to the drawer.
// The surface must not be re-created or released while the drawer is used.
class RasterLineDrawer {
 public:
  explicit RasterLineDrawer(RasterImage& image)
      : image_(image),
        pixels_(image.Pixels()),
        w_(static_cast<uint64_t>(image.Width())),
        h_(static_cast<uint64_t>(image.Height())) {}

  void Draw(int64_t x1, int64_t y1, int64_t x2, int64_t y2, uint32_t colour) {
    // Both ends on the surface and at most one step apart: the two ends are
    // the whole line. Unsigned compares fold the lower bounds into the upper.
    const bool on = (static_cast<uint64_t>(x1) < w_) & (static_cast<uint64_t>(x2) < w_) &
                    (static_cast<uint64_t>(y1) < h_) & (static_cast<uint64_t>(y2) < h_);
    const bool near = (static_cast<uint64_t>(x2) - static_cast<uint64_t>(x1) + 1 <= 2) &
                      (static_cast<uint64_t>(y2) - static_cast<uint64_t>(y1) + 1 <= 2);
    if (on && near) {
      const auto value = static_cast<uint8_t>(colour);
      pixels_[(h_ - 1 - static_cast<uint64_t>(y1)) * w_ + static_cast<uint64_t>(x1)] = value;
      pixels_[(h_ - 1 - static_cast<uint64_t>(y2)) * w_ + static_cast<uint64_t>(x2)] = value;
      return;
    }
    DrawRasterLine(image_, x1, y1, x2, y2, colour);
  }

 private:
  RasterImage& image_;
  uint8_t* pixels_;
  uint64_t w_;
  uint64_t h_;
};

}  // namespace korvelin::render
