#pragma once
// A trace's points as the drawing loops read them: the two waves' values
// with the y wave's offsets added, read a block at a time, and the walk past
// points outside the x range.

#include <cstdint>

#include "document/GraphDocument.h"
#include "render/IntensityScale.h"
#include "render/PlotMapping.h"

namespace korvelin::render {

// The per-trace values the loops read. Value indices are kept as the first
// index and stride of each wave; point k is at first + k * stride.
struct TraceState {
  int64_t MarkerHalf = 0;
  int PaletteIndex = 0;
  int32_t PointCount = 0;
  int32_t XIndex = 0;
  int32_t YIndex = 0;
  int32_t XStride = 0;
  int32_t YStride = 0;
  double ShiftX = 0;
  double ShiftY = 0;
  uint32_t Colour = 0;
  // The y values, offset added, go through this scale (the mapping's).
  document::IntensityScale YScale = document::IntensityScale::Linear;
};

// Whether index names a wave of the document.
bool IsWave(const document::GraphDocument& doc, int32_t index);

// Fills st for the trace of y_wave against x_wave; false, and nothing to
// draw, when either is not a wave of the document.
bool SetUpTrace(const document::GraphDocument& doc, int32_t y_wave, int32_t x_wave, TraceState& st);

class TracePoints {
 public:
  TracePoints(const document::GraphDocument& doc, const TraceState& st)
      : store_(doc.Values), st_(st) {}
  double X(int32_t k) const {
    return document::GetValue(store_, st_.XIndex + k * st_.XStride) + st_.ShiftX;
  }
  double Y(int32_t k) const {
    const double y = document::GetValue(store_, st_.YIndex + k * st_.YStride) + st_.ShiftY;
    return st_.YScale == document::IntensityScale::Linear ? y : ScaledIntensity(st_.YScale, y);
  }
  int32_t Count() const { return st_.PointCount; }
  // Points first .. first + n - 1, shifted, into xs and ys; ys in data
  // units, before any y scale.
  void Read(int32_t first, int32_t n, double* xs, double* ys) const {
    ReadWave(st_.XIndex + first * st_.XStride, st_.XStride, st_.ShiftX, n, xs);
    ReadWave(st_.YIndex + first * st_.YStride, st_.YStride, st_.ShiftY, n, ys);
  }

 private:
  // A run of values on one page is read through a plain pointer, without the
  // page lookup per value.
  void ReadWave(int32_t index, int32_t stride, double shift, int32_t n, double* out) const {
    const int32_t last = index + (n - 1) * stride;
    if (n > 0 && (index >> document::kPageShift) == (last >> document::kPageShift)) {
      const auto& page = store_.pages[static_cast<uint32_t>(index) >> document::kPageShift];
      const double* src = &page[index & (document::kPageSize - 1)];
      for (int32_t j = 0; j < n; ++j) out[j] = src[int64_t{j} * stride] + shift;
      return;
    }
    for (int32_t j = 0; j < n; ++j) out[j] = document::GetValue(store_, index + j * stride) + shift;
  }

  const document::ValueStore& store_;
  const TraceState& st_;
};

// Points are read and mapped a block at a time before any segment of the
// block is drawn, so that reading and rounding run as a tight loop of their
// own instead of between the drawer's data-dependent branches.
inline constexpr int32_t kBlock = 256;

inline bool InsideX(const PlotMapping& m, double x) { return m.ClipLeft <= x && x <= m.ClipRight; }

// The order of a trace's x values, found once per trace and only when a point
// outside the x range is met. Adding the wave's x offset keeps the order, and
// a NaN anywhere makes the trace unordered.
enum class XOrder { Unknown, Rising, Falling, Unordered };

// Where a trace's walk goes on after point k, which lies outside the x
// range: past the run of points outside, when the x values are ordered
// (order is found on first use). Every point passed over lies outside.
int32_t ResumeAfterOutside(const TracePoints& p, const PlotMapping& m, XOrder& order, int32_t k);

}  // namespace korvelin::render
