// Plays a recording onto a libEMF metafile device context that writes into
// memory. Consecutive line-tos with one pen become one polyline record (a
// 524,288-point trace is 32 records, not half a million), which draws the
// same: the pens are GDI's default geometric pens with round ends and joins.
// Pens and fonts are created only when a stroke or a text needs them and
// deleted when replaced. libEMF keeps its objects in one process-wide table,
// so metafiles are made on one thread at a time (the user-interface thread).

#include "platform/EmfVectorCanvas.h"

#include <stdio_ext.h>

#include <QFont>
#include <QFontMetricsF>
#include <QString>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

#include "platform/QtFont.h"

// libEMF last: its Windows headers define macros (TextOut, min, max) that
// must not reach the declarations above.
#include <libEMF/emf.h>
#undef TextOut
#undef min
#undef max

namespace korvelin::platform {
namespace {

// libEMF's reference device: 1024 x 768 pixels on 320 x 240 mm. Its header
// gives the frame in those pixels, truncated; the viewport takes the same
// numbers so that the drawing space fills exactly the frame the header
// declares: 29700 x 21000 hundredths of a millimetre are 950 x 672 pixels.
constexpr int64_t kDevicePixelsX = 1024;
constexpr int64_t kDevicePixelsY = 768;
constexpr int64_t kDeviceHundredthsX = 32000;
constexpr int64_t kDeviceHundredthsY = 24000;

// Long runs are cut into records of this many points, which every reader's
// 16-bit point counts take; the next record goes on from the last point.
constexpr size_t kMaxRun = 16384;

// The metafile holds 32-bit coordinates. Only axis-parallel strokes (frame,
// ticks, markers) can reach beyond them, and clamping keeps those parallel.
LONG Clamp32(int64_t v) {
  return static_cast<LONG>(std::clamp<int64_t>(v, std::numeric_limits<int32_t>::min(),
                                               std::numeric_limits<int32_t>::max()));
}

class EmfVectorCanvas final : public render::VectorCanvas {
 public:
  explicit EmfVectorCanvas(HDC dc) : dc_(dc) {}
  EmfVectorCanvas(const EmfVectorCanvas&) = delete;
  EmfVectorCanvas& operator=(const EmfVectorCanvas&) = delete;

  void SetPenColor(uint32_t color_ref) override {
    color_ref &= 0xFFFFFF;
    if (color_ref == color_) return;
    FlushRun();
    color_ = color_ref;
    pen_stale_ = true;
  }
  void SetPenWidth(int width) override {
    width = std::max(width, 0);
    if (width == width_) return;
    FlushRun();
    width_ = width;
    pen_stale_ = true;
  }
  void MoveTo(int64_t x, int64_t y) override {
    FlushRun();
    UsePen();
    MoveToEx(dc_, Clamp32(x), Clamp32(y), nullptr);
  }
  void LineTo(int64_t x, int64_t y) override {
    if (pen_stale_) {
      FlushRun();
      UsePen();
    }
    run_.push_back(POINT{Clamp32(x), Clamp32(y)});
    if (run_.size() == kMaxRun) FlushRun();
  }
  void SetFont(const render::FontSpec& font) override;
  void SetBrushStyle(render::BrushStyle style) override {
    FlushRun();
    SetBkMode(dc_, style == render::BrushStyle::Solid ? OPAQUE : TRANSPARENT);
  }
  void TextOut(int64_t x, int64_t y, std::string_view text) override;

  // Draws what is pending, selects stock objects and deletes its own.
  void Finish();

 private:
  void FlushRun();
  void UsePen();

