#pragma once
// The two headers that open a BMP file (the 14-byte file header and the
// 40-byte information header) for a picture of bottom-up rows, each padded
// to whole 32-bit words. The colour table that follows the headers and the
// rows are the caller's: the raster surface keeps them in its own block, the
// picture writer streams them to a file.

#include <cstdint>

namespace korvelin::codec {

inline constexpr uint32_t kBmpHeaderSize = 54;
// Where the header keeps the pixels' offset, the width and the height.
inline constexpr uint32_t kBmpPixelOffsetField = 10;
inline constexpr uint32_t kBmpWidthField = 18;
inline constexpr uint32_t kBmpHeightField = 22;

struct BmpLayout {
  uint32_t row_bytes = 0;     // a row's pixel bytes and padding
  uint32_t pixel_offset = 0;  // the headers and the colour table before the rows
  uint64_t file_size = 0;
};

// A picture of width x height at bits_per_pixel (8 or 24) with colours
// entries of four bytes in its colour table. Example: 10 x 2 at 24 bits
// and no table has rows of 30 + 2 bytes, pixels from 54, 118 bytes in all.
BmpLayout BmpLayoutOf(uint32_t width, uint32_t height, int bits_per_pixel, uint32_t colours);

// Writes the 54 header bytes at out. A file past 4 GiB says its size as 0,
// which readers take as unknown; the rows' size wraps as a 32-bit number.
void WriteBmpHeader(uint8_t* out, uint32_t width, uint32_t height, int bits_per_pixel,
                    uint32_t colours);

// Writes the colour table entry at entry: blue, green, red, 0, which is
// colour's 0x00RRGGBB read as a little-endian word.
void WriteBmpColour(uint8_t* entry, uint32_t colour);

}  // namespace korvelin::codec
