#include "platform/PngWriter.h"

#include <png.h>
#include <zlib.h>

#include <csetjmp>
#include <vector>

namespace korvelin::platform {
namespace {

void Append(png_structp png, png_bytep data, png_size_t size) {
  static_cast<QByteArray*>(png_get_io_ptr(png))
      ->append(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
}

void Flush(png_structp) {}

// The library's own error handler prints to standard error; this one only
// jumps back, and the caller reports.
[[noreturn]] void Fail(png_structp png, png_const_charp) { png_longjmp(png, 1); }
void Quiet(png_structp, png_const_charp) {}

// Writes the header, palette and rows; returns false when the library failed.
bool Write(png_structp png, png_infop info, const QImage& image) {
  if (setjmp(png_jmpbuf(png))) return false;
  const auto width = static_cast<png_uint_32>(image.width());
  const auto height = static_cast<png_uint_32>(image.height());
  const bool indexed = image.format() == QImage::Format_Indexed8;
  png_set_IHDR(png, info, width, height, 8, indexed ? PNG_COLOR_TYPE_PALETTE : PNG_COLOR_TYPE_RGB,
               PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  std::vector<png_color> palette;
  if (indexed) {
    for (QRgb colour : image.colorTable()) {
      palette.push_back({static_cast<png_byte>(qRed(colour)), static_cast<png_byte>(qGreen(colour)),
                         static_cast<png_byte>(qBlue(colour))});
    }
    png_set_PLTE(png, info, palette.data(), static_cast<int>(palette.size()));
  }
  png_set_compression_level(png, 1);
  png_set_compression_strategy(png, Z_RLE);
  // Palette rows are compressed as they are; colour rows against the pixel
  // on their left, which turns the antialiased numbers into short runs.
  png_set_filter(png, 0, indexed ? PNG_FILTER_NONE : PNG_FILTER_SUB);
  png_write_info(png, info);
  if (!indexed) {
    // A 32-bit pixel is blue, green, red, unused in memory.
    png_set_bgr(png);
    png_set_filler(png, 0, PNG_FILLER_AFTER);
  }
  for (png_uint_32 y = 0; y < height; ++y) {
    png_write_row(png, const_cast<png_bytep>(image.constScanLine(static_cast<int>(y))));
  }
  png_write_end(png, info);
  return true;
}

}  // namespace

QByteArray EncodePng(const QImage& picture) {
  if (picture.isNull()) return {};
  const bool keep =
      picture.format() == QImage::Format_Indexed8 || picture.format() == QImage::Format_RGB32;
  const QImage image = keep ? picture : picture.convertToFormat(QImage::Format_RGB32);
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, Fail, Quiet);
  if (png == nullptr) return {};
  png_infop info = png_create_info_struct(png);
  QByteArray bytes;
  bool written = false;
  if (info != nullptr) {
    png_set_write_fn(png, &bytes, Append, Flush);
    written = Write(png, info, image);
  }
  png_destroy_write_struct(&png, &info);
  return written ? bytes : QByteArray();
}

}  // namespace korvelin::platform
