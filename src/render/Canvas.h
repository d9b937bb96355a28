#pragma once
// The drawing interfaces the plots are drawn through. The core never touches
// a toolkit: the program implements these with Qt, the tests with recorders
// that check coordinates and order.

#include <cstdint>
#include <string>
#include <string_view>

namespace korvelin::render {

class RasterImage;

// A font as the window names it: a face and a character height in pixels
// (the window's own font is "Times New Roman" with a 16-pixel character
// height, which is 12 points on a 96-dpi screen).
//
// pixel_height is the one size a font carries, in the units of whatever it
// is drawn on: screen pixels for the window and its measuring label, page
// units for the vector canvas, where one unit stands for one pixel of the
// 96-dpi reference screen. Points exist only where a size is scaled as
// points (the vector plot's font), through FontPointSize and WithPointSize.
struct FontSpec {
  std::string name = "Times New Roman";
  int pixel_height = 16;
  bool bold = false;
  bool italic = false;
  bool operator==(const FontSpec&) const = default;
};

// A size in points is a size in pixels at 72 of them to the 96 pixels of the
// reference screen's inch, rounded to the nearest, halves away from zero:
// 16 pixels are 12 points and 600 points are 800 pixels.
inline int ScaleFontSize(int64_t size, int64_t numerator, int64_t denominator) {
  const int64_t scaled = size * numerator;
  const int64_t rounded =
      (scaled >= 0 ? scaled + denominator / 2 : scaled - denominator / 2) / denominator;
  constexpr int64_t kLimit = 0x7FFFFFFF;
  return static_cast<int>(rounded > kLimit ? kLimit : (rounded < -kLimit ? -kLimit : rounded));
}

inline int FontPointSize(const FontSpec& font) { return ScaleFontSize(font.pixel_height, 72, 96); }

inline FontSpec WithPointSize(FontSpec font, int points) {
  font.pixel_height = ScaleFontSize(points, 96, 72);
  return font;
}

struct TextSize {
  int width = 0;
  int height = 0;
  bool operator==(const TextSize&) const = default;
};

// Measures text the way the window's invisible label does: the size the
// label takes when given the text as its caption in the given font.
class TextMeasurer {
 public:
  virtual ~TextMeasurer() = default;
  virtual void SetFont(const FontSpec& font) = 0;
  virtual TextSize Measure(std::string_view text) = 0;
};

enum class BrushStyle { Solid, Clear, Cross };

// How the pen of outline rectangles meets the picture: Copy sets the pen's
// colour, Xor exclusive-ors it into each pixel, so drawing twice restores
// the pixels (the rubber band is erased that way).
enum class PenMode { Copy, Xor };

// The canvas of the window's picture: a bitmap as large as the client area.
// A brush style other than Solid draws text with a transparent background.
class PictureCanvas {
 public:
  virtual ~PictureCanvas() = default;
  virtual void SetPenColor(uint32_t rgb) = 0;  // 0x00RRGGBB
  virtual void SetPenMode(PenMode mode) = 0;
  // The one-pixel outline of the rectangle with corners (x1, y1) and
  // (x2, y2), in any order, the far column and row left out: corners
  // (10, 10) and (13, 12) outline columns 10..12 of rows 10 and 11. The
  // brush is not used; every pixel of the outline is touched once.
  virtual void Rectangle(int x1, int y1, int x2, int y2) = 0;
  virtual void SetBrushColor(uint32_t rgb) = 0;  // 0x00RRGGBB
  virtual void SetBrushStyle(BrushStyle style) = 0;
  virtual void FillRect(int left, int top, int right, int bottom) = 0;
  virtual void SetFont(const FontSpec& font) = 0;
  // (x, y) is the top-left corner of the text, drawn in black over the
  // current brush: a transparent background unless the brush is Solid.
  virtual void TextOut(int x, int y, std::string_view text) = 0;
  // Copies the whole surface one-to-one with its top-left pixel at (x, y).
  virtual void BlitRaster(const RasterImage& image, int x, int y) = 0;
  // The picture is hidden while a redraw runs so nothing shows half drawn.
  virtual void SetVisible(bool visible) = 0;
  virtual int Width() const = 0;
  virtual int Height() const = 0;
};

// The canvas that print and metafile output record onto. Coordinates are
// units of the vector page; a point far off the page is passed on as it is,
// and each container holds it as far as its numbers reach. The font's
// pixel_height is its character height in page units.
class VectorCanvas {
 public:
  virtual ~VectorCanvas() = default;
  virtual void SetPenColor(uint32_t color_ref) = 0;  // red in the lowest byte
  virtual void SetPenWidth(int width) = 0;
  virtual void MoveTo(int64_t x, int64_t y) = 0;
  virtual void LineTo(int64_t x, int64_t y) = 0;
  virtual void SetFont(const FontSpec& font) = 0;
  // A style other than Solid draws text with a transparent background.
  virtual void SetBrushStyle(BrushStyle style) = 0;
  // (x, y) is the top-left corner of the text.
  virtual void TextOut(int64_t x, int64_t y, std::string_view text) = 0;
};

}  // namespace korvelin::render
