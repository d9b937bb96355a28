#pragma once
// The one redraw of the window: frame, traces and tick marks into the raster
// surface, axis numbers as text on the window's picture, then the surface
// copied onto the picture at the plot area. Also the tick step choice and
// the number format shared with the vector plot and the dialog.

#include <cstdint>
#include <string>

#include "document/GraphDocument.h"
#include "render/Canvas.h"
#include "render/PlotMapping.h"
#include "render/RasterImage.h"

namespace korvelin::render {

// What one redraw draws with: the window's surface, picture, measuring label
// and font, and the locale's decimal separator for the axis numbers.
struct ScreenPlotTarget {
  RasterImage& raster;
  PictureCanvas& picture;
  TextMeasurer& label;
  PlotMapping& mapping;
  FontSpec font;
  char decimal_separator = '.';
};

void DrawScreenPlot(const document::GraphDocument& doc, ScreenPlotTarget& target);

// The smallest step of the 1-2-5 kind strictly larger than min_step (> 0 and
// finite). Returns 0, meaning no scale, when min_step is not positive and
// finite or lies where the powers of ten leave the doubles (near 1.8e308 or
// among the smallest denormals).
double ChooseTickStep(double min_step);

// The tick values of one axis: from the first multiple-of-step position at
// or above low (a truncated quotient times the step, then stepped up while
// below low), accumulated by repeated addition while at most high. The walk
// ends early when an addition no longer moves the value (a deep zoom far from
// zero) or after max_ticks values, so it always ends. The vector plot walks
// its ticks the same way.
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

}  // namespace korvelin::render
