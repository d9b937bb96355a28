// A trace's points: setting up the two waves' indices and the walk past
// the points outside the x range.

#include "render/TracePoints.h"

#include <algorithm>

#include "render/TraceDrawing.h"

namespace korvelin::render {
namespace {

XOrder FindXOrder(const TracePoints& p) {
  bool rising = true;
  bool falling = true;
  double prev = p.Count() > 0 ? p.X(0) : 0;
  if (prev != prev) return XOrder::Unordered;
  for (int32_t k = 1; k < p.Count() && (rising || falling); ++k) {
    const double x = p.X(k);
    rising = rising && prev <= x;
    falling = falling && prev >= x;
    prev = x;
  }
  if (rising) return XOrder::Rising;
  return falling ? XOrder::Falling : XOrder::Unordered;
}

// Point k lies outside the x range. A point outside only lifts the pen, so
// when the x values are ordered the run of outside points can be passed over
// by bisection: returns the next index worth visiting (Count() when none is).
int32_t SkipOutside(const TracePoints& p, const PlotMapping& m, XOrder order, int32_t k) {
  const double x = p.X(k);
  const bool below = x < m.ClipLeft;
  if (order == XOrder::Unordered || (!below && !(x > m.ClipRight))) return k + 1;
  const bool ahead = (order == XOrder::Rising) == below;  // the range lies after k
  if (!ahead) return p.Count();
  int32_t lo = k + 1;
  int32_t hi = p.Count();
  while (lo < hi) {
    const int32_t mid = lo + (hi - lo) / 2;
    const double xm = p.X(mid);
    if (below ? xm >= m.ClipLeft : xm <= m.ClipRight) {
      hi = mid;
    } else {
      lo = mid + 1;
    }
  }
  return lo;
}

}  // namespace

bool IsWave(const document::GraphDocument& doc, int32_t index) {
  return index >= 0 && index < doc.WaveCount && index < document::kMaxWaves;
}

bool SetUpTrace(const document::GraphDocument& doc, int32_t y_wave, int32_t x_wave,
                TraceState& st) {
  if (!IsWave(doc, y_wave) || !IsWave(doc, x_wave)) return false;
  const document::TWave& y = doc.Waves[y_wave];
  const document::TWave& x = doc.Waves[x_wave];
  st.YIndex = y.first;
  st.YStride = y.stride;
  st.XIndex = x.first;
  st.XStride = x.stride;
  st.PointCount = static_cast<int32_t>(std::min(document::StoredPoints(y, doc.ValueCount),
                                                document::StoredPoints(x, doc.ValueCount)));
  st.PaletteIndex = PaletteIndexForWave(y_wave);
  st.Colour = doc.Settings.ColorOn ? (y.rgb & 0xFFFFFF) : 0;
  st.ShiftX = y.offsetx;
  st.ShiftY = y.offsety;
  return true;
}

int32_t ResumeAfterOutside(const TracePoints& p, const PlotMapping& m, XOrder& order, int32_t k) {
  if (order == XOrder::Unknown) order = FindXOrder(p);
  return SkipOutside(p, m, order, k);
}

}  // namespace korvelin::render
