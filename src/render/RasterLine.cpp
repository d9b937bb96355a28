// The line drawer. The full walk visits steps i = 0 .. n of the major axis and
// sets (major_start + dir * i, round(i * Slope + minor_start)), Slope being
// the 32-bit float of the minor/major ratio, each pixel kept only if it lies
// on the surface. A segment towards a point far off the plot (a peak when the
// view is zoomed into the baseline) would make that walk millions of steps
// long, so the drawer finds the steps whose pixels can be on the surface and
// walks only those. Both coordinates are monotonic in i (a conversion to
// double, a product with a fixed factor, a sum with a fixed term and the
// rounding are each monotonic), so the visible steps form one interval: exact
// on the major axis by subtraction, and on the minor axis by bisection over at
// most a surface's width of steps. The pixels are the ones the full walk sets.

#include "render/RasterLine.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "render/PlotMapping.h"

namespace korvelin::render {
namespace {

constexpr int64_t kFar = kFarCoordinate;

struct Line {
  int64_t major_start = 0;
  int64_t major_dir = 1;
  int64_t minor_start = 0;
  uint64_t steps = 0;  // the last i: the walk has steps + 1 pixels
  float slope = 0;
};

// The minor coordinate of step i exactly as the full walk computes it: the
// float slope widened, one product and one sum in double, rounded once.
inline int64_t MinorAt(const Line& line, uint64_t i) {
  return RoundHalfEven(static_cast<double>(i) * static_cast<double>(line.slope) +
                       static_cast<double>(line.minor_start));
}

uint64_t Distance(int64_t a, int64_t b) {
  return b >= a ? static_cast<uint64_t>(b) - static_cast<uint64_t>(a)
                : static_cast<uint64_t>(a) - static_cast<uint64_t>(b);
}

Line MakeLine(int64_t major1, int64_t major2, int64_t minor1, int64_t minor2) {
  Line line;
  line.major_start = major1;
  line.major_dir = major2 >= major1 ? 1 : -1;
  line.minor_start = minor1;
  line.steps = Distance(major1, major2);
  const double minor_span = static_cast<double>(Distance(minor1, minor2));
  const double ratio = minor_span / static_cast<double>(line.steps);
  line.slope = static_cast<float>(minor2 >= minor1 ? ratio : -ratio);
  return line;
}

// Steps whose major coordinate lies in [0, limit). Coordinates are within
// +-2^62 and limits below 2^31, so none of these sums can overflow.
bool MajorSteps(const Line& line, int64_t limit, uint64_t& lo, uint64_t& hi) {
  const int64_t s = line.major_start;
  const int64_t first = line.major_dir > 0 ? -s : s - (limit - 1);
  const int64_t last = line.major_dir > 0 ? limit - 1 - s : s;
  if (last < 0 || first > last) return false;
  lo = first < 0 ? 0 : static_cast<uint64_t>(first);
  hi = std::min(static_cast<uint64_t>(last), line.steps);
  return lo <= hi;
}

// First i in [lo, hi] for which a monotonic predicate holds, hi + 1 if none.
template <class Pred>
uint64_t FirstTrue(uint64_t lo, uint64_t hi, Pred pred) {
  uint64_t a = lo;
  uint64_t b = hi + 1;
  while (a < b) {
    const uint64_t mid = a + (b - a) / 2;
    if (pred(mid)) {
      b = mid;
    } else {
      a = mid + 1;
    }
  }
  return a;
}

bool VisibleSteps(const Line& line, int64_t major_limit, int64_t minor_limit, uint64_t& first,
                  uint64_t& last) {
  uint64_t lo = 0;
  uint64_t hi = 0;
  if (!MajorSteps(line, major_limit, lo, hi)) return false;
  auto inside = [&](uint64_t i) {
    const int64_t v = MinorAt(line, i);
    return v >= 0 && v < minor_limit;
  };
  if (inside(lo) && inside(hi)) {  // the usual case: a segment within the plot
    first = lo;
    last = hi;
    return true;
  }
  uint64_t end = 0;
  if (line.slope >= 0) {
    first = FirstTrue(lo, hi, [&](uint64_t i) { return MinorAt(line, i) >= 0; });
    end = FirstTrue(lo, hi, [&](uint64_t i) { return MinorAt(line, i) >= minor_limit; });
  } else {
    first = FirstTrue(lo, hi, [&](uint64_t i) { return MinorAt(line, i) < minor_limit; });
    end = FirstTrue(lo, hi, [&](uint64_t i) { return MinorAt(line, i) < 0; });
  }
  if (first >= end) return false;
  last = end - 1;
  return true;
}

// The float slope as m / 2^k with integer m (|m| < 2^24) and k >= 1.
struct ExactSlope {
  int64_t m = 0;
  int k = 1;
};

bool DecomposeSlope(float slope, ExactSlope& out) {
  const uint32_t bits = std::bit_cast<uint32_t>(slope);
  const int exponent = static_cast<int>((bits >> 23) & 0xFF);
  if ((bits & 0x7FFFFFFF) == 0) {
    out = ExactSlope{};
    return true;
  }
  if (exponent == 0 || exponent == 0xFF) return false;
  int64_t mantissa = (bits & 0x7FFFFF) | 0x800000;
  int k = 150 - exponent;  // slope = mantissa / 2^k
  if (k < 1) return false;
  const int drop = std::min(std::countr_zero(static_cast<uint64_t>(mantissa)), k - 1);
  mantissa >>= drop;
  k -= drop;
  out.m = (bits >> 31) ? -mantissa : mantissa;
  out.k = k;
  return true;
}

// i * Slope + minor_start is (i * m + minor_start * 2^k) / 2^k. When every
// such numerator up to step `last` stays below 2^53 in magnitude, the double
// product and sum of the full walk are exact, and the rounding can be done on
// the integer numerator instead; the bound is checked with a factor-2 margin.
bool IntegerWalkIsExact(const Line& line, const ExactSlope& e, uint64_t last) {
  if (e.k > 52) return false;
  const double two_k = static_cast<double>(int64_t{1} << e.k);
  const double start = static_cast<double>(line.minor_start);
  const double bound = static_cast<double>(last) * static_cast<double>(e.m < 0 ? -e.m : e.m) +
                       (start < 0 ? -start : start) * two_k;
  return bound < 0x1p52;
}

// The pixel bytes and size of a surface, read once per line.
struct Surface {
  uint8_t* pixels = nullptr;
  int64_t w = 0;
  int64_t h = 0;
  uint8_t* At(int64_t x, int64_t y) const { return pixels + (h - 1 - y) * w + x; }
};

// Walks steps first .. last, all on the surface, on the integer numerator.
// acc is the numerator plus half a unit: its floor quotient is the nearest
// integer, and a zero remainder marks an exact half, which goes to the even
// neighbour. Example: 0.3f is 5033165 / 2^24; step 15 of the line (0, 0) to
// (20, 6) gives 4.50000018, whose remainder is not zero, so row 5.
template <bool kXMajor>
void WalkExact(const Surface& s, const Line& line, const ExactSlope& e, uint64_t first,
               uint64_t last, uint8_t value) {
  const int64_t mask = (int64_t{1} << e.k) - 1;
  int64_t acc =
      static_cast<int64_t>(first) * e.m + line.minor_start * (mask + 1) + (int64_t{1} << (e.k - 1));
  int64_t major = line.major_start + line.major_dir * static_cast<int64_t>(first);
  for (uint64_t count = last - first + 1; count != 0; --count) {
    int64_t q = acc >> e.k;
    if ((acc & mask) == 0) q &= ~int64_t{1};
    *(kXMajor ? s.At(major, q) : s.At(q, major)) = value;
    acc += e.m;
    major += line.major_dir;
  }
}

// Visits the pixels of steps first .. last, all known to be on the surface.
template <bool kXMajor>
void WalkVisible(const Surface& s, const Line& line, uint64_t first, uint64_t last, uint8_t value) {
  ExactSlope e;
  if (DecomposeSlope(line.slope, e) && IntegerWalkIsExact(line, e, last)) {
    WalkExact<kXMajor>(s, line, e, first, last, value);
    return;
  }
  int64_t major = line.major_start + line.major_dir * static_cast<int64_t>(first);
  for (uint64_t count = last - first + 1, i = first; count != 0; --count, ++i) {
    const int64_t minor = MinorAt(line, i);
    *(kXMajor ? s.At(major, minor) : s.At(minor, major)) = value;
    major += line.major_dir;
  }
}

void DrawClipped(const Surface& s, int64_t x1, int64_t y1, int64_t x2, int64_t y2, uint8_t value) {
  uint64_t first = 0;
  uint64_t last = 0;
  if (Distance(y1, y2) < Distance(x1, x2)) {
    const Line line = MakeLine(x1, x2, y1, y2);
    if (VisibleSteps(line, s.w, s.h, first, last)) WalkVisible<true>(s, line, first, last, value);
  } else {  // y is the major axis, also for an exact diagonal
    const Line line = MakeLine(y1, y2, x1, x2);
    if (VisibleSteps(line, s.h, s.w, first, last)) WalkVisible<false>(s, line, first, last, value);
  }
}

// Lines with both ends on a surface of at most 2^14 pixels each way, the
// common case when a trace is in view. Every step is then on the surface
// (the minor coordinate runs monotonically from one end to the other: the
// float slope is within 2^-24 of the exact ratio, so step n lands within
// 0.25 of the far end's coordinate), and the numerators stay below 2^52, so
// the integer walk is exact. The ends are set directly, which is all a
// segment of one step has; segments along a row or column need no slope.
constexpr int64_t kInsideLimit = int64_t{1} << 14;

void DrawInside(const Surface& s, int64_t x1, int64_t y1, int64_t x2, int64_t y2, uint8_t value) {
  *s.At(x1, y1) = value;
  *s.At(x2, y2) = value;
  const int64_t dx = x2 > x1 ? x2 - x1 : x1 - x2;
  const int64_t dy = y2 > y1 ? y2 - y1 : y1 - y2;
  if (dx <= 1 && dy <= 1) return;
  if (dx == 0) {
    uint8_t* p = s.At(x1, std::min(y1, y2) + 1);
    for (int64_t n = dy - 1; n != 0; --n, p -= s.w) *p = value;
  } else if (dy == 0) {
    std::memset(s.At(std::min(x1, x2) + 1, y1), value, static_cast<size_t>(dx - 1));
  } else if (dy < dx) {
    const Line line = MakeLine(x1, x2, y1, y2);
    ExactSlope e;
    DecomposeSlope(line.slope, e);
    WalkExact<true>(s, line, e, 1, static_cast<uint64_t>(dx - 1), value);
  } else {
    const Line line = MakeLine(y1, y2, x1, x2);
    ExactSlope e;
    DecomposeSlope(line.slope, e);
    WalkExact<false>(s, line, e, 1, static_cast<uint64_t>(dy - 1), value);
  }
}

}  // namespace

void DrawRasterLine(RasterImage& image, int64_t x1, int64_t y1, int64_t x2, int64_t y2,
                    uint32_t colour) {
  if (image.IsNull()) return;
  const Surface s{image.Pixels(), image.Width(), image.Height()};
  const uint8_t value = static_cast<uint8_t>(colour);
  auto on = [&](int64_t x, int64_t y) { return x >= 0 && x < s.w && y >= 0 && y < s.h; };
  if (s.w <= kInsideLimit && s.h <= kInsideLimit && on(x1, y1) && on(x2, y2)) {
    DrawInside(s, x1, y1, x2, y2, value);
    return;
  }
  // Mapped points never lie beyond +-2^62 (plus a 32-bit origin on the vector
  // page, which does not come here); clamping keeps every span within 2^63.
  x1 = std::clamp(x1, -kFar, kFar);
  y1 = std::clamp(y1, -kFar, kFar);
  x2 = std::clamp(x2, -kFar, kFar);
  y2 = std::clamp(y2, -kFar, kFar);
  if (x1 == x2 && y1 == y2) {
    if (on(x1, y1)) *s.At(x1, y1) = value;
    return;
  }
  DrawClipped(s, x1, y1, x2, y2, value);
}

}  // namespace korvelin::render
