#pragma once
// Recording stand-ins for the drawing interfaces: a text measurer with fixed
// metrics, a picture canvas and a vector canvas that log every call in order.
// Tests check coordinates and order against the log; nothing is rendered.

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "render/Canvas.h"
#include "render/RasterImage.h"

namespace korvelin::render::testing {

// Every character is 8 pixels wide and every text 19 high, so the reference
// text "-000000" measures 56 x 19, the metrics of the window's default font.
class FixedTextMeasurer : public TextMeasurer {
 public:
  static constexpr int kCharWidth = 8;
  static constexpr int kHeight = 19;
  void SetFont(const FontSpec& font) override {
    font_ = font;
    ++font_changes;
  }
  TextSize Measure(std::string_view text) override {
    measured.emplace_back(text);
    return TextSize{static_cast<int>(text.size()) * kCharWidth, kHeight};
  }
  const FontSpec& Font() const { return font_; }
  std::vector<std::string> measured;
  int font_changes = 0;

 private:
  FontSpec font_;
};

// Characters half the font's height wide, lines 19/16 of it high: the
// window's 16-pixel font measures "-000000" 56 x 19, the page's 800-unit
// font 2800 x 950.
class ScalingMeasurer : public TextMeasurer {
 public:
  void SetFont(const FontSpec& font) override { fonts.push_back(font); }
  TextSize Measure(std::string_view text) override {
    measured.emplace_back(text);
    const int height = fonts.empty() ? 16 : fonts.back().pixel_height;
    return {static_cast<int>(text.size()) * (height / 2), height * 19 / 16};
  }
  std::vector<FontSpec> fonts;
  std::vector<std::string> measured;
};

struct PlacedText {
  int x = 0;
  int y = 0;
  std::string text;
  bool operator==(const PlacedText&) const = default;
};

// Logs calls as short lines ("FillRect 0 0 640 480") and keeps the texts and
// the blitted surface's pixels apart for closer checks.
class RecordingPictureCanvas : public PictureCanvas {
 public:
  RecordingPictureCanvas(int width, int height) : width_(width), height_(height) {}
  void SetPenColor(uint32_t rgb) override { Log("SetPenColor " + std::to_string(rgb)); }
  void SetPenMode(PenMode mode) override {
    Log(mode == PenMode::Xor ? "SetPenMode Xor" : "SetPenMode Copy");
  }
  void Rectangle(int x1, int y1, int x2, int y2) override {
    Log("Rectangle " + Join({x1, y1, x2, y2}));
  }
  void SetBrushColor(uint32_t rgb) override { Log("SetBrushColor " + std::to_string(rgb)); }
  void SetBrushStyle(BrushStyle style) override {
    brush_style = style;
    Log("SetBrushStyle " + std::to_string(static_cast<int>(style)));
  }
  void FillRect(int left, int top, int right, int bottom) override {
    Log("FillRect " + Join({left, top, right, bottom}));
  }
  void SetFont(const FontSpec& font) override {
    this->font = font;
    Log("SetFont " + font.name + " " + std::to_string(font.pixel_height));
  }
  void TextOut(int x, int y, std::string_view text) override {
    texts.push_back(PlacedText{x, y, std::string(text)});
    Log("TextOut");
  }
  void BlitRaster(const RasterImage& image, int x, int y) override {
    blitted.assign(image.Pixels(), image.Pixels() + int64_t{image.Width()} * image.Height());
    Log("BlitRaster " + Join({x, y}));
  }
  void SetVisible(bool visible) override { Log(visible ? "Show" : "Hide"); }
  int Width() const override { return width_; }
  int Height() const override { return height_; }

  std::vector<std::string> calls;
  std::vector<PlacedText> texts;
  std::vector<uint8_t> blitted;
  BrushStyle brush_style = BrushStyle::Solid;
  FontSpec font;

 private:
  void Log(std::string line) { calls.push_back(std::move(line)); }
  static std::string Join(std::initializer_list<int> values) {
    std::string out;
    for (int v : values) {
      if (!out.empty()) out += ' ';
      out += std::to_string(v);
    }
    return out;
  }
  int width_;
  int height_;
};

struct VectorOp {
  enum Kind { PenColor, PenWidth, MoveTo, LineTo, Font, Brush, Text };
  VectorOp(Kind kind, int64_t a = 0, int64_t b = 0, std::string text = {})
      : kind(kind), a(a), b(b), text(std::move(text)) {}
  Kind kind;
  int64_t a = 0;
  int64_t b = 0;
  std::string text;
  bool operator==(const VectorOp&) const = default;
};

class RecordingVectorCanvas : public VectorCanvas {
 public:
  void SetPenColor(uint32_t color_ref) override { ops.push_back({VectorOp::PenColor, color_ref}); }
  void SetPenWidth(int width) override { ops.push_back({VectorOp::PenWidth, width}); }
  void MoveTo(int64_t x, int64_t y) override { ops.push_back({VectorOp::MoveTo, x, y}); }
  void LineTo(int64_t x, int64_t y) override { ops.push_back({VectorOp::LineTo, x, y}); }
  // Logs the character height in page units and the face.
  void SetFont(const FontSpec& font) override {
    ops.push_back({VectorOp::Font, font.pixel_height, 0, font.name});
  }
  void SetBrushStyle(BrushStyle style) override {
    ops.push_back({VectorOp::Brush, static_cast<int64_t>(style)});
  }
  void TextOut(int64_t x, int64_t y, std::string_view text) override {
    ops.push_back({VectorOp::Text, x, y, std::string(text)});
  }
  std::vector<VectorOp> ops;
};

}  // namespace korvelin::render::testing
