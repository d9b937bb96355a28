#pragma once
// Conversions between data coordinates and drawing coordinates: data to
// raster pixels, data to vector units, and window pixels back to data.
// The forward mappings are precomputed into PlotMapping once per redraw so
// that each point costs one subtract, one multiply and one rounding per axis.

#include <cmath>
#include <cstdint>
#include <optional>

#include "document/GraphDocument.h"
#include "render/IntensityScale.h"
#include "render/Rounding.h"

namespace korvelin::render {

struct PlotMapping {
  double ClipLeft = 0;
  double ClipRight = 0;
  double ClipBottom = 0;
  double ClipTop = 0;
  int32_t PixelOriginX = 0;
  int32_t PixelOriginY = 0;
  double DataOriginX = 0;
  double DataOriginY = 0;
  double ScaleX = 0;
  double ScaleY = 0;
  // The y values of points go through this scale before the y mapping;
  // ClipBottom, ClipTop, DataOriginY and ScaleY are in its units.
  IntensityScale YScale = IntensityScale::Linear;
  // The y axis's ends as the scale shows them, Top first (ShownYRange), for
  // the ticks; none when the scale shows nothing.
  std::optional<ShownEnds> ShownY;
};

// Like RoundHalfEven but for results that must fit 32 bits (page units,
// tick offsets); clamps to the int32 range.
int32_t RoundHalfEven32(double v);

// The y axis's ends as the document's intensity scale shows them, Top
// first: the range's own ends on a linear axis. Under the logarithm a
// bottom at or below zero shows from the smallest positive y among the
// points whose x lies in the range; no answer when the scale leaves
// nothing to show.
std::optional<ShownEnds> ShownYRange(const document::GraphDocument& doc);

// Whether the shown y ends depend on the smallest positive y in view: a
// logarithmic axis whose range reaches zero or below.
bool NeedsSmallestPositive(const document::GraphDocument& doc);

void SetScreenMapping(PlotMapping& mapping, const document::GraphDocument& doc);
// The same with the smallest positive y in view given, by a caller that
// walks the points anyway (used only where NeedsSmallestPositive). The x
// half of the mapping does not depend on it.
void SetScreenMapping(PlotMapping& mapping, const document::GraphDocument& doc,
                      double smallest_positive);
void SetVectorMapping(PlotMapping& mapping, const document::GraphDocument& doc);

// MetafileWidth / ClientSize.Width and MetafileHeight / ClientSize.Height.
double VectorScaleX(const document::GraphDocument& doc);
double VectorScaleY(const document::GraphDocument& doc);

// Window pixel (x, y) of the image control to data coordinates.
void PixelToData(int32_t x, int32_t y, const document::PixelRect& plot_rect,
                 const document::TRealRect& axis_range, double& data_x, double& data_y);

// Window pixel (x, y) to data coordinates as the document's plot shows
// them: PixelToData over the y axis as its intensity scale shows it, and y
// taken back through the scale. Exactly PixelToData on a linear axis.
void PixelToShownData(int32_t x, int32_t y, const document::GraphDocument& doc, double& data_x,
                      double& data_y);

// A mapping can draw points only when both axis spans are non-zero and
// finite, whichever way they run; a zero span draws the frame and nothing
// else.
bool HasDrawableRange(const PlotMapping& mapping);

inline bool PointInside(const PlotMapping& m, double x, double y) {
  return m.ClipLeft <= x && x <= m.ClipRight && m.ClipBottom <= y && y <= m.ClipTop;
}

inline int64_t MapX(const PlotMapping& m, double x) {
  return RoundHalfEven((x - m.DataOriginX) * m.ScaleX) + m.PixelOriginX;
}

inline int64_t MapY(const PlotMapping& m, double y) {
  return RoundHalfEven((y - m.DataOriginY) * m.ScaleY) + m.PixelOriginY;
}

// out[j] = RoundHalfEven((in[j] - origin) * scale) + pixel_origin for j below
// n, as MapX and MapY compute each, several at a time.
void MapPositions(const double* in, int32_t n, double origin, double scale, int64_t pixel_origin,
                  int64_t* out);

}  // namespace korvelin::render
