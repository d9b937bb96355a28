// The PNG file around its rows: the chunks in the order readers look for
// them, each with its length and a CRC that zlib agrees with, and the
// resolution as pixels a metre.

#include <gtest/gtest.h>
#include <zlib.h>

#include <cmath>
#include <string>
#include <utility>
#include <vector>

#include "codec/PngChunks.h"

namespace korvelin::codec {
namespace {

uint32_t Number(const std::string& bytes, size_t at) {
  uint32_t value = 0;
  for (int i = 0; i < 4; ++i) value = value << 8 | static_cast<uint8_t>(bytes[at + i]);
  return value;
}

// The chunks in order, each as its type and its data, with every length and
// checksum checked on the way.
std::vector<std::pair<std::string, std::string>> Chunks(const std::string& png) {
  std::vector<std::pair<std::string, std::string>> chunks;
  EXPECT_EQ(png.substr(0, 8), std::string("\x89PNG\r\n\x1a\n", 8));
  size_t at = 8;
  while (at + 12 <= png.size()) {
    const uint32_t length = Number(png, at);
    if (at + 12 + length > png.size()) break;
    const std::string typed = png.substr(at + 4, 4 + length);
    const auto* bytes = reinterpret_cast<const Bytef*>(typed.data());
    EXPECT_EQ(crc32_z(0, bytes, typed.size()), Number(png, at + 8 + length)) << typed.substr(0, 4);
    chunks.emplace_back(typed.substr(0, 4), typed.substr(4));
    at += 12 + length;
  }
  EXPECT_EQ(at, png.size()) << "bytes after the last whole chunk";
  return chunks;
}

// sRGB and pHYs come before the palette and the rows, for palette and
// colour pictures alike; the palette is red, green, blue per colour.
TEST(PngFile, WritesEveryChunkInTheOrderReadersLookForIt) {
  const uint32_t palette[] = {0x102030, 0xFFFFFF, 0x0000FF};
  const std::string png = PngFile({640, 2, true, palette}, "rows", kScreenDotsPerInch);
  const std::vector<std::pair<std::string, std::string>> expected{
      {"IHDR", std::string("\0\0\x02\x80\0\0\0\x02\x08\x03\0\0\0", 13)},
      {"sRGB", std::string(1, '\0')},
      {"pHYs", std::string("\0\0\x0e\xc4\0\0\x0e\xc4\x01", 9)},  // 3780, 3780, metre
      {"PLTE", std::string("\x10\x20\x30\xff\xff\xff\0\0\xff", 9)},
      {"IDAT", "rows"},
      {"IEND", ""},
  };
  EXPECT_EQ(Chunks(png), expected);
  EXPECT_EQ(png.substr(png.size() - 4), "\xae\x42\x60\x82") << "the end's well-known CRC";

  const std::vector<std::pair<std::string, std::string>> colour =
      Chunks(PngFile({3, 1, false, {}}, "", 2 * kScreenDotsPerInch));
  ASSERT_EQ(colour.size(), 5u);
  EXPECT_EQ(colour[0].second, std::string("\0\0\0\x03\0\0\0\x01\x08\x02\0\0\0", 13));
  EXPECT_EQ(colour[2].second, std::string("\0\0\x1d\x87\0\0\x1d\x87\x01", 9));  // 7559
  EXPECT_EQ(colour[3].first, "IDAT");
}

TEST(PixelsPerMetre, RoundsToWholePixelsAndRefusesNonsense) {
  EXPECT_EQ(PixelsPerMetre(96), 3780u);
  EXPECT_EQ(PixelsPerMetre(192), 7559u);
  for (const double nonsense : {0.0, -96.0, std::nan("")}) {
    EXPECT_EQ(PixelsPerMetre(nonsense), 3780u) << nonsense;
  }
  EXPECT_EQ(PixelsPerMetre(1e-9), 1u);
  EXPECT_EQ(PixelsPerMetre(1e300), 2147483647u);
}

}  // namespace
}  // namespace korvelin::codec
