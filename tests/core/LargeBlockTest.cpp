#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <utility>

#include "render/LargeBlock.h"
#include "render/RasterImage.h"
#include "render/RasterLine.h"

namespace korvelin::render {
namespace {

TEST(LargeBlock, GivesZeroedBlocksOnHugePageBoundariesAndMovesThem) {
  for (size_t bytes : {size_t{1}, size_t{4096}, size_t{1} << 20, (size_t{3} << 20) + 7}) {
    LargeBlock block(bytes);
    ASSERT_EQ(block.size(), bytes);
    EXPECT_TRUE(std::all_of(block.data(), block.data() + bytes, [](uint8_t b) { return b == 0; }));
    block.data()[bytes - 1] = 7;  // writable to its last byte
    if (bytes >= (size_t{1} << 20)) {
      EXPECT_EQ(reinterpret_cast<uintptr_t>(block.data()) % (size_t{2} << 20), 0u);
    }
    LargeBlock moved(std::move(block));
    EXPECT_TRUE(block.empty());
    EXPECT_EQ(moved.data()[bytes - 1], 7);
  }
  EXPECT_TRUE(LargeBlock(0).empty());
  EXPECT_EQ(LargeBlock(0).data(), nullptr);
}

// A surface made new at the same size is the same memory, zeroed again:
// palette and pixels of the surface before it are gone, as with a new block.
TEST(LargeBlock, ASurfaceOfTheSameSizeIsZeroedInPlace) {
  RasterImage image;
  NewRasterImage(image, 64, 64);
  const uint8_t* block = image.Block();
  SetPaletteEntry(image, 7, 0xFF0000);
  DrawRasterLine(image, 0, 0, 63, 63, 7);
  NewRasterImage(image, 64, 64);
  EXPECT_EQ(image.Block(), block);
  EXPECT_EQ(image.PaletteEntry(7), 0u);
  EXPECT_EQ(image.PixelAt(10, 10), 0);
  EXPECT_EQ(image.Width(), 64);
  NewRasterImage(image, 128, 64);
  EXPECT_EQ(image.Width(), 128);
  EXPECT_EQ(NewRasterImage(image, 66, 64), 0) << "a width that is no multiple of 4";
  EXPECT_TRUE(image.IsNull());
}

}  // namespace
}  // namespace korvelin::render
