// The walk of a trace's lines on a scaled y axis, once with its segments
// drawn as they come and once held until the axis is known. Both go through
// the one walk, so a held drawing sets the very pixels of a direct one.

#include "render/ScaledTraceLines.h"

#include <algorithm>

#include "render/IntensityScale.h"
#include "render/RasterLine.h"
#include "render/TraceDrawing.h"

namespace korvelin::render {
namespace {

struct Block {
  double xs[kBlock];
  double ys[kBlock];
  int64_t x[kBlock];
};

// Widens low and high by the points from i on that stay in column x and
// are drawn, in one tight loop with the run's ends in registers; last
// becomes the last value taken. Gives the index of the first point not
// taken.
template <class Drawn>
int32_t TakeColumn(const Block& b, int32_t i, int32_t n, int64_t x, const Drawn& drawn, double& low,
                   double& high, double& last) {
  double lo = low;
  double hi = high;
  double la = last;
  for (; i < n && b.x[i] == x && drawn(b.xs[i], b.ys[i]); ++i) {
    la = b.ys[i];
    lo = std::min(lo, la);
    hi = std::max(hi, la);
  }
  low = lo;
  high = hi;
  last = la;
  return i;
}

// The scale keeps the order of values, so a run of points in one pixel
// column covers the rows from that of its smallest value to that of its
// largest, and a segment across columns needs the rows of its two ends: a
// dense trace takes a few scaled values per column instead of one per
// point. The walk is that of the linear lines, with the column's values
// kept in data units. The sink takes Run(x, low, high), Segment(x0, y0, x1,
// y1), Point(y) with a value no greater than any point drawn since the
// last, and answers Full() to stop the walk.
template <class Sink>
void WalkScaledLines(const PlotMapping& m, const TracePoints& p, Sink& sink) {
  const bool logarithmic = m.YScale == document::IntensityScale::Logarithmic;
  const auto drawn = [&](double x, double y) {
    return InsideX(m, x) && (logarithmic ? y > 0 : y >= 0);
  };
  Block b;
  bool pen_down = false;
  bool in_run = false;
  int64_t prev_x = 0;
  double prev_y = 0;
  double run_low = 0;
  double run_high = 0;
  const auto flush = [&] {
    if (in_run) sink.Run(prev_x, run_low, run_high);
    in_run = false;
  };
  XOrder order = XOrder::Unknown;
  for (int32_t k = 0; k < p.Count() && !sink.Full();) {
    const int32_t n = std::min(kBlock, p.Count() - k);
    p.Read(k, n, b.xs, b.ys);
    MapPositions(b.xs, n, m.DataOriginX, m.ScaleX, m.PixelOriginX, b.x);
    int32_t next = k + n;
    for (int32_t j = 0; j < n; ++j) {
      const double y = b.ys[j];
      if (!drawn(b.xs[j], y)) {
        flush();
        pen_down = false;
        if (InsideX(m, b.xs[j])) continue;  // a value the scale has no place for
        if (const int32_t resume = ResumeAfterOutside(p, m, order, k + j); resume > k + j + 1) {
          next = resume;
          break;
        }
        continue;
      }
      if (pen_down && b.x[j] == prev_x) {
        run_low = std::min(in_run ? run_low : prev_y, y);
        run_high = std::max(in_run ? run_high : prev_y, y);
        prev_y = y;
        j = TakeColumn(b, j + 1, n, prev_x, drawn, run_low, run_high, prev_y) - 1;
        sink.Point(run_low);
        in_run = true;
        continue;
      }
      sink.Point(y);
      if (pen_down) {
        flush();
        sink.Segment(prev_x, prev_y, b.x[j], y);
      }
      prev_x = b.x[j];
      prev_y = y;
      pen_down = true;
    }
    k = next;
  }
  flush();
}

// Draws what the walk gives onto the scaled axis of m.
class DrawingSink {
 public:
  DrawingSink(RasterImage& image, const PlotMapping& m, uint32_t colour)
      : drawer_(image), m_(m), colour_(colour) {}
  void Run(int64_t x, double low, double high) {
    const int64_t a = Row(low);
    const int64_t c = Row(high);
    drawer_.Draw(x, std::min(a, c), x, std::max(a, c), colour_);
  }
  void Segment(int64_t x0, double y0, int64_t x1, double y1) {
    drawer_.Draw(x0, Row(y0), x1, Row(y1), colour_);
  }
  void Point(double) {}
  bool Full() const { return false; }

 private:
  int64_t Row(double y) const {
    return RoundHalfEven((ScaledIntensity(m_.YScale, y) - m_.DataOriginY) * m_.ScaleY) +
           m_.PixelOriginY;
  }

  RasterLineDrawer drawer_;
  const PlotMapping& m_;
  uint32_t colour_;
};

// Holds what the walk gives, and the smallest value drawn (every value
// drawn on a logarithmic axis is positive).
class HoldingSink {
 public:
  HoldingSink(std::vector<HeldScaledLines::Segment>& segments, size_t max_segments,
              double& smallest)
      : segments_(segments), max_segments_(max_segments), smallest_(smallest) {}
  void Run(int64_t x, double low, double high) { Hold({x, x, low, high}); }
  void Segment(int64_t x0, double y0, int64_t x1, double y1) { Hold({x0, x1, y0, y1}); }
  void Point(double y) { smallest_ = std::min(smallest_, y); }
  bool Full() const { return segments_.size() > max_segments_; }

 private:
  void Hold(const HeldScaledLines::Segment& segment) {
    if (!Full()) segments_.push_back(segment);
  }

  std::vector<HeldScaledLines::Segment>& segments_;
  size_t max_segments_;
  double& smallest_;
};

}  // namespace

void RasterScaledTraceLines(RasterImage& image, const PlotMapping& m, const TracePoints& p,
                            uint32_t colour) {
  DrawingSink sink(image, m, colour);
  WalkScaledLines(m, p, sink);
}

bool HeldScaledLines::Walk(const document::GraphDocument& doc, const PlotMapping& m, int32_t y_wave,
                           int32_t x_wave) {
  TraceState st;
  if (!SetUpTrace(doc, y_wave, x_wave, st)) return true;
  st.YScale = m.YScale;
  traces_.push_back({st.PaletteIndex, st.Colour, segments_.size()});
  HoldingSink sink(segments_, max_segments_, smallest_positive_);
  WalkScaledLines(m, TracePoints(doc, st), sink);
  return !sink.Full();
}

void HeldScaledLines::Draw(RasterImage& image, const PlotMapping& m) const {
  const bool drawable = HasDrawableRange(m);
  for (size_t t = 0; t < traces_.size(); ++t) {
    const Trace& trace = traces_[t];
    SetPaletteEntry(image, trace.palette_index, trace.colour);
    if (!drawable) continue;
    DrawingSink sink(image, m, static_cast<uint32_t>(trace.palette_index));
    const size_t end = t + 1 < traces_.size() ? traces_[t + 1].first : segments_.size();
    for (size_t s = trace.first; s < end; ++s) {
      const Segment& seg = segments_[s];
      if (seg.x0 == seg.x1) {
        sink.Run(seg.x0, seg.y0, seg.y1);
      } else {
        sink.Segment(seg.x0, seg.y0, seg.x1, seg.y1);
      }
    }
  }
}

}  // namespace korvelin::render
