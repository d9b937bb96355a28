#include "platform/PdfWriter.h"

#include <zlib.h>

#include <QFontMetricsF>
#include <algorithm>
#include <charconv>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/QtFont.h"

namespace korvelin::platform {
namespace {

// PDF readers hold numbers as 32-bit integers at best: page units beyond
// 2^30 are held there (they lie some 10 km off the page).
constexpr int64_t kFarPageUnit = int64_t{1} << 30;

// A point is 1/72 inch and a page unit 1/100 mm: 72 / 2540 points a unit.
constexpr double kPointsPerUnit = 72.0 / 2540.0;

void Append(std::string& out, int64_t value) {
  char buffer[24];
  const auto result =
      std::to_chars(buffer, buffer + sizeof buffer, std::clamp(value, -kFarPageUnit, kFarPageUnit));
  out.append(buffer, result.ptr);
}

void Append(std::string& out, double value, int decimals) {
  char buffer[48];
  const auto result =
      std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
  out.append(buffer, result.ptr);
}

// The standard fonts stand in for the window's faces by their kind:
// Times New Roman (and any other serif face) as Times, Arial and other sans
// faces as Helvetica, fixed-pitch faces as Courier.
std::string BaseFont(const render::FontSpec& font) {
  std::string face = font.name;
  std::transform(face.begin(), face.end(), face.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  const bool mono =
      face.find("courier") != std::string::npos || face.find("mono") != std::string::npos;
  const bool sans =
      !mono && (face.find("arial") != std::string::npos || face.find("sans") != std::string::npos ||
                face.find("helvetica") != std::string::npos);
  std::string base = mono ? "Courier" : sans ? "Helvetica" : "Times";
  const char* style = font.bold && font.italic ? "BoldItalic"
                      : font.bold              ? "Bold"
                      : font.italic            ? "Italic"
                                               : "";
  if (base == "Times") {
    base += *style ? std::string("-") + style : std::string("-Roman");
  } else if (*style) {
    base += std::string("-") + (font.italic ? std::string(style).replace(
                                                  std::string(style).find("Italic"), 6, "Oblique")
                                            : style);
  }
  return base;
}

// The drawing operators of one page. Strokes made with one pen go out as
// one path; points on one vertical in a row are drawn as the few segments
// that cover the same stretch (entry, lowest, highest, last), which with
// round caps and joins leaves the same ink: a slow scan sheds most of its
// points so.
class PdfCanvas final : public render::VectorCanvas {
 public:
  void SetPenColor(uint32_t color_ref) override {
    color_ref &= 0xFFFFFF;
    if (color_ref != color_) EndPath();
    color_ = color_ref;
  }
  void SetPenWidth(int width) override {
    if (width != width_) EndPath();
    width_ = width;
  }
  void MoveTo(int64_t x, int64_t y) override {
    CloseColumn();
    BeginPath();
    Point(x, y, " m\n");
    x_ = x;
    y_ = y;
  }
  void LineTo(int64_t x, int64_t y) override {
    if (!in_path_) MoveTo(x_, y_);
    if (x == x_) {
      if (!column_) entry_ = low_ = high_ = y_;
      column_ = true;
      low_ = std::min(low_, y);
      high_ = std::max(high_, y);
    } else {
      CloseColumn();
      Point(x, y, " l\n");
    }
    x_ = x;
    y_ = y;
  }
  void SetFont(const render::FontSpec& font) override {
    EndPath();
    font_ = font;
    const QFontMetricsF metrics(ToQFont(font));
    ascent_ = metrics.ascent();
    line_height_ = metrics.ascent() + metrics.descent();
    const std::string base = BaseFont(font);
    const auto known = std::find(fonts_.begin(), fonts_.end(), base);
    font_index_ = static_cast<size_t>(known - fonts_.begin());
    if (known == fonts_.end()) fonts_.push_back(base);
  }
  void SetBrushStyle(render::BrushStyle style) override {
    opaque_ = style == render::BrushStyle::Solid;
  }
  // (x, y) is the text's top-left corner; its baseline lies one ascent
  // lower. The page's y runs downwards, so the text is flipped upright.
  void TextOut(int64_t x, int64_t y, std::string_view text) override {
    EndPath();
    if (text.empty()) return;
    if (fonts_.empty()) SetFont(font_);
    if (opaque_) {
      const double width = QFontMetricsF(ToQFont(font_))
                               .horizontalAdvance(QString::fromLatin1(
                                   text.data(), static_cast<qsizetype>(text.size())));
      content_ += "1 g ";
      Point(x, y, " ");
      Append(content_, width, 2);
      content_ += ' ';
      Append(content_, line_height_, 2);
      content_ += " re f\n";
    }
    content_ += "0 g BT /F";
    Append(content_, static_cast<int64_t>(font_index_ + 1));
    content_ += ' ';
    Append(content_, static_cast<int64_t>(font_.pixel_height));
    content_ += " Tf 1 0 0 -1 ";
    Append(content_, x);
    content_ += ' ';
    Append(content_, static_cast<double>(y) + ascent_, 2);
    content_ += " Tm (";
    for (const char c : text) {
      const auto byte = static_cast<unsigned char>(c);
      if (c == '(' || c == ')' || c == '\\') content_ += '\\';
      if (byte < 32) {
        const char octal[5] = {'\\', static_cast<char>('0' + (byte >> 6)),
                               static_cast<char>('0' + ((byte >> 3) & 7)),
                               static_cast<char>('0' + (byte & 7)), 0};
        content_ += octal;
      } else {
        content_ += c;
      }
    }
    content_ += ") Tj ET\n";
  }

  void Finish() { EndPath(); }
  const std::string& Content() const { return content_; }
  const std::vector<std::string>& Fonts() const { return fonts_; }

 private:
  void Point(int64_t x, int64_t y, const char* op) {
    Append(content_, x);
    content_ += ' ';
    Append(content_, y);
    content_ += op;
  }
  // The pen goes out with the first stroke after it changed.
  void BeginPath() {
    if (in_path_) return;
    in_path_ = true;
    if (color_ == written_color_ && width_ == written_width_) return;
    for (int shift : {0, 8, 16}) {
      Append(content_, ((color_ >> shift) & 0xFF) / 255.0, 4);
      content_ += ' ';
    }
    content_ += "RG ";
    Append(content_, static_cast<int64_t>(width_));
    content_ += " w\n";
    written_color_ = color_;
    written_width_ = width_;
  }
  // From the entry over the lowest and the highest point to the last, each
  // left out where it is where the path already stands.
  void CloseColumn() {
    if (!column_) return;
    column_ = false;
    int64_t at = entry_;
    for (const int64_t y : {low_, high_, y_}) {
      if (y == at) continue;
      Point(x_, y, " l ");
      at = y;
    }
    content_.back() = '\n';
  }
  void EndPath() {
    CloseColumn();
    if (in_path_) content_ += "S\n";
    in_path_ = false;
  }

  std::string content_;
  std::vector<std::string> fonts_;
  render::FontSpec font_{};
  size_t font_index_ = 0;
  double ascent_ = 0;
  double line_height_ = 0;
  bool opaque_ = false;
  uint32_t color_ = 0;
  int width_ = 0;
  uint32_t written_color_ = 0xFFFFFFFF;
  int written_width_ = -1;
  bool in_path_ = false;
  int64_t x_ = 0;
  int64_t y_ = 0;
  bool column_ = false;
  int64_t entry_ = 0;
  int64_t low_ = 0;
  int64_t high_ = 0;
};

// The objects of the file, numbered from 1, and the table of where each
// starts that a reader finds them by.
class PdfFile {
 public:
  PdfFile() { bytes_ = "%PDF-1.4\n%\xE2\xE3\xCF\xD3\n"; }
  void Object(const std::string& body) {
    offsets_.push_back(bytes_.size());
    bytes_ += std::to_string(offsets_.size()) + " 0 obj\n" + body + "\nendobj\n";
  }
  void Stream(const std::string& dictionary, const std::string& data) {
    offsets_.push_back(bytes_.size());
    bytes_ += std::to_string(offsets_.size()) + " 0 obj\n<< " + dictionary + " /Length " +
              std::to_string(data.size()) + " >>\nstream\n";
    bytes_ += data;
    bytes_ += "\nendstream\nendobj\n";
  }
  QByteArray Finish(int info_object) {
    const size_t table = bytes_.size();
    bytes_ += "xref\n0 " + std::to_string(offsets_.size() + 1) + "\n0000000000 65535 f \n";
    for (const size_t offset : offsets_) {
      char line[21];
      std::snprintf(line, sizeof line, "%010zu 00000 n \n", offset);
      bytes_ += line;
    }
    bytes_ += "trailer\n<< /Size " + std::to_string(offsets_.size() + 1) + " /Root 1 0 R /Info " +
              std::to_string(info_object) + " 0 R >>\nstartxref\n" + std::to_string(table) +
              "\n%%EOF\n";
    return QByteArray(bytes_.data(), static_cast<qsizetype>(bytes_.size()));
  }

 private:
  std::string bytes_;
  std::vector<size_t> offsets_;
};

std::string Deflate(const std::string& data) {
  uLongf size = compressBound(static_cast<uLong>(data.size()));
  std::string packed(size, '\0');
  if (compress2(reinterpret_cast<Bytef*>(packed.data()), &size,
                reinterpret_cast<const Bytef*>(data.data()), static_cast<uLong>(data.size()),
                1) != Z_OK) {
    return {};
  }
  packed.resize(size);
  return packed;
}

}  // namespace

QByteArray PdfBytes(const render::VectorRecording& recording, int width, int height) {
  if (!render::VectorPageSizeError(width, height).empty()) return {};
  PdfCanvas canvas;
  recording.Play(canvas);
  canvas.Finish();
  // The page's points, y upwards from its bottom, become page units with y
  // downwards from its top.
  std::string content = "1 J 1 j ";
  Append(content, kPointsPerUnit, 10);
  content += " 0 0 ";
  Append(content, -kPointsPerUnit, 10);
  content += " 0 ";
  Append(content, height * kPointsPerUnit, 4);
  content += " cm\n";
  content += canvas.Content();
  const std::string packed = Deflate(content);
  if (packed.empty()) return {};

  PdfFile file;
  const int fonts = static_cast<int>(canvas.Fonts().size());
  std::string font_resources;
  for (int i = 0; i < fonts; ++i) {
    font_resources += "/F" + std::to_string(i + 1) + " " + std::to_string(6 + i) + " 0 R ";
  }
  std::string media = "[0 0 ";
  Append(media, width * kPointsPerUnit, 4);
  media += ' ';
  Append(media, height * kPointsPerUnit, 4);
  media += ']';
  file.Object("<< /Type /Catalog /Pages 2 0 R >>");
  file.Object("<< /Type /Pages /Kids [3 0 R] /Count 1 >>");
  file.Object("<< /Type /Page /Parent 2 0 R /MediaBox " + media + " /Resources << /Font << " +
              font_resources + ">> >> /Contents 4 0 R >>");
  file.Stream("/Filter /FlateDecode", packed);
  file.Object("<< /Producer (KORVELIN " KORVELIN_VERSION ") >>");
  for (const std::string& base : canvas.Fonts()) {
    file.Object("<< /Type /Font /Subtype /Type1 /BaseFont /" + base +
                " /Encoding /WinAnsiEncoding >>");
  }
  return file.Finish(5);
}

}  // namespace korvelin::platform
