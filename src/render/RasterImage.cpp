// The raster surface: one block laid out as a BMP file (its headers are
// codec/BmpHeader's) and its palette. Drawing into it is left to the line
// drawer (RasterLine), which colour goes into which palette entry to the
// trace drawer and the screen plot, showing the block on the window to the
// picture canvas.

#include "render/RasterImage.h"

#include <cstring>
#include <limits>

#include "codec/BmpHeader.h"

namespace korvelin::render {
namespace {

uint32_t Get32(const uint8_t* at) {
  return uint32_t{at[0]} | uint32_t{at[1]} << 8 | uint32_t{at[2]} << 16 | uint32_t{at[3]} << 24;
}

}  // namespace

int32_t RasterImage::Width() const {
  return IsNull() ? 0 : static_cast<int32_t>(Get32(Block() + codec::kBmpWidthField));
}

int32_t RasterImage::Height() const {
  return IsNull() ? 0 : static_cast<int32_t>(Get32(Block() + codec::kBmpHeightField));
}

uint8_t* RasterImage::Pixels() {
  return IsNull() ? nullptr : Block() + Get32(Block() + codec::kBmpPixelOffsetField);
}

const uint8_t* RasterImage::Pixels() const {
  return IsNull() ? nullptr : Block() + Get32(Block() + codec::kBmpPixelOffsetField);
}

uint32_t RasterImage::PaletteEntry(int index) const {
  if (IsNull() || index < 0 || index > 255) return 0;
  return Get32(Block() + kBmpPaletteOffset + 4 * index);
}

// Row y = 0 is the last row in memory: pixel (0, 0) is the byte at
// 1078 + (H - 1) * W. Off the surface the answer is 0, the background.
uint8_t RasterImage::PixelAt(int32_t x, int32_t y) const {
  const int32_t w = Width();
  const int32_t h = Height();
  if (x < 0 || y < 0 || x >= w || y >= h) return 0;
  return Pixels()[static_cast<int64_t>(h - 1 - y) * w + x];
}

// A size the BMP layout cannot describe (width not a positive multiple of 4,
// height not positive, block beyond 2 GiB) leaves the image null and returns
// 0, so that no later drawing call can write past a block.
int32_t NewRasterImage(RasterImage& image, int32_t width, int32_t height) {
  const int64_t size = kBmpPixelOffset + int64_t{width} * height;
  const bool valid =
      width > 0 && height > 0 && width % 4 == 0 && size <= std::numeric_limits<int32_t>::max();
  if (valid && image.block_.size() == static_cast<size_t>(size)) {
    // A surface of the same size is made new in place: zeroed, as a fresh
    // block is, without giving the memory back and faulting it in again.
    std::memset(image.block_.data(), 0, image.block_.size());
  } else {
    image.block_ = LargeBlock();
    if (!valid) return 0;
    image.block_ = LargeBlock(static_cast<size_t>(size));  // zeroed
  }
  // The colour table after the headers stays zero, that is every entry black.
  codec::WriteBmpHeader(image.block_.data(), static_cast<uint32_t>(width),
                        static_cast<uint32_t>(height), 8, 256);
  return static_cast<int32_t>(size);
}

void ReleaseRasterImage(RasterImage& image) { image.block_ = LargeBlock(); }

// Indices outside the table are ignored.
void SetPaletteEntry(RasterImage& image, int index, uint32_t colour) {
  if (image.IsNull() || index < 0 || index > 255) return;
  codec::WriteBmpColour(image.Block() + kBmpPaletteOffset + 4 * index, colour);
}

void ClearRasterImage(RasterImage& image) {
  if (image.IsNull()) return;
  std::memset(image.Pixels(), 0, static_cast<size_t>(image.Width()) * image.Height());
}

}  // namespace korvelin::render
