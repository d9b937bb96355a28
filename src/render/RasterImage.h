#pragma once
// The 8-bit palette surface the screen plot's frame, traces and ticks are
// drawn into. Its one block is laid out byte for byte as a BMP file (file
// header, information header, 256-entry colour table, bottom-up rows of
// exactly W bytes), so it is at once the drawing buffer, the palette and a
// file image. Drawing lines into it is left to RasterLine, copying it onto
// the window to the picture canvas.

#include <cstdint>
#include <vector>

#include "codec/BmpHeader.h"
#include "render/LargeBlock.h"

namespace korvelin::render {

// The colour table follows the two headers; the rows follow its 256 entries.
constexpr int kBmpPaletteOffset = static_cast<int>(codec::kBmpHeaderSize);
constexpr int kBmpPixelOffset = kBmpPaletteOffset + 4 * 256;

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

}  // namespace korvelin::render
