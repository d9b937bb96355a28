#include "platform/PdfWriter.h"

#include <libdeflate.h>

#include <QFontMetricsF>
#include <algorithm>
#include <charconv>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "codec/PdfFile.h"
#include "platform/PdfFonts.h"
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

// The drawing operators of one page. Strokes made with one pen go out as
// one path; points on one vertical in a row are drawn as the few segments
// that cover the same stretch (from the entry over the extremes to the
// last), which with round caps and joins leaves the same ink: a slow scan
// sheds most of its points so.
//
// An office program that breaks an inserted PDF into shapes closes every
// subpath, which would draw an edge from a trace's last point back to its
// first. So a subpath of more than one segment that does not end where it
// began goes back over its points to its start: the ink is the same, and
// the closing edge has no length.
class PdfCanvas final : public render::VectorCanvas {
 public:
  // The operators follow the given start of the page.
  PdfCanvas(PdfFonts& fonts, std::string start) : content_(std::move(start)), fonts_(fonts) {}
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
    EndSubpath();
    BeginPath();
    Visit(x, y, " m\n");
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
      Visit(x, y, " l\n");
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
    font_index_ = fonts_.Use(font);
    font_set_ = true;
  }
  void SetBrushStyle(render::BrushStyle style) override {
    opaque_ = style == render::BrushStyle::Solid;
  }
  // (x, y) is the text's top-left corner; its baseline lies one ascent
  // lower. The page's y runs downwards, so the text is flipped upright.
  void TextOut(int64_t x, int64_t y, std::string_view text) override {
    EndPath();
    if (text.empty()) return;
    if (!font_set_) SetFont(font_);
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
    content_ += " Tm ";
    fonts_.AppendShown(font_index_, text, content_);
    content_ += " Tj ET\n";
  }

  void Finish() { EndPath(); }
  const std::string& Content() const { return content_; }

 private:
  // Made in one buffer and appended at once: a trace writes this some
  // hundred thousand times.
  void Point(int64_t x, int64_t y, std::string_view op) {
    char buffer[64];
    char* at = std::to_chars(buffer, buffer + 24, std::clamp(x, -kFarPageUnit, kFarPageUnit)).ptr;
    *at++ = ' ';
    at = std::to_chars(at, at + 24, std::clamp(y, -kFarPageUnit, kFarPageUnit)).ptr;
    at = std::copy(op.begin(), op.end(), at);
    content_.append(buffer, at);
  }
  // A point of the subpath: written, and where its "x y" stands kept, so
  // the way back copies the text instead of writing the numbers again.
  void Visit(int64_t x, int64_t y, std::string_view op) {
    const size_t at = content_.size();
    Point(x, y, op);
    subpath_.push_back({at, static_cast<uint32_t>(content_.size() - at - op.size())});
  }
  std::string_view Written(size_t i) const {
    return std::string_view(content_).substr(subpath_[i].at, subpath_[i].size);
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
  // From the entry over both extremes to the last point: an entry at one
  // extreme goes to the other; an entry between them goes to the extreme
  // farther from the last point first. A run that never leaves its entry
  // is a dot, which a line to its own point draws with the round caps.
  void CloseColumn() {
    if (!column_) return;
    column_ = false;
    const bool low_first = entry_ == high_ || (entry_ != low_ && high_ - y_ < y_ - low_);
    const int64_t first = low_first ? low_ : high_;
    const int64_t second = entry_ == low_ || entry_ == high_ ? y_ : (low_first ? high_ : low_);
    int64_t at = entry_;
    bool drawn = false;
    for (const int64_t y : {first, second, y_}) {
      if (y == at) continue;
      Visit(x_, y, " l ");
      at = y;
      drawn = true;
    }
    if (!drawn && subpath_.size() == 1) {
      Visit(x_, y_, " l ");
    }
    content_.back() = '\n';
  }
  // Back over the subpath's points to its start, when it has more than one
  // segment and ends elsewhere.
  void EndSubpath() {
    if (subpath_.size() > 2 && Written(subpath_.size() - 1) != Written(0)) {
      for (size_t i = subpath_.size() - 1; i-- > 0;) {
        char buffer[64];
        const std::string_view point = Written(i);
        char* end = std::copy(point.begin(), point.end(), buffer);
        end = std::copy_n(" l\n", 3, end);
        content_.append(buffer, end);
      }
    }
    subpath_.clear();
  }
  void EndPath() {
    CloseColumn();
    EndSubpath();
    if (in_path_) content_ += "S\n";
    in_path_ = false;
  }

  std::string content_;
  PdfFonts& fonts_;
  render::FontSpec font_{};
  bool font_set_ = false;
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
  struct WrittenPoint {
    size_t at = 0;      // where its "x y" starts in content_
    uint32_t size = 0;  // and its length
  };
  std::vector<WrittenPoint> subpath_;  // the points written since the move
};

