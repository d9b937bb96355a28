#pragma once
// The arithmetic of a scale, shared by the screen plot and the vector plot:
// the 1-2-5 step that keeps the axis numbers apart, the walk over the tick
// values of one axis and where each tick lands along it. What is drawn
// there, in pixels or in page units, is each plot's business.

#include <cstdint>
#include <functional>

namespace korvelin::render {

// The text whose size sets the smallest tick spacing (a minus sign and six
// zeros): one of its widths along x, two of its heights along y. Its size in
// the window's font also sets the automatic margins.
inline constexpr char kReferenceText[] = "-000000";

// The smallest step of the 1-2-5 kind strictly larger than min_step (> 0 and
// finite). Returns 0, meaning no scale, when min_step is not positive and
// finite or lies where the powers of ten leave the doubles (near 1.8e308 or
// among the smallest denormals).
double ChooseTickStep(double min_step);

// The step of an axis showing low .. high across `units` drawing units, with
// ticks at least `text_units` apart: ChooseTickStep of the data span of
// text_units. 0, meaning no scale, when the span is zero, reversed or not
// finite, or the text spans no data (a zero-sized text or plot).
double AxisTickStep(double low, double high, double units, double text_units);

// The smaller and the larger edge of an axis, whichever way it runs: the
// ticks of an axis drawn from 4000 on the left to 400 on the right are the
// ticks of 400 .. 4000, placed from the left edge with a negative scale.
struct AxisEnds {
  double low = 0;
  double high = 0;
};
AxisEnds OrderedEnds(double edge, double other_edge);

// The tick values of one axis: from the first multiple-of-step position at
// or above low (a truncated quotient times the step, then stepped up while
// below low), accumulated by repeated addition while at most high. The walk
// ends early when an addition no longer moves the value (a deep zoom far from
// zero) or after max_ticks values, so it always ends.
class TickWalk {
 public:
  TickWalk(double low, double high, double step, int64_t max_ticks);
  // Gives the next tick value; false when the walk is over.
  bool Next(double& tick);

 private:
  double next_ = 0;
  double high_ = 0;
  double step_ = 0;
  int64_t left_ = 0;
};

// One axis as a plot lays it out: the value drawn at its start (the left edge
// for x, the top edge for y), the value at its far end, its length in drawing
// units, and the smallest tick spacing in the same units.
struct AxisLine {
  double start = 0;
  double end = 0;
  int64_t units = 0;
  double text_units = 0;
};

// Walks the ticks of one axis, whichever way it runs, and calls `tick` with
// each value and its position from the axis start: round-half-even of
// (value - start) * units / (end - start). At most units + 1 ticks, since
// ticks lie at least one text apart. No call when the axis gets no scale.
void WalkAxisTicks(const AxisLine& axis,
                   const std::function<void(double value, int64_t position)>& tick);

}  // namespace korvelin::render
