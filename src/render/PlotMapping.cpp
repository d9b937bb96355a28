// Sets up the forward mappings (data to raster pixels, data to vector units)
// and converts window pixels back to data. Every quotient here has a divisor
// that a pattern file can make zero (an axis command with equal edges), so
// each one goes through Ratio, which answers 0 instead; a mapping with a zero
// or non-finite scale is then refused by HasDrawableRange and draws no point.

#include "render/PlotMapping.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace korvelin::render {
namespace {

// num / den, or 0 when den is 0: a zero span has no scale to offer.
double Ratio(double num, double den) { return den == 0 ? 0.0 : num / den; }

// Pixel spans are formed in 64 bits so that no rectangle can overflow them.
double Span(int32_t low, int32_t high) { return static_cast<double>(int64_t{low} - int64_t{high}); }

// The clip box holds the smaller and the larger edge of each axis, so an axis
// that runs the other way (Left > Right, or Bottom > Top: wavenumbers falling
// to the right, a y axis running downwards) lets its points through; the
// origin stays at Left, Top and the scale takes the sign of the span, so
// x = Left still maps to column 0. A NaN edge fails every test below.
void SetClipAndOrigin(PlotMapping& mapping, const document::TRealRect& range, const ShownEnds& y) {
  mapping.ClipLeft = std::min(range.Left, range.Right);
  mapping.ClipRight = std::max(range.Left, range.Right);
  mapping.ClipBottom = std::min(y.end, y.start);
  mapping.ClipTop = std::max(y.end, y.start);
  mapping.DataOriginX = range.Left;
  mapping.DataOriginY = y.start;
}

// The smallest positive y, its wave's offset added, among the points whose x
// (offset added) lies within the x range; infinity when there is none.
double SmallestPositiveInView(const document::GraphDocument& doc) {
  const double left = std::min(doc.AxisRange.Left, doc.AxisRange.Right);
  const double right = std::max(doc.AxisRange.Left, doc.AxisRange.Right);
  double smallest = std::numeric_limits<double>::infinity();
  const int32_t traces = std::clamp(doc.TraceCount, 0, document::kMaxTraces);
  for (int32_t i = 0; i < traces; ++i) {
    const int32_t xi = doc.Traces[i].XWave;
    const int32_t yi = doc.Traces[i].YWave;
    if (xi < 0 || yi < 0 || xi >= std::min(doc.WaveCount, document::kMaxWaves) ||
        yi >= std::min(doc.WaveCount, document::kMaxWaves)) {
      continue;
    }
    const document::TWave& xw = doc.Waves[xi];
    const document::TWave& yw = doc.Waves[yi];
    const int64_t points = std::min(document::StoredPoints(xw, doc.ValueCount),
                                    document::StoredPoints(yw, doc.ValueCount));
    for (int64_t k = 0; k < points; ++k) {
      const double x =
          document::GetValue(doc.Values, static_cast<int32_t>(xw.first + k * xw.stride)) +
          yw.offsetx;
      const double y =
          document::GetValue(doc.Values, static_cast<int32_t>(yw.first + k * yw.stride)) +
          yw.offsety;
      if (left <= x && x <= right && y > 0 && y < smallest) smallest = y;
    }
  }
  return smallest;
}

std::optional<ShownEnds> ShownYRangeFrom(const document::GraphDocument& doc,
                                         double smallest_positive) {
  return ShownIntensityRange(doc.View.YScale, doc.AxisRange.Top, doc.AxisRange.Bottom,
                             smallest_positive);
}

// Sets the shown y ends and gives them, or an axis of no span where the
// scale shows nothing: the frame alone is drawn.
ShownEnds SetShownY(PlotMapping& mapping, const std::optional<ShownEnds>& shown,
                    const document::GraphDocument& doc) {
  mapping.ShownY = shown;
  mapping.YScale = doc.View.YScale;
  return mapping.ShownY.value_or(ShownEnds{0, 0});
}

}  // namespace

bool NeedsSmallestPositive(const document::GraphDocument& doc) {
  return doc.View.YScale == IntensityScale::Logarithmic &&
         (doc.AxisRange.Top <= 0 || doc.AxisRange.Bottom <= 0);
}

std::optional<ShownEnds> ShownYRange(const document::GraphDocument& doc) {
  return ShownYRangeFrom(doc, NeedsSmallestPositive(doc) ? SmallestPositiveInView(doc) : 0);
}

