// Writing the window's picture as PNG or BMP.

#include <gtest/gtest.h>

#include <QImage>
#include <QTemporaryDir>
#include <string>
#include <utility>
#include <vector>

#include "PixelsOf.h"
#include "platform/PictureFile.h"
#include "platform/PngWriter.h"

namespace korvelin::platform {
namespace {

QImage FewColours() {
  QImage picture(64, 32, QImage::Format_RGB32);
  picture.fill(Qt::white);
  for (int x = 0; x < 64; ++x) picture.setPixel(x, x / 2, qRgb(x * 4, 0, 255 - x * 4));
  return picture;
}

TEST(ToExactIndexed8, KeepsEveryColourOrGivesUp) {
  const QImage picture = FewColours();
  const std::optional<QImage> indexed = ToExactIndexed8(picture);
  ASSERT_TRUE(indexed);
  EXPECT_EQ(indexed->colorCount(), 65);
  // In the order first seen along row 0: (0, 0), (1, 0), then white.
  EXPECT_EQ(indexed->color(0), qRgb(0, 0, 255));
  EXPECT_EQ(indexed->color(1), qRgb(4, 0, 251));
  EXPECT_EQ(indexed->color(2), qRgb(255, 255, 255));
  EXPECT_EQ(indexed->convertToFormat(QImage::Format_RGB32), picture);

  QImage many(300, 1, QImage::Format_RGB32);
  for (int x = 0; x < 300; ++x) many.setPixel(x, 0, qRgb(x % 256, x / 256, 0));
  EXPECT_FALSE(ToExactIndexed8(many));
  many.setPixel(299, 0, many.pixel(0, 0));
  QImage exactly256 = many.copy(0, 0, 256, 1);
  EXPECT_TRUE(ToExactIndexed8(exactly256));
}

// A placed picture keeps the window's size: 96 dpi, F times that for a
// picture drawn F times as large, and colours said to be sRGB, for palette
// and colour pictures alike (the chunks themselves are codec/PngChunks').
TEST(EncodePng, StatesResolutionAndColourSpace) {
  QImage many(300, 2, QImage::Format_RGB32);
  for (int x = 0; x < 300; ++x) many.setPixel(x, 0, qRgb(x % 256, x / 256, 7));
  constexpr int kColourTypeAt = 8 + 8 + 9;  // signature, IHDR's length and type, size, depth
  const std::pair<QImage, char> cases[] = {
      {FewColours(), 3},
      {*ToExactIndexed8(FewColours()), 3},
      {many, 2},
  };
  for (const auto& [picture, colour_type] : cases) {
    const QByteArray png = EncodePng(picture).value();
    ASSERT_GT(png.size(), kColourTypeAt);
    EXPECT_EQ(png[kColourTypeAt], colour_type);
    const QImage read = QImage::fromData(png);
    EXPECT_EQ(read.dotsPerMeterX(), 3780);
    EXPECT_EQ(read.dotsPerMeterY(), 3780);
    EXPECT_EQ(read.colorSpace(), QColorSpace(QColorSpace::SRgb));
  }
  const QImage doubled = QImage::fromData(EncodePng(FewColours(), 2 * kScreenDotsPerInch).value());
  EXPECT_EQ(doubled.dotsPerMeterX(), 7559);
}

TEST(WritePictureFile, WritesPngAndBmpThatReadBackExactly) {
  QTemporaryDir dir;
  QImage many(300, 2, QImage::Format_RGB32);
  for (int x = 0; x < 300; ++x) many.setPixel(x, 0, qRgb(x % 256, x / 256, 7));
  for (int x = 0; x < 300; ++x) many.setPixel(x, 1, qRgb(255, 255, 255));
  for (const QImage& picture : {FewColours(), many}) {
    for (const auto& [name, format] :
         {std::pair{"p.png", PictureFormat::Png}, std::pair{"p.BMP", PictureFormat::Bmp}}) {
      const std::string path = dir.filePath(name).toStdString();
      ASSERT_TRUE(WritePictureFile(picture, path, format).ok()) << name;
      EXPECT_EQ(testing::PixelsOf(QImage(QString::fromStdString(path))), picture) << name;
    }
  }
}

// The file and the clipboard get the same PNG, whether the encoder is given
// the picture or its palette image.
TEST(EncodePng, APictureAndItsPaletteImageMakeTheSameBytes) {
  QImage plot(97, 31, QImage::Format_RGB32);
  plot.fill(Qt::white);
  for (int x = 0; x < 97; ++x) plot.setPixel(x, (x * 7) % 31, qRgb(x, 255 - x, x / 2));
  const std::optional<QImage> indexed = ToExactIndexed8(plot);
  ASSERT_TRUE(indexed);
  const QByteArray png = EncodePng(plot).value();
  EXPECT_EQ(png, EncodePng(*indexed).value());
  EXPECT_EQ(testing::PixelsOf(QImage::fromData(png)), plot);
}

TEST(WritePictureFile, ExplainsWhatCouldNotBeWritten) {
  QTemporaryDir dir;
  EXPECT_EQ(
      WritePictureFile(QImage(), dir.filePath("p.png").toStdString(), PictureFormat::Png).reason(),
      "the picture is empty");
  EXPECT_EQ(WritePictureFile(FewColours(), dir.filePath("missing/p.png").toStdString(),
                             PictureFormat::Png)
                .reason(),
            "No such file or directory");
}

}  // namespace
}  // namespace korvelin::platform
