#pragma once
// How the y axis shows intensities: as they are, as their square roots or as
// their decimal logarithms, so weak peaks beside a strong one stay visible.
// The axis range, the zoom history and everything the user types stay in
// data units; only the drawing goes through the scale. The tick values are
// round data values placed where the scale puts them, at least one number
// apart, as on a linear axis.

#include <cstdint>
#include <functional>
#include <optional>

#include "document/GraphDocument.h"
#include "render/AxisScale.h"

namespace korvelin::render {

using document::IntensityScale;

// y where the scale puts it: y itself, its square root, its decimal
// logarithm. NaN where the scale has no place for y (a negative value under
// the square root, a value of zero or below under the logarithm), which
// breaks a trace's line there.
double ScaledIntensity(IntensityScale scale, double y);

// The inverse: the data value at a scaled position (for the readout and a
// zoom band drawn on a scaled axis). A position below zero under the square
// root, as a pointer below the plot gives, is the negative of its square,
// so the inverse keeps the order of positions.
double UnscaledIntensity(IntensityScale scale, double shown);

// The two ends of a y range (either order) as the scale shows them, in the
// range's own order. Under the square root an end below zero shows from
// zero. Under the logarithm an end at or below zero shows from
// smallest_positive, the smallest positive value in view, or from a decade
// below the other end where that value lies at or above it; without a
// usable one (not positive or not finite) the range has nothing to show and
// there is no answer. Linear gives the ends unchanged.
struct ShownEnds {
  double start = 0;
  double end = 0;
};
std::optional<ShownEnds> ShownIntensityRange(IntensityScale scale, double start, double end,
                                             double smallest_positive);

// Walks the ticks of a y axis under the scale. axis holds the scaled ends
// (as ShownIntensityRange gives them), its length and the smallest tick
// spacing in drawing units; tick gets each data value and its position from
// the axis start, as WalkAxisTicks gives them.
//  - Linear: exactly WalkAxisTicks.
//  - Logarithmic: powers of ten, with 2 and 5 times them when the axis spans
//    under three decades and they stand a number apart; every second, third
//    ... power where single decades lie closer than that; round data values
//    of the 1-2-5 kind where the axis holds fewer than two such ticks (a
//    fraction of a decade).
//  - SquareRoot: round data values of the 1-2-5 kind, the step chosen so
//    that the two closest ticks (at the top, where the root packs values
//    densest) stand a number apart.
// No call when the axis has no span or is not finite.
void WalkIntensityTicks(IntensityScale scale, const AxisLine& axis,
                        const std::function<void(double value, int64_t position)>& tick);

}  // namespace korvelin::render
