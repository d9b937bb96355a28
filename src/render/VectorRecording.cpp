// Records vector operations into one flat list and plays them back. Texts
// and fonts are kept beside the list and named by index, so a line-to costs
// one 24-byte entry and nothing else.

#include "render/VectorRecording.h"

namespace korvelin::render {

void VectorRecording::SetPenColor(uint32_t color_ref) {
  ops_.push_back({0, 0, color_ref, Kind::PenColor});
}

void VectorRecording::SetPenWidth(int width) { ops_.push_back({width, 0, 0, Kind::PenWidth}); }

void VectorRecording::MoveTo(int64_t x, int64_t y) { ops_.push_back({x, y, 0, Kind::MoveTo}); }

void VectorRecording::LineTo(int64_t x, int64_t y) { ops_.push_back({x, y, 0, Kind::LineTo}); }

void VectorRecording::SetFont(const FontSpec& font) {
  ops_.push_back({0, 0, static_cast<uint32_t>(fonts_.size()), Kind::Font});
  fonts_.push_back(font);
}

void VectorRecording::SetBrushStyle(BrushStyle style) {
  ops_.push_back({0, 0, static_cast<uint32_t>(style), Kind::Brush});
}

void VectorRecording::TextOut(int64_t x, int64_t y, std::string_view text) {
  ops_.push_back({x, y, static_cast<uint32_t>(texts_.size()), Kind::Text});
  texts_.emplace_back(text);
}

void VectorRecording::Play(VectorCanvas& canvas) const {
  for (const Op& op : ops_) {
    switch (op.kind) {
      case Kind::PenColor:
        canvas.SetPenColor(op.arg);
        break;
      case Kind::PenWidth:
        canvas.SetPenWidth(static_cast<int>(op.x));
        break;
      case Kind::MoveTo:
        canvas.MoveTo(op.x, op.y);
        break;
      case Kind::LineTo:
        canvas.LineTo(op.x, op.y);
        break;
      case Kind::Font:
        canvas.SetFont(fonts_[op.arg]);
        break;
      case Kind::Brush:
        canvas.SetBrushStyle(static_cast<BrushStyle>(op.arg));
        break;
      case Kind::Text:
        canvas.TextOut(op.x, op.y, texts_[op.arg]);
        break;
    }
  }
}

document::Status VectorPageStatus(int32_t width, int32_t height) {
  if (width >= 1 && width <= kMaxVectorPageSide && height >= 1 && height <= kMaxVectorPageSide) {
    return {};
  }
  return document::Status::Failure(
      "The metafile size " + std::to_string(width) + " x " + std::to_string(height) +
      " is not a page: each side must be 1 to " + std::to_string(kMaxVectorPageSide) +
      " hundredths of a millimetre");
}

}  // namespace korvelin::render
