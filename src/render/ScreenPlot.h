#pragma once
// The one redraw of the window: frame, traces and tick marks into the raster
// surface, axis numbers as text on the window's picture, then the surface
// copied onto the picture at the plot area. The step choice and the tick
// walk it shares with the vector plot live in AxisScale.

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

void DrawScreenPlot(const document::GraphDocument& doc, ScreenPlotTarget& target);

}  // namespace korvelin::render
