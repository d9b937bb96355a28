// The BMP headers field by field, for the raster surface's 8-bit layout and
// the picture writer's 24-bit one with its padded rows.

#include <gtest/gtest.h>

#include <array>
#include <cstdint>

#include "codec/BmpHeader.h"

namespace korvelin::codec {
namespace {

uint32_t Get(const std::array<uint8_t, kBmpHeaderSize>& header, size_t at, int bytes) {
  uint32_t value = 0;
  for (int i = bytes - 1; i >= 0; --i) value = value << 8 | header[at + i];
  return value;
}

struct Case {
  uint32_t width, height;
  int bits;
  uint32_t colours;
  uint32_t row_bytes, offset, file_size;
};

TEST(WriteBmpHeader, WritesTheFieldsReadersUse) {
  const Case cases[] = {
      {640, 480, 8, 256, 640, 1078, 1078 + 640 * 480},  // the raster surface
      {10, 2, 24, 0, 32, 54, 118},                      // 30 pixel bytes, 2 of padding
      {3, 1, 8, 65, 4, 314, 318},                       // a picture's exact palette
  };
  for (const Case& c : cases) {
    const BmpLayout layout = BmpLayoutOf(c.width, c.height, c.bits, c.colours);
    EXPECT_EQ(layout.row_bytes, c.row_bytes) << c.width;
    EXPECT_EQ(layout.pixel_offset, c.offset) << c.width;
    EXPECT_EQ(layout.file_size, c.file_size) << c.width;
    std::array<uint8_t, kBmpHeaderSize> header;
    header.fill(0xEE);
    WriteBmpHeader(header.data(), c.width, c.height, c.bits, c.colours);
    EXPECT_EQ(header[0], 'B');
    EXPECT_EQ(header[1], 'M');
    EXPECT_EQ(Get(header, 2, 4), c.file_size);
    EXPECT_EQ(Get(header, 6, 4), 0u) << "reserved";
    EXPECT_EQ(Get(header, kBmpPixelOffsetField, 4), c.offset);
    EXPECT_EQ(Get(header, 14, 4), 40u);
    EXPECT_EQ(Get(header, kBmpWidthField, 4), c.width);
    EXPECT_EQ(Get(header, kBmpHeightField, 4), c.height);
    EXPECT_EQ(Get(header, 26, 2), 1u);
    EXPECT_EQ(Get(header, 28, 2), static_cast<uint32_t>(c.bits));
    EXPECT_EQ(Get(header, 30, 4), 0u) << "not compressed";
    EXPECT_EQ(Get(header, 34, 4), c.row_bytes * c.height);
    EXPECT_EQ(Get(header, 38, 4) | Get(header, 42, 4) | Get(header, 50, 4), 0u);
    EXPECT_EQ(Get(header, 46, 4), c.colours);
  }
  // Past 4 GiB the size is unknown, said as 0.
  std::array<uint8_t, kBmpHeaderSize> huge{};
  WriteBmpHeader(huge.data(), 40000, 40000, 24, 0);
  EXPECT_EQ(Get(huge, 2, 4), 0u);
  EXPECT_EQ(BmpLayoutOf(40000, 40000, 24, 0).file_size, 54 + uint64_t{120000} * 40000);

  std::array<uint8_t, 4> entry{};
  WriteBmpColour(entry.data(), 0xAB123456);
  EXPECT_EQ(entry, (std::array<uint8_t, 4>{0x56, 0x34, 0x12, 0}));
}

}  // namespace
}  // namespace korvelin::codec