int32_t RoundHalfEven32(double v) {
  int64_t r = RoundHalfEven(v);
  if (r > std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
  if (r < std::numeric_limits<int32_t>::min()) return std::numeric_limits<int32_t>::min();
  return static_cast<int32_t>(r);
}

// With AxisRange (0, 10, 10, 0) and a 100 x 50 plot, ScaleX = -100 / -10 = 10
// and ScaleY = -50 / 10 = -5: (5, 5) maps to (50, 25), and (10, 0) to
// (100, 50), one past the last column and row, where the surface clips it.
void SetScreenMapping(PlotMapping& mapping, const document::GraphDocument& doc) {
  SetScreenMapping(mapping, doc, NeedsSmallestPositive(doc) ? SmallestPositiveInView(doc) : 0);
}

void SetScreenMapping(PlotMapping& mapping, const document::GraphDocument& doc,
                      double smallest_positive) {
  const document::TRealRect& range = doc.AxisRange;
  const document::PixelRect& plot = doc.PlotRect;
  const ShownEnds y = SetShownY(mapping, ShownYRangeFrom(doc, smallest_positive), doc);
  SetClipAndOrigin(mapping, range, y);
  mapping.PixelOriginX = 0;
  mapping.PixelOriginY = 0;
  mapping.ScaleX = Ratio(Span(plot.Left, plot.Right), range.Left - range.Right);
  mapping.ScaleY = Ratio(Span(plot.Top, plot.Bottom), y.start - y.end);
}

// The whole client area is stretched onto the page: with a 29700 x 21000 page
// and a 594 x 420 client area both factors are 50, and a plot left edge at 60
// becomes PixelOriginX 3000.
void SetVectorMapping(PlotMapping& mapping, const document::GraphDocument& doc) {
  const document::TRealRect& range = doc.AxisRange;
  const document::PixelRect& plot = doc.PlotRect;
  const double scale_x = VectorScaleX(doc);
  const double scale_y = VectorScaleY(doc);
  const ShownEnds y = SetShownY(mapping, ShownYRange(doc), doc);
  SetClipAndOrigin(mapping, range, y);
  mapping.PixelOriginX = RoundHalfEven32(plot.Left * scale_x);
  mapping.PixelOriginY = RoundHalfEven32(plot.Top * scale_y);
  mapping.ScaleX = Ratio(Span(plot.Left, plot.Right) * scale_x, range.Left - range.Right);
  mapping.ScaleY = Ratio(Span(plot.Top, plot.Bottom) * scale_y, y.start - y.end);
}

// Before the first resize the client area is 0 x 0; the factor is then 0 and
// the vector mapping draws no point rather than dividing by zero.
double VectorScaleX(const document::GraphDocument& doc) {
  return Ratio(doc.Settings.MetafileWidth, doc.ClientSize.Width);
}

double VectorScaleY(const document::GraphDocument& doc) {
  return Ratio(doc.Settings.MetafileHeight, doc.ClientSize.Height);
}

// The pixel's top-left corner is taken: the window pixel at PlotRect's
// top-left corner gives exactly AxisRange.Left, AxisRange.Top, and pixels
// outside the plot extend the range linearly.
void PixelToData(int32_t x, int32_t y, const document::PixelRect& plot_rect,
                 const document::TRealRect& axis_range, double& data_x, double& data_y) {
  data_x = Ratio(axis_range.Right - axis_range.Left, -Span(plot_rect.Left, plot_rect.Right));
  data_x = static_cast<double>(int64_t{x} - plot_rect.Left) * data_x + axis_range.Left;
  data_y = Ratio(axis_range.Top - axis_range.Bottom, Span(plot_rect.Top, plot_rect.Bottom));
  data_y = static_cast<double>(int64_t{y} - plot_rect.Top) * data_y + axis_range.Top;
}

void PixelToShownData(int32_t x, int32_t y, const document::GraphDocument& doc, double& data_x,
                      double& data_y) {
  const IntensityScale scale = doc.View.YScale;
  if (scale == IntensityScale::Linear) {
    PixelToData(x, y, doc.PlotRect, doc.AxisRange, data_x, data_y);
    return;
  }
  const ShownEnds shown = ShownYRange(doc).value_or(ShownEnds{0, 0});
  const document::TRealRect range{doc.AxisRange.Left, shown.start, doc.AxisRange.Right, shown.end};
  PixelToData(x, y, doc.PlotRect, range, data_x, data_y);
  data_y = UnscaledIntensity(scale, data_y);
}

bool HasDrawableRange(const PlotMapping& mapping) {
  return std::isfinite(mapping.ClipLeft) && std::isfinite(mapping.ClipRight) &&
         std::isfinite(mapping.ClipBottom) && std::isfinite(mapping.ClipTop) &&
         mapping.ClipLeft < mapping.ClipRight && mapping.ClipBottom < mapping.ClipTop &&
         std::isfinite(mapping.ScaleX) && std::isfinite(mapping.ScaleY) && mapping.ScaleX != 0 &&
         mapping.ScaleY != 0 && std::isfinite(mapping.DataOriginX) &&
         std::isfinite(mapping.DataOriginY);
}

// Two at a time: below 2^51 in size, adding 1.5 * 2^52 leaves the value
// rounded half to even (the rounding mode RoundHalfEven uses too) in the
// low bits of the sum. When any value of the array is larger, infinite or
// NaN, the array is rounded one value at a time instead.
void MapPositions(const double* in, int32_t n, double origin, double scale, int64_t pixel_origin,
                  int64_t* out) {
  int32_t j = 0;
#if defined(__x86_64__) || defined(_M_X64)
  const __m128d data_origin = _mm_set1_pd(origin);
  const __m128d factor = _mm_set1_pd(scale);
  const __m128d magic = _mm_set1_pd(6755399441055744.0);  // 1.5 * 2^52
  const __m128d limit = _mm_set1_pd(2251799813685248.0);  // 2^51
  const __m128d sign = _mm_set1_pd(-0.0);
  const __m128i shift = _mm_set1_epi64x(pixel_origin);
  __m128d far = _mm_setzero_pd();
  for (; j + 2 <= n; j += 2) {
    const __m128d v = _mm_mul_pd(_mm_sub_pd(_mm_loadu_pd(in + j), data_origin), factor);
    far = _mm_or_pd(far, _mm_cmpnlt_pd(_mm_andnot_pd(sign, v), limit));  // NaN too
    const __m128i rounded =
        _mm_sub_epi64(_mm_castpd_si128(_mm_add_pd(v, magic)), _mm_castpd_si128(magic));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + j), _mm_add_epi64(rounded, shift));
  }
  if (_mm_movemask_pd(far) != 0) j = 0;
#endif
  for (; j < n; ++j) out[j] = RoundHalfEven((in[j] - origin) * scale) + pixel_origin;
}

}  // namespace korvelin::render
