#include "platform/PngWriter.h"

#include <zlib.h>

#include <new>
#include <string>
#include <vector>

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

// The compressed rows, each after its filter byte: none for palette rows,
// which are runs as they are; "sub" for colour rows, which turns the
// antialiased numbers into short runs.
std::string CompressedRows(const QImage& image, bool indexed) {
  std::string stream;
  RunDeflate deflate(stream);
  const int width = image.width();
  std::vector<uint8_t> row(1 + static_cast<size_t>(width) * (indexed ? 1 : 3));
  row[0] = indexed ? 0 : 1;
  for (int y = 0; y < image.height(); ++y) {
    if (indexed) {
      deflate.Feed(row.data(), 1);
      deflate.Feed(image.constScanLine(y), static_cast<size_t>(width));
      continue;
    }
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

}  // namespace

QByteArray EncodePng(const QImage& picture) {
  if (picture.isNull()) return {};
  try {
    const bool indexed = picture.format() == QImage::Format_Indexed8;
    const QImage image = indexed || picture.format() == QImage::Format_RGB32
                             ? picture
                             : picture.convertToFormat(QImage::Format_RGB32);
    if (image.isNull()) return {};
    std::string png("\x89PNG\r\n\x1a\n", 8);
    std::string header;
    Put32(header, static_cast<uint32_t>(image.width()));
    Put32(header, static_cast<uint32_t>(image.height()));
    // 8 bits, palette or colour, deflate, adaptive filters, no interlace.
    header += {8, static_cast<char>(indexed ? 3 : 2), 0, 0, 0};
    Chunk(png, "IHDR", header);
    if (indexed) {
      std::string palette;
      for (QRgb colour : image.colorTable()) {
        palette += {static_cast<char>(qRed(colour)), static_cast<char>(qGreen(colour)),
                    static_cast<char>(qBlue(colour))};
      }
      Chunk(png, "PLTE", palette);
    }
    Chunk(png, "IDAT", CompressedRows(image, indexed));
    Chunk(png, "IEND", {});
    return QByteArray(png.data(), static_cast<qsizetype>(png.size()));
  } catch (const std::bad_alloc&) {
    return {};
  }
}

}  // namespace korvelin::platform
