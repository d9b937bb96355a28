#pragma once
// The PNG file around its compressed rows: the signature, the header, the
// colour space, the resolution, the palette when there is one, the rows and
// the end, each chunk with its CRC. Making the rows (their filters and
// their compression) is left to the caller, which knows the picture's pixels.

#include <cstdint>
#include <span>
#include <string>

namespace korvelin::codec {

// The reference screen's resolution, at which a picture pixel is a pixel of
// the window.
inline constexpr double kScreenDotsPerInch = 96;

// The filter byte each row opens with: "none" leaves the row as it is,
// "sub" stores each byte against the byte one pixel to its left.
inline constexpr uint8_t kPngFilterNone = 0;
inline constexpr uint8_t kPngFilterSub = 1;

struct PngPicture {
  uint32_t width = 0;
  uint32_t height = 0;
  // An 8-bit palette picture, with its colours as 0x00RRGGBB, or else a
  // 24-bit colour one.
  bool indexed = false;
  std::span<const uint32_t> palette;
};

// The resolution as PNG states it, in pixels a metre: 96 dots an inch are
// 96 / 0.0254 = 3779.5, stored as 3780. Nonsense (zero, negative, not a
// number) is the reference screen's; the stored number is at least 1 and
// within the 31 bits a PNG number holds.
uint32_t PixelsPerMetre(double dots_per_inch);

// The whole file of picture whose zlib stream of filtered rows is rows,
// saying it holds dots_per_inch pixels to the inch.
std::string PngFile(const PngPicture& picture, const std::string& rows, double dots_per_inch);

}  // namespace korvelin::codec
