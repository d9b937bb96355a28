#pragma once
// The one redraw of the window: frame, traces and tick marks into the raster
// surface, axis numbers as text on the window's picture, then the surface
// copied onto the picture at the plot area. The step choice and the tick
// walk it shares with the vector plot live in AxisScale.

#include <cstddef>

#include "document/GraphDocument.h"
#include "render/AxisScale.h"
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

// The most segments a redraw on a logarithmic axis that shows from the
// smallest positive intensity in view holds back while it walks the traces
// (HeldScaledLines): 8 MiB, some hundred times what a dense trace needs.
inline constexpr size_t kMaxHeldSegments = size_t{1} << 18;

// max_held_segments 0 sets the axis up from a scan of the points before any
// trace is drawn; the picture is the same either way.
void DrawScreenPlot(const document::GraphDocument& doc, ScreenPlotTarget& target,
                    size_t max_held_segments = kMaxHeldSegments);

}  // namespace korvelin::render
