// Writing the window's picture as PNG or BMP.

#include <gtest/gtest.h>
#include <zlib.h>

#include <QImage>
#include <QTemporaryDir>
#include <cmath>
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

TEST(PictureFormatOf, ReadsTheExtensionCaseInsensitively) {
  EXPECT_EQ(PictureFormatOf("plot.png"), PictureFormat::Png);
  EXPECT_EQ(PictureFormatOf("/tmp/a.b/PLOT.BMP"), PictureFormat::Bmp);
  EXPECT_EQ(PictureFormatOf("plot.jpg"), std::nullopt);
  EXPECT_EQ(PictureFormatOf("png"), std::nullopt);
  EXPECT_EQ(PictureFormatOf("dir.png/plot"), std::nullopt);
  EXPECT_EQ(PictureFormatOf(""), std::nullopt);
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

// The chunks of a PNG file in order, each as its type and its data, with
// every length and checksum checked on the way.
std::vector<std::pair<std::string, QByteArray>> PngChunks(const QByteArray& png) {
  std::vector<std::pair<std::string, QByteArray>> chunks;
  if (!png.startsWith("\x89PNG\r\n\x1a\n")) return chunks;
  const auto number = [&](qsizetype at) {
    uint32_t value = 0;
    for (int i = 0; i < 4; ++i) value = value << 8 | static_cast<uint8_t>(png[at + i]);
    return value;
  };
  for (qsizetype at = 8; at + 12 <= png.size();) {
    const uint32_t length = number(at);
    if (at + 12 + static_cast<qsizetype>(length) > png.size()) break;
    const QByteArray typed = png.mid(at + 4, 4 + length);
    const auto* bytes = reinterpret_cast<const Bytef*>(typed.data());
    EXPECT_EQ(crc32_z(0, bytes, typed.size()), number(at + 8 + length)) << typed.left(4).data();
    chunks.emplace_back(typed.left(4).toStdString(), typed.mid(4));
    at += 12 + length;
  }
  return chunks;
}

// A placed picture keeps the window's size: 96 dpi said as 3780 pixels a
// metre, F times that for a picture drawn F times as large, and colours said
// to be sRGB, all before the palette and the rows, for palette and colour
// pictures alike.
TEST(EncodePng, StatesResolutionAndColourSpaceBeforeThePixels) {
  QImage many(300, 2, QImage::Format_RGB32);
  for (int x = 0; x < 300; ++x) many.setPixel(x, 0, qRgb(x % 256, x / 256, 7));
  const QByteArray resolution_96("\0\0\x0e\xc4\0\0\x0e\xc4\x01", 9);   // 3780, 3780, metre
  const QByteArray resolution_192("\0\0\x1d\x87\0\0\x1d\x87\x01", 9);  // 7559
  const std::vector<std::string> palette_chunks{"IHDR", "sRGB", "pHYs", "PLTE", "IDAT", "IEND"};
  const std::vector<std::string> colour_chunks{"IHDR", "sRGB", "pHYs", "IDAT", "IEND"};
  const std::pair<QImage, const std::vector<std::string>*> cases[] = {
      {FewColours(), &palette_chunks},
      {*ToExactIndexed8(FewColours()), &palette_chunks},
      {many, &colour_chunks},
  };
  for (const auto& [picture, expected] : cases) {
    std::vector<std::string> types;
    for (const auto& [type, data] : PngChunks(EncodePng(picture))) {
      types.push_back(type);
      if (type == "sRGB") {
        EXPECT_EQ(data, QByteArray(1, '\0'));
      } else if (type == "pHYs") {
        EXPECT_EQ(data, resolution_96);
      }
    }
    EXPECT_EQ(types, *expected);
  }
  const QByteArray doubled = EncodePng(FewColours(), 2 * kScreenDotsPerInch);
  EXPECT_EQ(PngChunks(doubled)[2].second, resolution_192);
  EXPECT_EQ(QImage::fromData(doubled).dotsPerMeterX(), 7559);
  EXPECT_EQ(QImage::fromData(EncodePng(many)).dotsPerMeterY(), 3780);
  EXPECT_EQ(QImage::fromData(EncodePng(many)).colorSpace(), QColorSpace(QColorSpace::SRgb));
  for (const double nonsense : {0.0, -96.0, std::nan("")}) {
    EXPECT_EQ(PngChunks(EncodePng(FewColours(), nonsense))[2].second, resolution_96) << nonsense;
  }
}

TEST(WritePictureFile, WritesPngAndBmpThatReadBackExactly) {
  QTemporaryDir dir;
  QImage many(300, 2, QImage::Format_RGB32);
  for (int x = 0; x < 300; ++x) many.setPixel(x, 0, qRgb(x % 256, x / 256, 7));
  for (int x = 0; x < 300; ++x) many.setPixel(x, 1, qRgb(255, 255, 255));
  for (const QImage& picture : {FewColours(), many}) {
    for (const char* name : {"p.png", "p.BMP"}) {
      const std::string path = dir.filePath(name).toStdString();
      ASSERT_EQ(WritePictureFile(picture, path), "") << name;
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
  const QByteArray png = EncodePng(plot);
  EXPECT_EQ(png, EncodePng(*indexed));
  EXPECT_EQ(testing::PixelsOf(QImage::fromData(png)), plot);
}

TEST(WritePictureFile, ExplainsWhatCouldNotBeWritten) {
  QTemporaryDir dir;
  EXPECT_NE(WritePictureFile(FewColours(), dir.filePath("p.gif").toStdString()), "");
  EXPECT_NE(WritePictureFile(QImage(), dir.filePath("p.png").toStdString()), "");
  EXPECT_NE(WritePictureFile(FewColours(), dir.filePath("missing/p.png").toStdString()), "");
}

}  // namespace
}  // namespace korvelin::platform
