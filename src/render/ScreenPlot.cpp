// The window's one redraw: clear, frame, traces and ticks into the raster
// surface, the axis numbers as text on the picture, then the surface copied
// onto the picture. Measuring and drawing text and the copy itself are done
// by the canvas interfaces the window supplies; this unit decides what goes
// where. An axis whose range is empty or not finite gets no scale; one that
// runs the other way is drawn that way.

#include "render/ScreenPlot.h"

#include <algorithm>
#include <limits>
#include <optional>

#include "document/TextNumbers.h"
#include "render/IntensityScale.h"
#include "render/Legend.h"
#include "render/PlotMapping.h"
#include "render/RasterLine.h"
#include "render/ScaledTraceLines.h"
#include "render/TraceDrawing.h"

namespace korvelin::render {
namespace {

using document::FormatGeneral;
using document::GraphDocument;
using document::TRealRect;

constexpr int kFramePalette = 1;
constexpr int kTickPalette = 255;
constexpr uint32_t kWhite = 0xFFFFFF;

int ToInt(int64_t v) {
  if (v > std::numeric_limits<int>::max()) return std::numeric_limits<int>::max();
  if (v < std::numeric_limits<int>::min()) return std::numeric_limits<int>::min();
  return static_cast<int>(v);
}

void DrawFrame(RasterImage& raster, int64_t w, int64_t h) {
  DrawRasterLine(raster, 0, 0, w - 1, 0, kFramePalette);
  DrawRasterLine(raster, 0, h - 1, w - 1, h - 1, kFramePalette);
  DrawRasterLine(raster, 0, 0, 0, h - 1, kFramePalette);
  DrawRasterLine(raster, w - 1, 0, w - 1, h - 1, kFramePalette);
}

// Worked example: a 552-pixel plot showing 0 to 10 ticks every 2 on columns
// 0, 110, 221, 331, 442 (and 552, clipped), each TickX pixels high from the
// bottom, with its number centred below.
void DrawXScale(const GraphDocument& doc, ScreenPlotTarget& target, int64_t w, int64_t h) {
  const AxisLine axis{doc.AxisRange.Left, doc.AxisRange.Right, w,
                      static_cast<double>(target.label.Measure(kReferenceText).width)};
  WalkAxisTicks(axis, [&](double t, int64_t px) {
    const std::string text = FormatGeneral(t, target.decimal_separator);
    const int width = target.label.Measure(text).width;
    // Row h lies just below the surface, so TickX pixels of the tick show.
    DrawRasterLine(target.raster, px, h, px, h - doc.Settings.TickX, kTickPalette);
    target.picture.TextOut(ToInt(doc.PlotRect.Left + px - width / 2),
                           ToInt(int64_t{doc.PlotRect.Bottom} + doc.Settings.DistanceX), text);
  });
}

// Worked example: a 434-pixel plot showing 0 to 10 has Sy = -43.4; two text
// heights of 19 span 0.8756, so the step is 1 and y = 5 lies on row 217; its
// number, 19 high, has its top at 14 + 217 - 9 = 222 for a plot top of 14.
void DrawYScale(const GraphDocument& doc, ScreenPlotTarget& target, int64_t h) {
  const std::optional<ShownEnds>& shown = target.mapping.ShownY;
  if (!shown) return;
  const AxisLine axis{shown->start, shown->end, h,
                      2.0 * target.label.Measure(kReferenceText).height};
  WalkIntensityTicks(doc.View.YScale, axis, [&](double t, int64_t py) {
    const std::string text = FormatGeneral(t, target.decimal_separator);
    const TextSize size = target.label.Measure(text);
    // TickY + 1 pixels from the left column inward.
    DrawRasterLine(target.raster, 0, py, doc.Settings.TickY, py, kTickPalette);
    target.picture.TextOut(ToInt(int64_t{doc.PlotRect.Left} - size.width - doc.Settings.DistanceY),
                           ToInt(doc.PlotRect.Top + py - size.height / 2), text);
  });
}

// The cross brush is never used to fill: it makes text transparent, so a
// number does not erase what lies behind it. It stays set after the redraw.
void DrawScale(const GraphDocument& doc, ScreenPlotTarget& target, int64_t w, int64_t h) {
  target.label.SetFont(target.font);
  target.picture.SetFont(target.font);
  target.picture.SetBrushStyle(BrushStyle::Cross);
  DrawXScale(doc, target, w, h);
  DrawYScale(doc, target, h);
}

// The legend goes onto the picture over the copied surface, inside the
// frame's right column and top row, in the window's font; a bar is filled
// in the file's colour, the name drawn over a transparent background.
void DrawLegend(const GraphDocument& doc, ScreenPlotTarget& target) {
  if (!ShowsLegend(doc)) return;
  PictureCanvas& picture = target.picture;
  target.label.SetFont(target.font);
  picture.SetFont(target.font);
  const std::vector<LegendRow> rows = PlaceLegend(
      doc, target.label, int64_t{doc.PlotRect.Right} - 1, int64_t{doc.PlotRect.Top} + 1);
  for (const LegendRow& row : rows) {
    const int64_t thickness = LegendBarThickness(row.bar_right - row.bar_left);
    const int64_t bar_top = row.bar_y - thickness / 2;
    picture.SetBrushColor(row.rgb);
    picture.SetBrushStyle(BrushStyle::Solid);
    picture.FillRect(ToInt(row.bar_left), ToInt(bar_top), ToInt(row.bar_right),
                     ToInt(bar_top + thickness));
    picture.SetBrushStyle(BrushStyle::Cross);
    picture.TextOut(ToInt(row.text_x), ToInt(row.text_y), row.text);
  }
}

// Whether every trace draws lines and nothing else: then a walk of the
// lines meets every point the smallest positive y in view is taken from.
bool DrawsLinesOnly(const GraphDocument& doc) {
  const int32_t traces = std::min(doc.TraceCount, document::kMaxTraces);
  for (int32_t i = 0; i < traces; ++i) {
    const document::TTrace& trace = doc.Traces[i];
    if (!IsWave(doc, trace.YWave) || !IsWave(doc, trace.XWave)) continue;
    const int32_t mode = doc.Waves[trace.YWave].mode;
    if (!ModeDrawsLines(mode) || ModeDrawsMarkers(mode)) return false;
  }
  return true;
}

// On a logarithmic axis that shows from the smallest positive y in view,
// the lines are walked once and drawn when the axis is known; otherwise,
// and when the walk holds too much, the mapping is set up first and each
// trace drawn as it comes.
void DrawTraces(const GraphDocument& doc, ScreenPlotTarget& target, size_t max_held_segments) {
  const int32_t traces = std::min(doc.TraceCount, document::kMaxTraces);
  if (max_held_segments > 0 && NeedsSmallestPositive(doc) && DrawsLinesOnly(doc)) {
    SetScreenMapping(target.mapping, doc, std::numeric_limits<double>::infinity());
    HeldScaledLines held(max_held_segments);
    bool whole = true;
    for (int32_t i = 0; i < traces && whole; ++i) {
      whole = held.Walk(doc, target.mapping, doc.Traces[i].YWave, doc.Traces[i].XWave);
    }
    if (whole) {
      SetScreenMapping(target.mapping, doc, held.SmallestPositive());
      held.Draw(target.raster, target.mapping);
      return;
    }
  }
  SetScreenMapping(target.mapping, doc);
  for (int32_t i = 0; i < traces; ++i) {
    DrawRasterTrace(target.raster, doc, target.mapping, doc.Traces[i].YWave, doc.Traces[i].XWave);
  }
}

}  // namespace

void DrawScreenPlot(const GraphDocument& doc, ScreenPlotTarget& target, size_t max_held_segments) {
  if (target.raster.IsNull()) return;
  PictureCanvas& picture = target.picture;
  picture.SetVisible(false);
  const int64_t w = int64_t{doc.PlotRect.Right} - doc.PlotRect.Left;
  const int64_t h = int64_t{doc.PlotRect.Bottom} - doc.PlotRect.Top;
  ClearRasterImage(target.raster);
  DrawFrame(target.raster, w, h);
  DrawTraces(doc, target, max_held_segments);
  picture.SetBrushColor(kWhite);
  picture.SetBrushStyle(BrushStyle::Solid);
  picture.FillRect(0, 0, picture.Width(), picture.Height());
  if (doc.Settings.ScaleOn) DrawScale(doc, target, w, h);
  picture.BlitRaster(target.raster, doc.PlotRect.Left, doc.PlotRect.Top);
  DrawLegend(doc, target);
  picture.SetVisible(true);
}

}  // namespace korvelin::render
