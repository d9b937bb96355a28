// The raster surface's block: its BMP headers, the sizes it refuses, its
// bottom-up rows and its palette.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "RasterPixels.h"
#include "render/RasterImage.h"
#include "render/RasterLine.h"

namespace korvelin::render {
namespace {

uint32_t Word(const RasterImage& image, int offset) {
  uint32_t v = 0;
  std::memcpy(&v, image.Block() + offset, 4);  // the test machine is little-endian
  return v;
}

TEST(NewRasterImage, WritesBmpHeadersAndZeroes) {
  RasterImage image;
  EXPECT_EQ(NewRasterImage(image, 64, 64), 5174);
  ASSERT_EQ(image.BlockSize(), 5174u);
  EXPECT_EQ(std::string(image.Block(), image.Block() + 2), "BM");
  // Each header word at its offset: sizes, planes 1 and 8 bits a pixel at 26,
  // no compression, the row bytes and a 256-colour palette.
  const std::pair<int, uint32_t> words[] = {{2, 5174}, {10, 1078},       {14, 40}, {18, 64},
                                            {22, 64},  {26, 0x00080001}, {30, 0},  {34, 4096},
                                            {46, 256}, {50, 0}};
  for (const auto& [offset, value] : words) EXPECT_EQ(Word(image, offset), value) << offset;
  for (uint32_t i = 54; i < image.BlockSize(); ++i) ASSERT_EQ(image.Block()[i], 0) << i;
  EXPECT_EQ(std::pair(image.Width(), image.Height()), std::pair(64, 64));
}

TEST(NewRasterImage, RefusesSizesTheLayoutCannotHold) {
  RasterImage image;
  EXPECT_EQ(NewRasterImage(image, 66, 64), 0);  // rows would need padding
  EXPECT_TRUE(image.IsNull());
  EXPECT_EQ(NewRasterImage(image, 0, 64), 0);
  EXPECT_EQ(NewRasterImage(image, 64, -1), 0);
  EXPECT_EQ(NewRasterImage(image, 1 << 16, 1 << 16), 0);  // beyond 2 GiB
  EXPECT_TRUE(image.IsNull());
  // Drawing on a null surface is a no-op, not a crash.
  DrawRasterLine(image, 0, 0, 10, 10, 1);
  SetPaletteEntry(image, 2, 0xFF0000);
  ClearRasterImage(image);
  EXPECT_TRUE(image.IsNull());
}

TEST(RasterImage, ReleaseEmptiesAndRowsAreStoredBottomUp) {
  RasterImage image;
  NewRasterImage(image, 64, 32);
  DrawRasterLine(image, 0, 0, 0, 0, 5);
  DrawRasterLine(image, 0, 31, 0, 31, 6);
  EXPECT_EQ(image.Block()[1078 + 31 * 64], 5);  // pixel (0, 0): last row in memory
  EXPECT_EQ(image.Block()[1078], 6);            // pixel (0, H - 1): first row
  ClearRasterImage(image);
  EXPECT_TRUE(SetPixels(image).empty());
  EXPECT_EQ(Word(image, 2), 1078u + 64 * 32);
  ReleaseRasterImage(image);
  EXPECT_TRUE(image.IsNull());
  EXPECT_EQ(image.Width(), 0);
}

TEST(SetPaletteEntry, StoresBlueGreenRedZeroAndIgnoresIndicesOutsideTheTable) {
  RasterImage image;
  NewRasterImage(image, 64, 64);
  SetPaletteEntry(image, 2, 0xFF0000);
  EXPECT_EQ(std::vector<uint8_t>(image.Block() + 62, image.Block() + 66),
            (std::vector<uint8_t>{0x00, 0x00, 0xFF, 0x00}));
  SetPaletteEntry(image, 255, 0xAB123456);  // the top byte never reaches the table
  EXPECT_EQ(image.PaletteEntry(255), 0x123456u);
  std::vector<uint8_t> before(image.Block(), image.Block() + image.BlockSize());
  SetPaletteEntry(image, 256, 0xFFFFFF);
  SetPaletteEntry(image, -1, 0xFFFFFF);
  EXPECT_TRUE(std::equal(before.begin(), before.end(), image.Block()));
}

}  // namespace
}  // namespace korvelin::render
