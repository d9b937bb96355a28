#pragma once
// A trace's lines on a square-root or logarithmic y axis, walked in data
// units so that the scale's function is taken only where a row is needed;
// and, for a logarithmic axis whose bottom is at or below zero, the walk of
// every trace held back until the points have told the axis where it shows
// from.

#include <cstddef>
#include <cstdint>
#include <limits>
#include <vector>

#include "document/GraphDocument.h"
#include "render/PlotMapping.h"
#include "render/RasterImage.h"
#include "render/TracePoints.h"

namespace korvelin::render {

// Draws the lines of p on the scaled y axis of m, setting the pixels the
// mapping of every point would set.
void RasterScaledTraceLines(RasterImage& image, const PlotMapping& m, const TracePoints& p,
                            uint32_t colour);

// Such an axis shows from the smallest positive intensity in view, which
// only the points can tell, and the rows of every point depend on it.
// Rather than read the points twice (once to find it, once to draw), the
// traces' lines are walked once with their segments held in data units,
// and drawn when the axis is known: on a dense trace that is a few segments
// per pixel column. The walk gives up once it holds more than its limit
// (a trace of sparse points, or many traces), and the caller then draws as
// usual.
class HeldScaledLines {
 public:
  explicit HeldScaledLines(size_t max_segments) : max_segments_(max_segments) {}

  // Walks the lines of the trace of y_wave against x_wave over the x half
  // of m (which does not depend on the y axis); a trace that is not one
  // draws nothing. False once the walk holds more than its limit.
  bool Walk(const document::GraphDocument& doc, const PlotMapping& m, int32_t y_wave,
            int32_t x_wave);

  // The smallest positive y among the points walked whose x lies in the
  // range: infinity when there is none.
  double SmallestPositive() const { return smallest_positive_; }

  // Draws the walked traces in their order, each with its palette entry
  // set, on the axis of m.
  void Draw(RasterImage& image, const PlotMapping& m) const;

  // A run of points in one column (x0 == x1, y0 the lowest and y1 the
  // highest value) or a segment between two columns, in data units.
  struct Segment {
    int64_t x0 = 0;
    int64_t x1 = 0;
    double y0 = 0;
    double y1 = 0;
  };

 private:
  struct Trace {
    int palette_index = 0;
    uint32_t colour = 0;
    size_t first = 0;  // its first segment
  };

  size_t max_segments_;
  std::vector<Segment> segments_;
  std::vector<Trace> traces_;
  double smallest_positive_ = std::numeric_limits<double>::infinity();
};

}  // namespace korvelin::render
