#include "render/IntensityScale.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <vector>

#include "render/Rounding.h"

namespace korvelin::render {
namespace {

// log10(2): the gap between 1 and 2, and between 5 and 10, on a decade.
constexpr double kLogTwo = 0.30102999566398120;
// Decades beyond the doubles' reach hold no tick; an axis said to reach
// past them is walked only where doubles are.
constexpr double kLastDecade = 330;
// A tick on an axis end counts as inside it, in decades.
constexpr double kEndTolerance = 1e-9;

// The ends and the signed scale (units per scaled unit) of an axis that has
// a span; no answer for one without.
struct AxisFrame {
  AxisEnds ends;
  double scale = 0;
};
std::optional<AxisFrame> FrameOf(const AxisLine& axis) {
  const AxisEnds ends = OrderedEnds(axis.start, axis.end);
  const double span = ends.high - ends.low;
  if (!(span > 0) || !std::isfinite(span) || axis.units <= 0 || !(axis.text_units > 0)) {
    return std::nullopt;
  }
  return AxisFrame{ends, static_cast<double>(axis.units) / (axis.end - axis.start)};
}

// Round data values from low to high stepped by the 1-2-5 step just above
// min_step, each placed where the scale puts it.
void WalkRoundValues(IntensityScale scale, const AxisLine& axis, const AxisFrame& frame, double low,
                     double high, double min_step,
                     const std::function<void(double, int64_t)>& tick) {
  const double step = ChooseTickStep(min_step);
  if (!(step > 0)) return;
  // The ends came back through the scale's inverse and may have moved off
  // a round value by a rounding: the walk reaches a little past them, and
  // keeps what the axis shows.
  const double slack = kEndTolerance * (frame.ends.high - frame.ends.low);
  TickWalk walk(low - std::fabs(low) * 1e-12, high + std::fabs(high) * 1e-12, step, axis.units + 1);
  for (double value = 0; walk.Next(value);) {
    const double shown = ScaledIntensity(scale, value);
    if (!(shown >= frame.ends.low - slack && shown <= frame.ends.high + slack)) continue;
    tick(value, RoundHalfEven((shown - axis.start) * frame.scale));
  }
}

void WalkLogTicks(const AxisLine& axis, const AxisFrame& frame,
                  const std::function<void(double, int64_t)>& tick) {
  const double low = std::max(frame.ends.low, -kLastDecade);
  const double high = std::min(frame.ends.high, kLastDecade);
  if (!(low < high)) return;
  const double per_decade = std::fabs(frame.scale);
  const bool with_two_and_five =
      frame.ends.high - frame.ends.low < 3 && kLogTwo * per_decade >= axis.text_units;
  const auto every = static_cast<int64_t>(std::max(1.0, std::ceil(axis.text_units / per_decade)));
  const double mantissas[] = {1, 2, 5};
  const int kinds = with_two_and_five ? 3 : 1;
  // The ticks at round powers: each decade's (k a multiple of every), and
  // 2 and 5 times it.
  struct Mark {
    double value;
    double decades;
  };
  std::vector<Mark> marks;
  const auto first = static_cast<int64_t>(std::ceil(low - kEndTolerance)) - 1;
  const auto last = static_cast<int64_t>(std::floor(high + kEndTolerance));
  for (int64_t k = first; k <= last; ++k) {
    if (k % every != 0) continue;
    for (int i = 0; i < kinds; ++i) {
      const double decades = static_cast<double>(k) + std::log10(mantissas[i]);
      const double value = mantissas[i] * std::pow(10.0, static_cast<double>(k));
      if (decades < low - kEndTolerance || decades > high + kEndTolerance) continue;
      if (!(value > 0) || !std::isfinite(value)) continue;
      marks.push_back({value, decades});
    }
  }
  if (marks.size() >= 2) {
    for (const Mark& mark : marks) {
      tick(mark.value, RoundHalfEven((mark.decades - axis.start) * frame.scale));
    }
    return;
  }
  // A fraction of a decade: round values, spaced so that the two closest
  // (at the top) stand a number apart.
  const double top = std::pow(10.0, high);
  const double gap = axis.text_units / per_decade;
  WalkRoundValues(IntensityScale::Logarithmic, axis, frame, std::pow(10.0, low), top,
                  top * -std::expm1(-gap * std::log(10.0)), tick);
}

void WalkRootTicks(const AxisLine& axis, const AxisFrame& frame,
                   const std::function<void(double, int64_t)>& tick) {
  const double low = std::max(frame.ends.low, 0.0);
  const double high = frame.ends.high;
  if (!(low < high)) return;
  const double gap = axis.text_units / std::fabs(frame.scale);
  const double top = high * high;
  const double below = high > gap ? (high - gap) * (high - gap) : 0;
  WalkRoundValues(IntensityScale::SquareRoot, axis, frame, low * low, top, top - below, tick);
}

}  // namespace

double ScaledIntensity(IntensityScale scale, double y) {
  switch (scale) {
    case IntensityScale::Linear:
      return y;
    case IntensityScale::SquareRoot:
      return y >= 0 ? std::sqrt(y) : std::nan("");
    case IntensityScale::Logarithmic:
      return y > 0 ? std::log10(y) : std::nan("");
  }
  return y;
}

double UnscaledIntensity(IntensityScale scale, double shown) {
  switch (scale) {
    case IntensityScale::Linear:
      return shown;
    case IntensityScale::SquareRoot:
      return shown * std::fabs(shown);
    case IntensityScale::Logarithmic:
      return std::pow(10.0, shown);
  }
  return shown;
}

std::optional<ShownEnds> ShownIntensityRange(IntensityScale scale, double start, double end,
                                             double smallest_positive) {
  switch (scale) {
    case IntensityScale::Linear:
      return ShownEnds{start, end};
    case IntensityScale::SquareRoot:
      return ShownEnds{std::sqrt(std::max(start, 0.0)), std::sqrt(std::max(end, 0.0))};
    case IntensityScale::Logarithmic: {
      // A NaN end stays NaN, and the mapping refuses it as on a linear axis.
      if (!(start <= 0) && !(end <= 0)) return ShownEnds{std::log10(start), std::log10(end)};
      if (!(smallest_positive > 0) || !std::isfinite(smallest_positive)) return std::nullopt;
      const double top = std::max(start, end);
      const double floor = top > 0 && smallest_positive >= top ? top / 10 : smallest_positive;
      return ShownEnds{std::log10(start <= 0 ? floor : start), std::log10(end <= 0 ? floor : end)};
    }
  }
  return std::nullopt;
}

void WalkIntensityTicks(IntensityScale scale, const AxisLine& axis,
                        const std::function<void(double value, int64_t position)>& tick) {
  if (scale == IntensityScale::Linear) {
    WalkAxisTicks(axis, tick);
    return;
  }
  const std::optional<AxisFrame> frame = FrameOf(axis);
  if (!frame) return;
  if (scale == IntensityScale::Logarithmic) {
    WalkLogTicks(axis, *frame, tick);
  } else {
    WalkRootTicks(axis, *frame, tick);
  }
}

}  // namespace korvelin::render
