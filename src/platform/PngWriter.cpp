#include "platform/PngWriter.h"

#include <zlib.h>

#include <algorithm>
#include <cmath>
#include <new>
#include <optional>
#include <string>
#include <vector>

#include "platform/ColourIndex.h"
#include "platform/RunDeflate.h"

namespace korvelin::platform {
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

constexpr uint8_t kFilterNone = 0;
constexpr uint8_t kFilterSub = 1;

// The rows of a palette image, each after its filter byte ("none": palette
// rows are runs as they are).
std::string IndexedRows(const QImage& image) {
  std::string stream;
  RunDeflate deflate(stream);
  for (int y = 0; y < image.height(); ++y) {
    deflate.FeedRun(kFilterNone, 1);
    deflate.Feed(image.constScanLine(y), static_cast<size_t>(image.width()));
  }
  deflate.Finish();
  return stream;
}

// The rows of a 32-bit picture as palette indices, found run by run and fed
// as runs, so the picture is walked once and no palette image is made;
// none when the picture has more than 256 colours.
std::optional<std::string> PaletteRuns(const QImage& image, ColourIndex& index) {
  std::string stream;
  RunDeflate deflate(stream);
  const bool exact = ForEachColourRun(image, index, [&](int, int x, int length, int colour) {
    if (x == 0) deflate.FeedRun(kFilterNone, 1);
    deflate.FeedRun(static_cast<uint8_t>(colour), static_cast<uint64_t>(length));
  });
  if (!exact) return std::nullopt;
  deflate.Finish();
  return stream;
}

// The rows of a 32-bit picture as 24-bit colour, each against the pixel on
// its left ("sub"), which turns the antialiased numbers into short runs.
std::string ColourRows(const QImage& image) {
  std::string stream;
  RunDeflate deflate(stream);
  const int width = image.width();
  std::vector<uint8_t> row(1 + static_cast<size_t>(width) * 3);
  row[0] = kFilterSub;
  for (int y = 0; y < image.height(); ++y) {
    const QRgb* pixels = reinterpret_cast<const QRgb*>(image.constScanLine(y));
    QRgb left = 0;
    uint8_t* out = row.data() + 1;
    for (int x = 0; x < width; ++x, out += 3) {
      out[0] = static_cast<uint8_t>(qRed(pixels[x]) - qRed(left));
      out[1] = static_cast<uint8_t>(qGreen(pixels[x]) - qGreen(left));
      out[2] = static_cast<uint8_t>(qBlue(pixels[x]) - qBlue(left));
      left = pixels[x];
    }
    deflate.Feed(row.data(), row.size());
  }
  deflate.Finish();
  return stream;
}

// The resolution as PNG states it, in pixels a metre: 96 dots an inch are
// 96 / 0.0254 = 3779.5, stored as 3780. Nonsense (zero, negative, not a
// number) is the reference screen's; the stored number is at least 1 and
// within the 31 bits a PNG number holds.
uint32_t PixelsPerMetre(double dots_per_inch) {
  if (!(dots_per_inch > 0)) dots_per_inch = kScreenDotsPerInch;
  const double per_metre = std::round(dots_per_inch / 0.0254);
  return static_cast<uint32_t>(std::clamp(per_metre, 1.0, 2147483647.0));
}

// The file: signature, header, colour space and resolution, the palette
// when there is one, the rows. sRGB and pHYs go before the palette and the
// rows, where readers look for them.
QByteArray PngFile(const QImage& image, const QList<QRgb>* palette, const std::string& rows,
                   double dots_per_inch) {
  std::string png("\x89PNG\r\n\x1a\n", 8);
  std::string header;
  Put32(header, static_cast<uint32_t>(image.width()));
  Put32(header, static_cast<uint32_t>(image.height()));
  // 8 bits, palette or colour, deflate, adaptive filters, no interlace.
  header += {8, static_cast<char>(palette != nullptr ? 3 : 2), 0, 0, 0};
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
  if (palette != nullptr) {
    std::string entries;
    for (QRgb colour : *palette) {
      entries += {static_cast<char>(qRed(colour)), static_cast<char>(qGreen(colour)),
                  static_cast<char>(qBlue(colour))};
    }
    Chunk(png, "PLTE", entries);
  }
  Chunk(png, "IDAT", rows);
  Chunk(png, "IEND", {});
  return QByteArray(png.data(), static_cast<qsizetype>(png.size()));
}

}  // namespace

QByteArray EncodePng(const QImage& picture, double dots_per_inch) {
  if (picture.isNull()) return {};
  try {
    if (picture.format() == QImage::Format_Indexed8) {
      const QList<QRgb> palette = picture.colorTable();
      return PngFile(picture, &palette, IndexedRows(picture), dots_per_inch);
    }
    const QImage image = picture.format() == QImage::Format_RGB32
                             ? picture
                             : picture.convertToFormat(QImage::Format_RGB32);
    if (image.isNull()) return {};
    ColourIndex index;
    if (const std::optional<std::string> rows = PaletteRuns(image, index)) {
      return PngFile(image, &index.Table(), *rows, dots_per_inch);
    }
    return PngFile(image, nullptr, ColourRows(image), dots_per_inch);
  } catch (const std::bad_alloc&) {
    return {};
  }
}

}  // namespace korvelin::platform
