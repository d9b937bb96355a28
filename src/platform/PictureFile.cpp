#include "platform/PictureFile.h"

#include <QString>
#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <vector>

#include "codec/BmpHeader.h"
#include "platform/ColourIndex.h"
#include "platform/LargeImage.h"
#include "platform/PngWriter.h"

namespace korvelin::platform {
namespace {

// A BMP file of the picture, streamed row by row into sink (an AtomicFile
// or a buffer): 8 bits with the image's own colour table when it has one,
// 24 bits otherwise. Rows are stored bottom-up and padded to whole 32-bit
// words, as the format wants; the headers are codec/BmpHeader's.
template <class Sink>
void WriteBmp(const QImage& image, Sink& file) {
  const bool indexed = image.format() == QImage::Format_Indexed8;
  const QImage rgb = indexed ? QImage() : image.convertToFormat(QImage::Format_RGB32);
  const uint32_t width = static_cast<uint32_t>(image.width());
  const uint32_t height = static_cast<uint32_t>(image.height());
  const uint32_t colours = indexed ? static_cast<uint32_t>(image.colorTable().size()) : 0;
  const int bits = indexed ? 8 : 24;
  const codec::BmpLayout layout = codec::BmpLayoutOf(width, height, bits, colours);
  std::vector<uint8_t> header(layout.pixel_offset, 0);
  codec::WriteBmpHeader(header.data(), width, height, bits, colours);
  for (uint32_t i = 0; i < colours; ++i) {
    codec::WriteBmpColour(header.data() + codec::kBmpHeaderSize + 4 * i, image.colorTable()[i]);
  }
  if (!file.Write(header.data(), header.size()).ok()) return;
  std::vector<uint8_t> row(layout.row_bytes, 0);
  for (int y = static_cast<int>(height) - 1; y >= 0; --y) {
    if (indexed) {
      std::memcpy(row.data(), image.constScanLine(y), width);
    } else {
      const QRgb* pixels = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
      for (uint32_t x = 0; x < width; ++x) {
        row[3 * x] = static_cast<uint8_t>(qBlue(pixels[x]));
        row[3 * x + 1] = static_cast<uint8_t>(qGreen(pixels[x]));
        row[3 * x + 2] = static_cast<uint8_t>(qRed(pixels[x]));
      }
    }
    if (!file.Write(row.data(), row.size()).ok()) return;
  }
}

// Appends to a byte array, as an AtomicFile takes its bytes.
struct ByteSink {
  QByteArray& bytes;
  document::Status Write(const void* data, size_t size) {
    bytes.append(static_cast<const char*>(data), static_cast<qsizetype>(size));
    return {};
  }
};

}  // namespace

std::optional<QImage> ToExactIndexed8(const QImage& picture) {
  const QImage source = picture.format() == QImage::Format_RGB32
                            ? picture
                            : picture.convertToFormat(QImage::Format_RGB32);
  QImage indexed = NewLargeImage(source.width(), source.height(), QImage::Format_Indexed8);
  ColourIndex index;
  const bool exact = ForEachColourRun(source, index, [&](int y, int x, int length, int colour) {
    std::memset(indexed.scanLine(y) + x, colour, static_cast<size_t>(length));
  });
  if (!exact) return std::nullopt;
  indexed.setColorTable(index.Table());
  return indexed;
}

QImage PictureToWrite(const QImage& picture) {
  std::optional<QImage> indexed = ToExactIndexed8(picture);
  return indexed ? std::move(*indexed) : picture;
}

document::Result<QByteArray> PictureBytes(const QImage& image, PictureFormat format,
                                          double dots_per_inch) {
  if (image.isNull()) return document::Status::Failure(kNotEncoded);
  if (format == PictureFormat::Png) return EncodePng(image, dots_per_inch);
  // Room for the rows, padding and colour table at once: a 1920 x 1080
  // palette image is 2 MB, appended row by row.
  QByteArray bytes;
  const qsizetype pixel_bytes = image.format() == QImage::Format_Indexed8 ? 1 : 3;
  bytes.reserve(1078 + (image.width() * pixel_bytes + 3) * qsizetype{image.height()});
  ByteSink sink{bytes};
  WriteBmp(image, sink);
  return bytes;
}

document::Status WritePictureFile(const QImage& picture, const std::string& path,
                                  PictureFormat format, FileCalls& calls, double dots_per_inch) {
  if (picture.isNull()) return document::Status::Failure("the picture is empty");
  // PNG is encoded in memory, where writing cannot fail, and then written:
  // the bytes are few (a 1920 x 1080 plot about 20 KB). The encoder finds
  // the palette itself, on the way.
  document::Result<QByteArray> png = QByteArray();
  if (format == PictureFormat::Png) {
    png = EncodePng(picture, dots_per_inch);
    if (!png.ok()) return png.status();
  }
  AtomicFile file(path, calls);
  const document::Status opened = file.Open();
  if (!opened.ok()) return opened;
  if (format == PictureFormat::Bmp) {
    WriteBmp(PictureToWrite(picture), file);
  } else {
    (void)file.Write(png.value().constData(), static_cast<size_t>(png.value().size()));
  }
  // A failed write is the file's status, which the commit answers.
  return file.Commit();
}

}  // namespace korvelin::platform
