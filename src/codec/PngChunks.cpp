#include "codec/PngChunks.h"

#include <zlib.h>

#include <algorithm>
#include <cmath>

namespace korvelin::codec {
namespace {

void Put32(std::string& out, uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<char>(value >> shift));
}

// One chunk: length, type, data and the CRC of type and data.
void Chunk(std::string& out, const char* type, const std::string& data) {
  Put32(out, static_cast<uint32_t>(data.size()));
  const size_t start = out.size();
  out.append(type, 4);
  out += data;
  const auto* bytes = reinterpret_cast<const Bytef*>(out.data() + start);
  Put32(out, static_cast<uint32_t>(crc32_z(0, bytes, out.size() - start)));
}

}  // namespace

uint32_t PixelsPerMetre(double dots_per_inch) {
  if (!(dots_per_inch > 0)) dots_per_inch = kScreenDotsPerInch;
  const double per_metre = std::round(dots_per_inch / 0.0254);
  return static_cast<uint32_t>(std::clamp(per_metre, 1.0, 2147483647.0));
}

// sRGB and pHYs go before the palette and the rows, where readers look for
// them.
std::string PngFile(const PngPicture& picture, const std::string& rows, double dots_per_inch) {
  std::string png("\x89PNG\r\n\x1a\n", 8);
  std::string header;
  Put32(header, picture.width);
  Put32(header, picture.height);
  // 8 bits, palette or colour, deflate, adaptive filters, no interlace.
  header += {8, static_cast<char>(picture.indexed ? 3 : 2), 0, 0, 0};
  Chunk(png, "IHDR", header);
  // The plot's colours are meant as the screen shows them: sRGB, rendered
  // perceptually (intent 0).
  Chunk(png, "sRGB", std::string(1, '\0'));
  std::string resolution;
  const uint32_t per_metre = PixelsPerMetre(dots_per_inch);
  Put32(resolution, per_metre);
  Put32(resolution, per_metre);
  resolution += '\1';  // the unit is the metre
  Chunk(png, "pHYs", resolution);
  if (picture.indexed) {
    std::string entries;
    for (const uint32_t colour : picture.palette) {
      entries += {static_cast<char>(colour >> 16), static_cast<char>(colour >> 8),
                  static_cast<char>(colour)};
    }
    Chunk(png, "PLTE", entries);
  }
  Chunk(png, "IDAT", rows);
  Chunk(png, "IEND", {});
  return png;
}

}  // namespace korvelin::codec
