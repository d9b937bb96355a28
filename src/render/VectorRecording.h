#pragma once
// A vector canvas that keeps every operation made on it, in order, so the
// vector plot is drawn once and played onto every output: metafile, PDF,
// SVG, printer and clipboard. It stores coordinates as the plot gives them;
// each container that plays the recording holds them as far as its own
// numbers reach, and says so where it plays them.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "document/Status.h"
#include "render/Canvas.h"

namespace korvelin::render {

class VectorRecording final : public VectorCanvas {
 public:
  void SetPenColor(uint32_t color_ref) override;
  void SetPenWidth(int width) override;
  void MoveTo(int64_t x, int64_t y) override;
  void LineTo(int64_t x, int64_t y) override;
  void SetFont(const FontSpec& font) override;
  void SetBrushStyle(BrushStyle style) override;
  void TextOut(int64_t x, int64_t y, std::string_view text) override;

  // Makes every recorded call again on canvas, in the order recorded.
  void Play(VectorCanvas& canvas) const;
  // The number of recorded operations.
  size_t Size() const { return ops_.size(); }
  bool Empty() const { return ops_.empty(); }
  // Room for this many operations, so a long trace is recorded without
  // the store growing under it.
  void Reserve(size_t operations) { ops_.reserve(operations); }

 private:
  enum class Kind : uint8_t { PenColor, PenWidth, MoveTo, LineTo, Font, Brush, Text };
  // 24 bytes: a trace of 524,288 points is 12 MB. arg is the colour, the
  // width, the brush style, or the index of the font or of the text.
  struct Op {
    int64_t x = 0;
    int64_t y = 0;
    uint32_t arg = 0;
    Kind kind = Kind::MoveTo;
  };
  std::vector<Op> ops_;
  std::vector<FontSpec> fonts_;
  std::vector<std::string> texts_;
};

// The largest page side, in hundredths of a millimetre, that every container
// holds: 20 m. The metafile's header converts the page into pixels of its
// reference device (1024 pixels to 320 mm) in 32 bits, and 2,000,000 x 1024
// is the last such product that fits.
inline constexpr int32_t kMaxVectorPageSide = 2000000;

// Ok when width x height hundredths of a millimetre is a page every
// container can hold; otherwise a failure that gives the sides and the limit.
document::Status VectorPageStatus(int32_t width, int32_t height);

// The reason a container's bytes could not be made from a recording (no
// memory, a writer that failed), for every vector format.
inline constexpr char kVectorNotMade[] = "the vector picture could not be made";

}  // namespace korvelin::render
