#include "platform/PictureFile.h"

#include <algorithm>
#include <array>
#include <cctype>

#include <QFile>
#include <QImageWriter>
#include <QString>

namespace korvelin::platform {
namespace {

// Colours seen so far and their palette indices; a small open hash because a
// 1920 x 1080 picture is two million lookups, nearly all of them white.
class ColourIndex {
 public:
  // The index of colour, adding it when new; -1 once a 257th colour shows up.
  int Find(QRgb colour) {
    size_t slot = (colour * 2654435761u) >> 23 & (kSlots - 1);
    while (used_[slot]) {
      if (colours_[slot] == colour) return indices_[slot];
      slot = (slot + 1) & (kSlots - 1);
    }
    if (table_.size() == 256) return -1;
    used_[slot] = true;
    colours_[slot] = colour;
    indices_[slot] = static_cast<int>(table_.size());
    table_.push_back(colour);
    return indices_[slot];
  }
  const QList<QRgb>& Table() const { return table_; }

 private:
  static constexpr size_t kSlots = 512;  // never more than half full
  std::array<bool, kSlots> used_{};
  std::array<QRgb, kSlots> colours_{};
  std::array<int, kSlots> indices_{};
  QList<QRgb> table_;
};

}  // namespace

std::optional<PictureFormat> PictureFormatOf(const std::string& path) {
  const size_t dot = path.find_last_of("./");
  if (dot == std::string::npos || path[dot] != '.') return std::nullopt;
  std::string extension = path.substr(dot + 1);
  std::transform(extension.begin(), extension.end(), extension.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  if (extension == "png") return PictureFormat::Png;
  if (extension == "bmp") return PictureFormat::Bmp;
  return std::nullopt;
}

std::optional<QImage> ToExactIndexed8(const QImage& picture) {
  const QImage source = picture.format() == QImage::Format_RGB32
                            ? picture
                            : picture.convertToFormat(QImage::Format_RGB32);
  QImage indexed(source.size(), QImage::Format_Indexed8);
  ColourIndex index;
  for (int y = 0; y < source.height(); ++y) {
    const QRgb* row = reinterpret_cast<const QRgb*>(source.constScanLine(y));
    uchar* out = indexed.scanLine(y);
    QRgb last = 0;
    int last_index = -1;
    for (int x = 0; x < source.width(); ++x) {
      // Runs of one colour are the rule: one compare per pixel inside a run.
      if (last_index < 0 || row[x] != last) {
        last = row[x];
        last_index = index.Find(last);
        if (last_index < 0) return std::nullopt;
      }
      out[x] = static_cast<uchar>(last_index);
    }
  }
  indexed.setColorTable(index.Table());
  return indexed;
}

std::string WritePictureFile(const QImage& picture, const std::string& path) {
  const std::optional<PictureFormat> format = PictureFormatOf(path);
  if (!format) return "the picture's file name must end in .png or .bmp";
  if (picture.isNull()) return "the picture is empty";
  const std::optional<QImage> indexed = ToExactIndexed8(picture);
  const QImage& image = indexed ? *indexed : picture;

  QImageWriter writer(QFile::decodeName(QByteArray::fromStdString(path)),
                      *format == PictureFormat::Png ? "png" : "bmp");
  // zlib level 1: for these pictures of long runs it is a few percent larger
  // than the default level 6 and several times faster to write.
  if (*format == PictureFormat::Png) writer.setQuality(90);
  if (writer.write(image)) return {};
  return writer.errorString().toStdString();
}

}  // namespace korvelin::platform
