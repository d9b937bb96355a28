// The raster surface's block written to disk as it is must be a BMP file that
// an independent reader (Qt's) accepts with the same size, palette and pixels.
#include <gtest/gtest.h>

#include <QImage>
#include <QImageReader>
#include <QTemporaryDir>
#include <fstream>
#include <utility>

#include "render/RasterImage.h"
#include "render/RasterLine.h"

namespace korvelin::render {
namespace {

QImage WriteAndRead(const RasterImage& image) {
  QTemporaryDir dir;
  const QString path = dir.filePath("surface.bmp");
  {
    std::ofstream out(path.toStdString(), std::ios::binary);
    out.write(reinterpret_cast<const char*>(image.Block()), image.BlockSize());
  }
  QImageReader reader(path);
  EXPECT_EQ(reader.format(), "bmp");
  return reader.read();
}

TEST(RasterBmp, BlockOnDiskReadsBackWithSizePaletteAndPixels) {
  RasterImage image;
  NewRasterImage(image, 68, 45);
  const std::pair<int, uint32_t> palette[] = {
      {0, 0xFFFFFF}, {1, 0x000000}, {2, 0xFF0000}, {3, 0x0080FF}, {255, 0x123456}};
  for (const auto& [index, rgb] : palette) SetPaletteEntry(image, index, rgb);
  DrawRasterLine(image, 0, 0, 67, 0, 1);    // top row
  DrawRasterLine(image, 0, 44, 67, 44, 2);  // bottom row
  DrawRasterLine(image, 5, 3, 60, 40, 3);
  DrawRasterLine(image, 67, 1, 67, 43, 255);

  const QImage read = WriteAndRead(image);
  ASSERT_FALSE(read.isNull());
  EXPECT_EQ(read.width(), 68);
  EXPECT_EQ(read.height(), 45);
  ASSERT_EQ(read.format(), QImage::Format_Indexed8);
  const QList<QRgb> table = read.colorTable();
  ASSERT_EQ(table.size(), 256);
  for (const auto& [index, rgb] : palette) EXPECT_EQ(table[index], 0xFF000000 | rgb) << index;
  EXPECT_EQ(table[100], qRgb(0, 0, 0));
  for (int y = 0; y < 45; ++y) {
    for (int x = 0; x < 68; ++x) {
      ASSERT_EQ(read.pixelIndex(x, y), image.PixelAt(x, y)) << x << "," << y;
    }
  }
  EXPECT_EQ(read.pixel(10, 0), qRgb(0, 0, 0));  // the top row is row 0 on screen too
  EXPECT_EQ(read.pixel(10, 44), qRgb(255, 0, 0));
}

}  // namespace
}  // namespace korvelin::render
