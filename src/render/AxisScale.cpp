// The step choice and the tick walk of both plots. Every input may come from
// a pattern file's axis command unchecked, so each function answers "no
// scale" or ends its walk instead of dividing by zero or looping forever.

#include "render/AxisScale.h"

#include <cmath>

#include "render/PlotMapping.h"

namespace korvelin::render {
namespace {

// Indices 1 to 9 are used; index 0 only pads the table.
constexpr double kStepTable[10] = {2, 2, 5, 5, 5, 10, 10, 10, 10, 10};

}  // namespace

// P runs through powers of ten: up while below min_step, then down while
// above. The factor 0.1 is taken in extended precision and each product is
// rounded back to a double: from 1, two steps give exactly the double 0.01,
// where a double factor gives 0.010000000000000002, and with that a step of
// 0.1 whose ticks from -0.35 pass -2.7755575615628914E-17 instead of +2.8E-17.
double ChooseTickStep(double min_step) {
  if (!(min_step > 0) || !std::isfinite(min_step)) return 0;
  double p = 1.0;
  while (p < min_step) p *= 10;
  if (!std::isfinite(p)) return 0;  // min_step near the largest double
  while (p > min_step) p = static_cast<double>(p * 0.1L);
  if (!(p > 0)) return 0;  // min_step below every power the division reaches
  // min_step / p lies in [1, 10) but for the rounding of p at an exact power
  // of ten, where it can touch 10; the table index is held to 1 .. 9.
  const double k = std::trunc(min_step / p);
  const int index = k < 1 ? 1 : (k > 9 ? 9 : static_cast<int>(k));
  return kStepTable[index] * p;
}

// Worked example: 552 pixels showing 0 to 10 give 55.2 pixels per unit; a
// 56-pixel text spans 1.0145 units, so the step is 2.
double AxisTickStep(double low, double high, double units, double text_units) {
  const double span = high - low;
  if (!(span > 0) || !std::isfinite(span)) return 0;
  const double min_step = text_units / (units / span);
  if (!(min_step > 0) || !std::isfinite(min_step)) return 0;
  return ChooseTickStep(min_step);
}

// A NaN edge stays in `low` or `high`, where the step and the walk refuse it.
AxisEnds OrderedEnds(double edge, double other_edge) {
  if (other_edge < edge) return {other_edge, edge};
  return {edge, other_edge};
}

// The first index is the truncated quotient held as a double, so a quotient
// beyond 32 bits (a deep zoom far from zero) still gives a defined start.
TickWalk::TickWalk(double low, double high, double step, int64_t max_ticks)
    : high_(high), step_(step), left_(max_ticks) {
  if (!(step > 0) || !std::isfinite(step) || !std::isfinite(low)) {
    left_ = 0;
    return;
  }
  next_ = std::trunc(low / step) * step;
  for (int guard = 0; next_ < low; ++guard) {
    const double moved = next_ + step;
    if (moved == next_ || guard > 64) {
      left_ = 0;
      return;
    }
    next_ = moved;
  }
}

bool TickWalk::Next(double& tick) {
  if (left_ <= 0 || !(next_ <= high_)) return false;
  tick = next_;
  --left_;
  const double moved = next_ + step_;
  if (moved == next_) left_ = 0;  // the step no longer moves the value
  next_ = moved;
  return true;
}

// Worked example: a 552-pixel axis showing 0 to 10 has 55.2 units per value;
// a 56-pixel text gives the step 2 and the ticks 0, 2, .. 10 at 0, 110, 221,
// 331, 442 and 552. Shown from 10 down to 0 the factor is -55.2, and the
// tick 2 lands at round(-8 * -55.2) = 442.
void WalkAxisTicks(const AxisLine& axis,
                   const std::function<void(double value, int64_t position)>& tick) {
  const AxisEnds ends = OrderedEnds(axis.start, axis.end);
  const double step =
      AxisTickStep(ends.low, ends.high, static_cast<double>(axis.units), axis.text_units);
  if (step <= 0 || !std::isfinite(step)) return;
  // Negative for an axis running the other way: its ticks are walked from
  // the smallest value up and land from the far end backwards.
  const double scale = static_cast<double>(axis.units) / (axis.end - axis.start);
  TickWalk walk(ends.low, ends.high, step, axis.units + 1);
  for (double t = 0; walk.Next(t);) tick(t, RoundHalfEven((t - axis.start) * scale));
}

}  // namespace korvelin::render