// zlib's format, made by libdeflate at its fastest level: as small as
// zlib's fastest setting makes a page, in a third of the time. The output
// is written into memory that is not cleared first, so only the pages the
// compressed bytes take are touched.
std::string Deflate(std::string_view data) {
  struct Compressor {
    libdeflate_compressor* compressor = libdeflate_alloc_compressor(1);
    ~Compressor() { libdeflate_free_compressor(compressor); }
  } fastest;
  if (fastest.compressor == nullptr) return {};
  const size_t bound = libdeflate_zlib_compress_bound(fastest.compressor, data.size());
  const std::unique_ptr<char[]> packed(new char[bound]);
  const size_t size =
      libdeflate_zlib_compress(fastest.compressor, data.data(), data.size(), packed.get(), bound);
  return std::string(packed.get(), size);  // empty when it failed
}

// The page's points, y upwards from its bottom, become page units with y
// downwards from its top.
std::string PageTransform(int height) {
  std::string page = "1 J 1 j ";
  Append(page, kPointsPerUnit, 10);
  page += " 0 0 ";
  Append(page, -kPointsPerUnit, 10);
  page += " 0 ";
  Append(page, height * kPointsPerUnit, 4);
  page += " cm\n";
  return page;
}

// The file around the packed page: catalog, pages, page, content and
// producer, then each font's objects together.
document::Result<QByteArray> PdfFileOf(const std::string& packed, const PdfFonts& fonts, int width,
                                       int height) {
  constexpr int kFirstFontObject = 6;
  std::vector<std::vector<PdfObject>> font_objects;
  std::string font_resources;
  int number = kFirstFontObject;
  for (size_t i = 0; i < fonts.Count(); ++i) {
    font_resources += "/F" + std::to_string(i + 1) + " " + std::to_string(number) + " 0 R ";
    font_objects.push_back(fonts.Objects(i, number));
    number += static_cast<int>(font_objects.back().size());
  }
  std::string media = "[0 0 ";
  Append(media, width * kPointsPerUnit, 4);
  media += ' ';
  Append(media, height * kPointsPerUnit, 4);
  media += ']';
  codec::PdfFile file(fonts.NeedsVersion16() ? "1.6" : "1.4", packed.size() + 65536);
  file.Object("<< /Type /Catalog /Pages 2 0 R >>");
  file.Object("<< /Type /Pages /Kids [3 0 R] /Count 1 >>");
  file.Object("<< /Type /Page /Parent 2 0 R /MediaBox " + media + " /Resources << /Font << " +
              font_resources + ">> >> /Contents 4 0 R >>");
  file.Stream("/Filter /FlateDecode", packed);
  file.Object("<< /Producer (KORVELIN " KORVELIN_VERSION ") >>");
  for (const std::vector<PdfObject>& objects : font_objects) {
    for (const PdfObject& object : objects) {
      if (!object.is_stream) {
        file.Object(object.dictionary);
        continue;
      }
      const std::string packed_data = Deflate(object.data);
      if (packed_data.empty()) return document::Status::Failure(render::kVectorNotMade);
      file.Stream(
          object.dictionary + (object.dictionary.empty() ? "" : " ") + "/Filter /FlateDecode",
          packed_data);
    }
  }
  const std::string bytes = file.Finish(5);
  return QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

}  // namespace

document::Result<QByteArray> PdfBytes(const render::VectorRecording& recording, int width,
                                      int height) {
  return PdfBytes([&](render::VectorCanvas& canvas) { recording.Play(canvas); }, recording.Size(),
                  width, height);
}

document::Result<QByteArray> PdfBytes(const std::function<void(render::VectorCanvas&)>& draw,
                                      size_t operations, int width, int height) {
  const document::Status page_status = render::VectorPageStatus(width, height);
  if (!page_status.ok()) return page_status;
  std::string page = PageTransform(height);
  PdfFonts fonts;
  // Each operation writes a dozen bytes or two, as many again where a
  // stroke goes back to its start; memory reserved and not written costs
  // nothing, and the page's operators are never copied as they grow.
  page.reserve(operations * 40);
  PdfCanvas canvas(fonts, std::move(page));
  draw(canvas);
  canvas.Finish();
  const std::string packed = Deflate(canvas.Content());
  if (packed.empty()) return document::Status::Failure(render::kVectorNotMade);
  return PdfFileOf(packed, fonts, width, height);
}

}  // namespace korvelin::platform
