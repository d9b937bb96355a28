#pragma once
// Conversions between data coordinates and drawing coordinates: data to
// raster pixels, data to vector units, and window pixels back to data.
// The forward mappings are precomputed into PlotMapping once per redraw so
// that each point costs one subtract, one multiply and one rounding per axis.

#include <cmath>
#include <cstdint>
#if defined(__x86_64__) || defined(_M_X64)
#include <emmintrin.h>
#endif

#include "document/GraphDocument.h"

namespace korvelin::render {

struct PlotMapping {
  double ClipLeft = 0;
  double ClipRight = 0;
  double ClipBottom = 0;
  double ClipTop = 0;
  int32_t PixelOriginX = 0;
  int32_t PixelOriginY = 0;
  double DataOriginX = 0;
  double DataOriginY = 0;
  double ScaleX = 0;
  double ScaleY = 0;
};

// Drawing coordinates are 64-bit so that a point far outside a tiny axis
// range keeps a defined position; they are clamped to +-kFarCoordinate.
constexpr int64_t kFarCoordinate = int64_t{1} << 62;

// Nearest integer, exact halves to the even neighbour (2.5 -> 2, 3.5 -> 4,
// -0.5 -> 0); NaN gives 0 and values beyond +-2^62 are clamped there.
// Inline because every trace point goes through it twice; the conversion
// uses the processor's current rounding mode, which is to-nearest-even
// unless someone changes it (nothing in the program does).
inline int64_t RoundHalfEven(double v) {
  constexpr double kLimit = 4611686018427387904.0;  // 2^62
  // One test for the usual case; NaN fails it.
  if (std::fabs(v) < kLimit) {
#if defined(__x86_64__) || defined(_M_X64)
    return _mm_cvtsd_si64(_mm_set_sd(v));
#else
    return static_cast<int64_t>(std::nearbyint(v));
#endif
  }
  if (v != v) return 0;
  return v > 0 ? kFarCoordinate : -kFarCoordinate;
}

// Like RoundHalfEven but for results that must fit 32 bits (page units,
// tick offsets); clamps to the int32 range.
int32_t RoundHalfEven32(double v);

void SetScreenMapping(PlotMapping& mapping, const document::GraphDocument& doc);
void SetVectorMapping(PlotMapping& mapping, const document::GraphDocument& doc);

// MetafileWidth / ClientSize.Width and MetafileHeight / ClientSize.Height.
double VectorScaleX(const document::GraphDocument& doc);
double VectorScaleY(const document::GraphDocument& doc);

// Window pixel (x, y) of the image control to data coordinates.
void PixelToData(int32_t x, int32_t y, const document::PixelRect& plot_rect,
                 const document::TRealRect& axis_range, double& data_x, double& data_y);

// A mapping can draw points only when both axis spans are non-zero and
// finite, whichever way they run; a zero span draws the frame and nothing
// else.
bool HasDrawableRange(const PlotMapping& mapping);

inline bool PointInside(const PlotMapping& m, double x, double y) {
  return m.ClipLeft <= x && x <= m.ClipRight && m.ClipBottom <= y && y <= m.ClipTop;
}

inline int64_t MapX(const PlotMapping& m, double x) {
  return RoundHalfEven((x - m.DataOriginX) * m.ScaleX) + m.PixelOriginX;
}

inline int64_t MapY(const PlotMapping& m, double y) {
  return RoundHalfEven((y - m.DataOriginY) * m.ScaleY) + m.PixelOriginY;
}

// out[j] = RoundHalfEven((in[j] - origin) * scale) + pixel_origin for j below
// n, as MapX and MapY compute each, several at a time.
void MapPositions(const double* in, int32_t n, double origin, double scale, int64_t pixel_origin,
                  int64_t* out);

}  // namespace korvelin::render
