#include "platform/PngWriter.h"

#include <new>
#include <optional>
#include <string>
#include <vector>

#include "codec/PngChunks.h"
#include "codec/RunDeflate.h"
#include "platform/ColourIndex.h"

namespace korvelin::platform {
namespace {

// The rows of a palette image, each after its filter byte ("none": palette
// rows are runs as they are).
std::string IndexedRows(const QImage& image) {
  std::string stream;
  codec::RunDeflate deflate(stream);
  for (int y = 0; y < image.height(); ++y) {
    deflate.FeedRun(codec::kPngFilterNone, 1);
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
  codec::RunDeflate deflate(stream);
  const bool exact = ForEachColourRun(image, index, [&](int, int x, int length, int colour) {
    if (x == 0) deflate.FeedRun(codec::kPngFilterNone, 1);
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
  codec::RunDeflate deflate(stream);
  const int width = image.width();
  std::vector<uint8_t> row(1 + static_cast<size_t>(width) * 3);
  row[0] = codec::kPngFilterSub;
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

// The file of image with its rows; palette is none for a colour picture.
QByteArray PngBytes(const QImage& image, const QList<QRgb>* palette, const std::string& rows,
                    double dots_per_inch) {
  codec::PngPicture picture;
  picture.width = static_cast<uint32_t>(image.width());
  picture.height = static_cast<uint32_t>(image.height());
  picture.indexed = palette != nullptr;
  if (palette != nullptr) {
    picture.palette = {palette->constData(), static_cast<size_t>(palette->size())};
  }
  const std::string png = codec::PngFile(picture, rows, dots_per_inch);
  return QByteArray(png.data(), static_cast<qsizetype>(png.size()));
}

}  // namespace

document::Result<QByteArray> EncodePng(const QImage& picture, double dots_per_inch) {
  const document::Status not_encoded = document::Status::Failure(kNotEncoded);
  if (picture.isNull()) return not_encoded;
  try {
    if (picture.format() == QImage::Format_Indexed8) {
      const QList<QRgb> palette = picture.colorTable();
      return PngBytes(picture, &palette, IndexedRows(picture), dots_per_inch);
    }
    const QImage image = picture.format() == QImage::Format_RGB32
                             ? picture
                             : picture.convertToFormat(QImage::Format_RGB32);
    if (image.isNull()) return not_encoded;
    ColourIndex index;
    if (const std::optional<std::string> rows = PaletteRuns(image, index)) {
      return PngBytes(image, &index.Table(), *rows, dots_per_inch);
    }
    return PngBytes(image, nullptr, ColourRows(image), dots_per_inch);
  } catch (const std::bad_alloc&) {
    return not_encoded;
  }
}

}  // namespace korvelin::platform
