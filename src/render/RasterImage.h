#pragma once
// The 8-bit palette surface the screen plot's frame, traces and ticks are
// drawn into. Its one block is laid out byte for byte as a BMP file (file
// header, information header, 256-entry colour table, bottom-up rows of
// exactly W bytes), so it is at once the drawing buffer, the palette and a
// file image. Copying it onto the window is left to the picture canvas.

#include <cstdint>
#include <vector>

#include "render/LargeBlock.h"

namespace korvelin::render {

constexpr int kBmpPixelOffset = 1078;
constexpr int kBmpPaletteOffset = 54;

class RasterImage {
 public:
  bool IsNull() const { return block_.empty(); }
  // Width, height and pixel offset are read from the headers of the block itself.
  int32_t Width() const;
  int32_t Height() const;
  uint8_t* Block() { return block_.data(); }
  const uint8_t* Block() const { return block_.data(); }
  uint32_t BlockSize() const { return static_cast<uint32_t>(block_.size()); }
  uint8_t* Pixels();
  const uint8_t* Pixels() const;
  // Palette entry as 0x00RRGGBB.
  uint32_t PaletteEntry(int index) const;
  // Palette index at drawing coordinate (x, y), y downwards; must be on the surface.
  uint8_t PixelAt(int32_t x, int32_t y) const;

 private:
  friend int32_t NewRasterImage(RasterImage& image, int32_t width, int32_t height);
  friend void ReleaseRasterImage(RasterImage& image);
  LargeBlock block_;
};

// Allocates a zeroed block of 1078 + W * H bytes and writes both headers.
// W must be a positive multiple of 4 and H positive. Returns the block size.
int32_t NewRasterImage(RasterImage& image, int32_t width, int32_t height);
void ReleaseRasterImage(RasterImage& image);

// Writes colour AND 0xFFFFFF as the little-endian word at 54 + 4 * index.
void SetPaletteEntry(RasterImage& image, int index, uint32_t colour);

// Sets every pixel byte to 0; headers and palette stay.
void ClearRasterImage(RasterImage& image);

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