  HDC dc_;
  uint32_t color_ = 0;
  int width_ = 0;
  bool pen_stale_ = true;
  HPEN pen_ = 0;
  HFONT font_ = 0;
  QFont qt_font_ = ToQFont(render::FontSpec{});
  std::vector<POINT> run_;
};

void EmfVectorCanvas::FlushRun() {
  if (run_.size() == 1) {
    ::LineTo(dc_, run_[0].x, run_[0].y);
  } else if (run_.size() > 1) {
    PolylineTo(dc_, run_.data(), static_cast<DWORD>(run_.size()));
  }
  run_.clear();
}

// Solid pens: round(lsize x 50) for trace lines, 50 for frame and ticks.
void EmfVectorCanvas::UsePen() {
  if (!pen_stale_) return;
  const HPEN pen = CreatePen(PS_SOLID, width_, color_);
  SelectObject(dc_, pen);
  if (pen_) DeleteObject(pen_);
  pen_ = pen;
  pen_stale_ = false;
}

// The character height in page units is the font's height (a negative
// lfHeight asks for the character height without internal leading). GDI
// face names hold 31 characters and a terminator.
void EmfVectorCanvas::SetFont(const render::FontSpec& font) {
  FlushRun();
  LOGFONTW logical{};
  logical.lfHeight = -std::max(font.pixel_height, 1);
  logical.lfWeight = font.bold ? FW_BOLD : FW_NORMAL;
  logical.lfItalic = font.italic ? 1 : 0;
  logical.lfCharSet = DEFAULT_CHARSET;
  logical.lfOutPrecision = OUT_DEFAULT_PRECIS;
  logical.lfClipPrecision = CLIP_DEFAULT_PRECIS;
  logical.lfQuality = DEFAULT_QUALITY;
  logical.lfPitchAndFamily = DEFAULT_PITCH | FF_DONTCARE;
  const size_t length = std::min<size_t>(font.name.size(), LF_FACESIZE - 1);
  for (size_t i = 0; i < length; ++i) {
    logical.lfFaceName[i] = static_cast<unsigned char>(font.name[i]);
  }
  const HFONT created = CreateFontIndirectW(&logical);
  SelectObject(dc_, created);
  if (font_) DeleteObject(font_);
  font_ = created;
  qt_font_ = ToQFont(font);
}

// Characters, not glyph indices, with the advance of each character in page
// units, which readers of the format expect beside the text: the font's
// pixel size is its height in page units, so Qt's advances are page units.
// The positions are rounded once and differenced, so the advances add up
// to the text's width.
void EmfVectorCanvas::TextOut(int64_t x, int64_t y, std::string_view text) {
  FlushRun();
  const QString string = QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
  const QFontMetricsF metrics(qt_font_);
  std::vector<WCHAR> characters;
  std::vector<INT> advances;
  int64_t previous = 0;
  for (qsizetype i = 0; i < string.size(); ++i) {
    characters.push_back(static_cast<WCHAR>(string[i].unicode()));
    const auto end =
        static_cast<int64_t>(std::llround(metrics.horizontalAdvance(string.left(i + 1))));
    advances.push_back(static_cast<INT>(end - previous));
    previous = end;
  }
  ExtTextOutW(dc_, Clamp32(x), Clamp32(y), 0, nullptr, characters.data(),
              static_cast<UINT>(characters.size()), advances.data());
}

void EmfVectorCanvas::Finish() {
  FlushRun();
  if (pen_) {
    SelectObject(dc_, GetStockObject(BLACK_PEN));
    DeleteObject(pen_);
    pen_ = 0;
  }
  if (font_) {
    SelectObject(dc_, GetStockObject(DEVICE_DEFAULT_FONT));
    DeleteObject(font_);
    font_ = 0;
  }
}

// The bytes are written into memory by the C library; the stream is used by
// this thread only, so its lock is left out of every small write.
class MemoryStream {
 public:
  MemoryStream() : file_(open_memstream(&data_, &size_)) {
    if (file_) __fsetlocking(file_, FSETLOCKING_BYCALLER);
  }
  ~MemoryStream() {
    if (file_) std::fclose(file_);
    std::free(data_);
  }
  MemoryStream(const MemoryStream&) = delete;
  MemoryStream& operator=(const MemoryStream&) = delete;
  FILE* File() const { return file_; }
  // Closes the stream; the bytes written, or empty when a write failed.
  QByteArray Take() {
    const bool written = std::fclose(file_) == 0;
    file_ = nullptr;
    return written ? QByteArray(data_, static_cast<qsizetype>(size_)) : QByteArray();
  }

 private:
  char* data_ = nullptr;
  size_t size_ = 0;
  FILE* file_;
};

// The device context and its records live in libEMF's table until deleted.
class MetafileContext {
 public:
  MetafileContext(FILE* file, const RECT& frame)
      : dc_(CreateEnhMetaFileWithFILEA(0, file, &frame, nullptr)) {}
  ~MetafileContext() {
    if (dc_) DeleteDC(dc_);
  }
  MetafileContext(const MetafileContext&) = delete;
  MetafileContext& operator=(const MetafileContext&) = delete;
  HDC Dc() const { return dc_; }

 private:
  HDC dc_;
};

QByteArray WriteMetafile(const render::VectorRecording& recording, int width, int height) {
  MemoryStream stream;
  if (!stream.File()) return {};
  const RECT frame{0, 0, width, height};
  MetafileContext context(stream.File(), frame);
  const HDC dc = context.Dc();
  if (!dc) return {};
  SetMapMode(dc, MM_ANISOTROPIC);
  SetWindowExtEx(dc, width, height, nullptr);
  SetViewportExtEx(
      dc, static_cast<INT>(std::max<int64_t>(1, width * kDevicePixelsX / kDeviceHundredthsX)),
      static_cast<INT>(std::max<int64_t>(1, height * kDevicePixelsY / kDeviceHundredthsY)),
      nullptr);
  SetTextAlign(dc, TA_TOP | TA_LEFT | TA_NOUPDATECP);
  SetTextColor(dc, RGB(0, 0, 0));
  EmfVectorCanvas canvas(dc);
  recording.Play(canvas);
  canvas.Finish();
  CloseEnhMetaFileWithFILE(dc);
  return stream.Take();
}

}  // namespace

// libEMF reports a failed write or allocation by throwing; the metafile is
// then simply not made.
document::Result<QByteArray> EmfBytes(const render::VectorRecording& recording, int width,
                                      int height) {
  const document::Status page = render::VectorPageStatus(width, height);
  if (!page.ok()) return page;
  QByteArray bytes;
  try {
    bytes = WriteMetafile(recording, width, height);
  } catch (const std::exception&) {
    bytes.clear();
  }
  if (bytes.isEmpty()) return document::Status::Failure(render::kVectorNotMade);
  return bytes;
}

}  // namespace korvelin::platform
