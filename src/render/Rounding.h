#pragma once
// The one rounding of the drawing: data positions become whole pixels or
// page units by round-half-even, the processor's own rounding, so the
// screen, the page and the tick walk agree to the unit.

#include <cmath>
#include <cstdint>
#if defined(__x86_64__) || defined(_M_X64)
#include <emmintrin.h>
#endif

namespace korvelin::render {

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

}  // namespace korvelin::render
