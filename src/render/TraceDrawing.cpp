// Draws one trace into the raster surface or onto a vector canvas: the point
// sequence, the mode and marker decoding, the clip test and the six drawing
// loops. Setting up the mapping, choosing the traces and their order, and
// drawing frame and scale are the plots' business.

#include "render/TraceDrawing.h"

#include <algorithm>
#include <vector>

#include "render/IntensityScale.h"
#include "render/RasterLine.h"

namespace korvelin::render {
namespace {

using document::GraphDocument;
using document::TWave;

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

bool IsWave(const GraphDocument& doc, int32_t index) {
  return index >= 0 && index < doc.WaveCount && index < document::kMaxWaves;
}

bool SetUpTrace(const GraphDocument& doc, int32_t y_wave, int32_t x_wave, TraceState& st) {
  if (!IsWave(doc, y_wave) || !IsWave(doc, x_wave)) return false;
  const TWave& y = doc.Waves[y_wave];
  const TWave& x = doc.Waves[x_wave];
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

class Points {
 public:
  Points(const GraphDocument& doc, const TraceState& st) : store_(doc.Values), st_(st) {}
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

bool InsideX(const PlotMapping& m, double x) { return m.ClipLeft <= x && x <= m.ClipRight; }

// The order of a trace's x values, found once per trace and only when a point
// outside the x range is met. Adding the wave's x offset keeps the order, and
// a NaN anywhere makes the trace unordered.
enum class XOrder { Unknown, Rising, Falling, Unordered };

XOrder FindXOrder(const Points& p) {
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
int32_t SkipOutside(const Points& p, const PlotMapping& m, XOrder order, int32_t k) {
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

// Where a trace's walk goes on after point k, which lies outside the x
// range: past the run of points outside, when the x values are ordered.
int32_t ResumeAfterOutside(const Points& p, const PlotMapping& m, XOrder& order, int32_t k) {
  if (order == XOrder::Unknown) order = FindXOrder(p);
  return SkipOutside(p, m, order, k);
}

// Points are read and mapped a block at a time before any segment of the
// block is drawn, so that reading and rounding run as a tight loop of their
// own instead of between the drawer's data-dependent branches.
constexpr int32_t kBlock = 256;

struct MappedBlock {
  double xs[kBlock];
  double ys[kBlock];
  int64_t x[kBlock];
  int64_t y[kBlock];
  bool drawable[kBlock];
};

// Only x is tested: a segment towards a point above or below the range is
// drawn and cut by the surface. A NaN y breaks the line like a point outside
// the range, since it has no place on the plot (a NaN x is outside anyway).
void MapBlock(const PlotMapping& m, const Points& p, int32_t first, int32_t n, MappedBlock& b) {
  p.Read(first, n, b.xs, b.ys);
  MapPositions(b.xs, n, m.DataOriginX, m.ScaleX, m.PixelOriginX, b.x);
  MapPositions(b.ys, n, m.DataOriginY, m.ScaleY, m.PixelOriginY, b.y);
  for (int32_t j = 0; j < n; ++j) {
    b.drawable[j] = InsideX(m, b.xs[j]) & (b.ys[j] == b.ys[j]);
  }
}

// Segments that stay in one pixel column are vertical lines sharing their
// ends, so together they set exactly the column's pixels from the lowest to
// the highest of their points: a run of them is drawn as that one line. A
// slow scan puts hundreds of points into each column of the plot.
class ColumnRun {
 public:
  // Extends the run by the segment from (x, y0) to (x, y1).
  void Add(int64_t x, int64_t y0, int64_t y1) {
    if (!active_) {
      active_ = true;
      x_ = x;
      low_ = y0;
      high_ = y0;
    }
    low_ = std::min(low_, y1);
    high_ = std::max(high_, y1);
  }
  void Flush(RasterLineDrawer& drawer, uint32_t colour) {
    if (active_) drawer.Draw(x_, low_, x_, high_, colour);
    active_ = false;
  }

 private:
  bool active_ = false;
  int64_t x_ = 0;
  int64_t low_ = 0;
  int64_t high_ = 0;
};

void RasterTraceLines(RasterImage& image, const PlotMapping& m, const Points& p, uint32_t colour) {
  MappedBlock b;
  RasterLineDrawer drawer(image);
  ColumnRun run;
  bool pen_down = false;
  int64_t prev_x = 0;
  int64_t prev_y = 0;
  XOrder order = XOrder::Unknown;
  for (int32_t k = 0; k < p.Count();) {
    const int32_t n = std::min(kBlock, p.Count() - k);
    MapBlock(m, p, k, n, b);
    int32_t next = k + n;
    for (int32_t j = 0; j < n; ++j) {
      if (!b.drawable[j]) {
        run.Flush(drawer, colour);
        pen_down = false;
        if (InsideX(m, b.xs[j])) continue;  // a NaN y
        if (const int32_t resume = ResumeAfterOutside(p, m, order, k + j); resume > k + j + 1) {
          next = resume;
          break;
        }
        continue;
      }
      if (pen_down) {
        if (b.x[j] == prev_x) {
          run.Add(prev_x, prev_y, b.y[j]);
        } else {
          run.Flush(drawer, colour);
          drawer.Draw(prev_x, prev_y, b.x[j], b.y[j], colour);
        }
      }
      prev_x = b.x[j];
      prev_y = b.y[j];
      pen_down = true;
    }
    k = next;
  }
  run.Flush(drawer, colour);
}

// On a square-root or logarithmic y axis the scale's function is taken only
// where a row is needed. The scale keeps the order of values, so a run of
// points in one pixel column covers the rows from that of its smallest value
// to that of its largest, and a segment across columns needs the rows of its
// two ends: a dense trace takes a few scaled values per column instead of one
// per point, and sets the pixels the mapping of every point would set. The
// walk is RasterTraceLines's, with the column's values kept in data units.
void RasterScaledTraceLines(RasterImage& image, const PlotMapping& m, const Points& p,
                            uint32_t colour) {
  const bool logarithmic = m.YScale == document::IntensityScale::Logarithmic;
  const auto row = [&](double y) {
    return RoundHalfEven((ScaledIntensity(m.YScale, y) - m.DataOriginY) * m.ScaleY) +
           m.PixelOriginY;
  };
  MappedBlock b;
  RasterLineDrawer drawer(image);
  bool pen_down = false;
  bool in_run = false;
  int64_t prev_x = 0;
  double prev_y = 0;
  double run_low = 0;
  double run_high = 0;
  const auto flush = [&] {
    if (!in_run) return;
    const int64_t a = row(run_low);
    const int64_t c = row(run_high);
    drawer.Draw(prev_x, std::min(a, c), prev_x, std::max(a, c), colour);
    in_run = false;
  };
  XOrder order = XOrder::Unknown;
  for (int32_t k = 0; k < p.Count();) {
    const int32_t n = std::min(kBlock, p.Count() - k);
    p.Read(k, n, b.xs, b.ys);
    MapPositions(b.xs, n, m.DataOriginX, m.ScaleX, m.PixelOriginX, b.x);
    int32_t next = k + n;
    for (int32_t j = 0; j < n; ++j) {
      const double y = b.ys[j];
      if (!InsideX(m, b.xs[j]) || !(logarithmic ? y > 0 : y >= 0)) {
        flush();
        pen_down = false;
        if (InsideX(m, b.xs[j])) continue;  // a value the scale has no place for
        if (const int32_t resume = ResumeAfterOutside(p, m, order, k + j); resume > k + j + 1) {
          next = resume;
          break;
        }
        continue;
      }
      if (pen_down) {
        if (b.x[j] == prev_x) {
          if (!in_run) run_low = run_high = prev_y;
          in_run = true;
          run_low = std::min(run_low, y);
          run_high = std::max(run_high, y);
        } else {
          flush();
          drawer.Draw(prev_x, row(prev_y), b.x[j], row(y), colour);
        }
      }
      prev_x = b.x[j];
      prev_y = y;
      pen_down = true;
    }
    k = next;
  }
  flush();
}

// Calls visit(px, py) for each point inside the whole clip box, both bounds
// inclusive on both axes: the point test of every marker loop.
template <class Visit>
void ForEachPointInside(const PlotMapping& m, const Points& p, Visit visit) {
  for (int32_t k = 0; k < p.Count(); ++k) {
    const double x = p.X(k);
    const double y = p.Y(k);
    if (PointInside(m, x, y)) visit(MapX(m, x), MapY(m, y));
  }
}

// The pixels the markers of one trace have set in each row and in each
// column of the surface, as one run per line. A marker's two lines lie along
// a row and a column, and within a trace every marker has the same size and
// colour, so a marker sets only the part of its lines outside the runs that
// earlier markers set. A marker of msize 100000 reaches across any surface:
// 524,288 of them cost the rows and columns they cover, not 524,288 times
// their length. The pixels are those the line drawer sets for whole lines.
class MarkerRuns {
 public:
  MarkerRuns(RasterImage& image, uint32_t colour)
      : image_(image),
        colour_(colour),
        rows_(static_cast<size_t>(image.Height())),
        columns_(static_cast<size_t>(image.Width())) {}

  // The part of the line from (a, at) to (b, at) on the surface, along row
  // `at` (or from (at, a) to (at, b) along column `at`).
  void Row(int64_t at, int64_t a, int64_t b) { Line(rows_, at, a, b, image_.Width(), true); }
  void Column(int64_t at, int64_t a, int64_t b) {
    Line(columns_, at, a, b, image_.Height(), false);
  }

 private:
  struct Run {
    int64_t first = 0;
    int64_t last = -1;  // empty while last < first
  };

  void Line(std::vector<Run>& runs, int64_t at, int64_t a, int64_t b, int64_t length, bool row) {
    if (at < 0 || at >= static_cast<int64_t>(runs.size())) return;
    a = std::max<int64_t>(a, 0);
    b = std::min<int64_t>(b, length - 1);
    if (a > b) return;
    Run& run = runs[static_cast<size_t>(at)];
    const bool joins = run.first <= run.last && a <= run.last + 1 && b >= run.first - 1;
    if (!joins) {
      Set(at, a, b, row);
      run = {a, b};
      return;
    }
    if (a < run.first) Set(at, a, run.first - 1, row);
    if (b > run.last) Set(at, run.last + 1, b, row);
    run = {std::min(a, run.first), std::max(b, run.last)};
  }

  void Set(int64_t at, int64_t a, int64_t b, bool row) {
    if (row) {
      DrawRasterLine(image_, a, at, b, at, colour_);
    } else {
      DrawRasterLine(image_, at, a, at, b, colour_);
    }
  }

  RasterImage& image_;
  uint32_t colour_;
  std::vector<Run> rows_;
  std::vector<Run> columns_;
};

// A marker is 2h + 1 pixels across, the single pixel (px, py) when h is 0.
void RasterMarkers(RasterImage& image, const PlotMapping& m, const Points& p, int64_t h, bool plus,
                   uint32_t colour) {
  MarkerRuns runs(image, colour);
  // A negative size draws its lines from the other end: the same pixels.
  const int64_t reach = h < 0 ? -h : h;
  ForEachPointInside(m, p, [&](int64_t px, int64_t py) {
    if (plus) runs.Row(py, px - reach, px + reach);
    runs.Column(px, py - reach, py + reach);
  });
}

// On the page both axes are tested: a point outside breaks the line, so a
// trace leaving the range in y stops at its last point inside.
void VectorTraceLines(VectorCanvas& canvas, const PlotMapping& m, const Points& p) {
  bool pen_down = false;
  for (int32_t k = 0; k < p.Count(); ++k) {
    const double x = p.X(k);
    const double y = p.Y(k);
    if (!PointInside(m, x, y)) {
      pen_down = false;
      continue;
    }
    if (pen_down) {
      canvas.LineTo(MapX(m, x), MapY(m, y));
    } else {
      canvas.MoveTo(MapX(m, x), MapY(m, y));
    }
    pen_down = true;
  }
}

void VectorMarkers(VectorCanvas& canvas, const PlotMapping& m, const Points& p, int64_t h,
                   bool plus) {
  ForEachPointInside(m, p, [&](int64_t px, int64_t py) {
    if (plus) {
      canvas.MoveTo(px - h, py);
      canvas.LineTo(px + h, py);
    }
    canvas.MoveTo(px, py - h);
    canvas.LineTo(px, py + h);
  });
}

bool IsDrawnMarker(int32_t marker) { return marker == 0 || marker == 10; }

}  // namespace

// m + 1 is formed in two's complement, so -2 draws both and INT32_MAX wraps.
bool ModeDrawsLines(int32_t mode) { return ((static_cast<uint32_t>(mode) + 1u) & 1u) != 0; }

bool ModeDrawsMarkers(int32_t mode) { return ((static_cast<uint32_t>(mode) + 1u) & 4u) != 0; }

// Entries 2 .. 255 serve y waves 0 .. 253. The table has no room for waves
// 254 and 255, so they share entry 255 with wave 253 (and with the ticks): the
// last trace among them to be drawn sets the colour of all three.
int PaletteIndexForWave(int32_t y_wave) {
  return static_cast<int>(std::clamp<int64_t>(int64_t{y_wave} + 2, 2, 255));
}

void DrawRasterTrace(RasterImage& image, const document::GraphDocument& doc,
                     const PlotMapping& mapping, int32_t y_wave, int32_t x_wave) {
  TraceState st;
  if (image.IsNull() || !SetUpTrace(doc, y_wave, x_wave, st)) return;
  const TWave& y = doc.Waves[y_wave];
  st.MarkerHalf = y.msize;  // screen pixels, unscaled
  st.YScale = mapping.YScale;
  const Points points(doc, st);
  const bool drawable = HasDrawableRange(mapping);
  if (ModeDrawsLines(y.mode)) {
    SetPaletteEntry(image, st.PaletteIndex, st.Colour);
    if (drawable && mapping.YScale != document::IntensityScale::Linear) {
      RasterScaledTraceLines(image, mapping, points, static_cast<uint32_t>(st.PaletteIndex));
    } else if (drawable) {
      RasterTraceLines(image, mapping, points, static_cast<uint32_t>(st.PaletteIndex));
    }
  }
  if (ModeDrawsMarkers(y.mode)) {
    SetPaletteEntry(image, st.PaletteIndex, st.Colour);
    if (drawable && IsDrawnMarker(y.marker)) {
      RasterMarkers(image, mapping, points, st.MarkerHalf, y.marker == 0,
                    static_cast<uint32_t>(st.PaletteIndex));
    }
  }
}

// Marker size is msize window pixels scaled by the mean of the two page
// factors: with factors 50 and 40 and msize 3 the half size is
// round(90 * 1.5) = 135 units; with 1 and 4 and msize 1, round(2.5) = 2.
void DrawVectorTrace(VectorCanvas& canvas, const document::GraphDocument& doc,
                     const PlotMapping& mapping, int32_t y_wave, int32_t x_wave) {
  TraceState st;
  if (!SetUpTrace(doc, y_wave, x_wave, st)) return;
  const TWave& y = doc.Waves[y_wave];
  st.MarkerHalf = RoundHalfEven((VectorScaleX(doc) + VectorScaleY(doc)) * (y.msize * 0.5));
  st.YScale = mapping.YScale;
  const Points points(doc, st);
  const bool drawable = HasDrawableRange(mapping);
  const uint32_t pen = document::RgbToColorRef(st.Colour);
  if (ModeDrawsLines(y.mode)) {
    canvas.SetPenColor(pen);
    canvas.SetPenWidth(RoundHalfEven32(y.lsize * 50));
    if (drawable) VectorTraceLines(canvas, mapping, points);
  }
  if (ModeDrawsMarkers(y.mode)) {
    canvas.SetPenColor(pen);
    canvas.SetPenWidth(RoundHalfEven32(y.mrkThick * 50));
    if (drawable && IsDrawnMarker(y.marker)) {
      VectorMarkers(canvas, mapping, points, st.MarkerHalf, y.marker == 0);
    }
  }
}

}  // namespace korvelin::render
