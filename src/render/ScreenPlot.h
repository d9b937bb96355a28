#pragma once
// The one redraw of the window: frame, traces and tick marks into the raster
// surface, axis numbers as text on the window's picture, then the surface
// copied onto the picture at the plot area. Also the tick step choice and
// the number format shared with the vector plot and the dialog.

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

// The smallest step of the 1-2-5 kind strictly larger than min_step (> 0 and finite).
double ChooseTickStep(double min_step);

// A double as general-format text with at most 15 significant digits.
std::string FormatGeneral(double value, char decimal_separator = '.');

}  // namespace korvelin::render
