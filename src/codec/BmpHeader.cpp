#include "codec/BmpHeader.h"

#include <cstring>

namespace korvelin::codec {
namespace {

void Put16(uint8_t* at, uint32_t v) {
  at[0] = static_cast<uint8_t>(v);
  at[1] = static_cast<uint8_t>(v >> 8);
}

void Put32(uint8_t* at, uint32_t v) {
  for (int i = 0; i < 4; ++i) at[i] = static_cast<uint8_t>(v >> (8 * i));
}

}  // namespace

BmpLayout BmpLayoutOf(uint32_t width, uint32_t height, int bits_per_pixel, uint32_t colours) {
  BmpLayout layout;
  layout.row_bytes = (width * static_cast<uint32_t>(bits_per_pixel / 8) + 3) & ~3u;
  layout.pixel_offset = kBmpHeaderSize + 4 * colours;
  layout.file_size = layout.pixel_offset + uint64_t{layout.row_bytes} * height;
  return layout;
}

void WriteBmpHeader(uint8_t* out, uint32_t width, uint32_t height, int bits_per_pixel,
                    uint32_t colours) {
  const BmpLayout layout = BmpLayoutOf(width, height, bits_per_pixel, colours);
  std::memset(out, 0, kBmpHeaderSize);
  out[0] = 'B';
  out[1] = 'M';
  Put32(out + 2, layout.file_size > UINT32_MAX ? 0 : static_cast<uint32_t>(layout.file_size));
  Put32(out + kBmpPixelOffsetField, layout.pixel_offset);
  Put32(out + 14, 40);  // the information header's size
  Put32(out + kBmpWidthField, width);
  Put32(out + kBmpHeightField, height);  // positive: bottom row first
  Put16(out + 26, 1);                    // planes
  Put16(out + 28, static_cast<uint32_t>(bits_per_pixel));
  Put32(out + 34, layout.row_bytes * height);
  Put32(out + 46, colours);  // colours used
}

void WriteBmpColour(uint8_t* entry, uint32_t colour) { Put32(entry, colour & 0xFFFFFF); }

}  // namespace korvelin::codec
