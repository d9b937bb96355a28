// The vector plot: scale factors from the client area to the page, the frame
// as four strokes, the scale with a font scaled as the page is, and the
// traces last. The step choice, the tick walk and the tick positions are the
// screen plot's own (AxisScale); lengths given in window pixels are scaled by
// the factor of the axis they run along. Nothing is clipped: the page keeps what the
// screen's surface would cut off.

#include "render/VectorPlot.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <string>

#include "document/TextNumbers.h"
#include "render/AxisScale.h"
#include "render/IntensityScale.h"
#include "render/Legend.h"
#include "render/PlotMapping.h"
#include "render/TraceDrawing.h"

namespace korvelin::render {
namespace {

using document::FormatGeneral;
using document::GraphDocument;
using document::TRealRect;

constexpr uint32_t kBlack = 0;
constexpr int kFramePen = 50;

// The local values of one vector plot. The frame's size and corner are whole
// page units; the scale walks its ticks along the rounded size, so a tick
// and a trace point at the same value may lie one unit apart.
struct PageLayout {
  double scale_x = 0;  // VectorScaleX
  double scale_y = 0;  // VectorScaleY
  double font_scale = 0;
  int64_t wv = 0;
  int64_t hv = 0;
  int64_t lv = 0;
  int64_t tv = 0;
  TRealRect range;
};

double Span(int32_t low, int32_t high) { return static_cast<double>(int64_t{high} - low); }

// Worked example: a 29700 x 21000 page and a 594 x 420 client area give both
// factors 50; a plot at (60, 14, 540, 386) becomes the frame from (3000, 700)
// to (27000, 19300). With a 600 x 420 client area the x factor is 49.5 and a
// plot left edge at 61 lies at round(3019.5) = 3020.
bool LayOutPage(const GraphDocument& doc, PageLayout& v) {
  v.scale_x = VectorScaleX(doc);
  v.scale_y = VectorScaleY(doc);
  if (!(v.scale_x > 0) || !(v.scale_y > 0) || !std::isfinite(v.scale_x) ||
      !std::isfinite(v.scale_y)) {
    return false;
  }
  v.font_scale = (v.scale_x + v.scale_y) * 0.5;
  const document::PixelRect& plot = doc.PlotRect;
  v.wv = RoundHalfEven(Span(plot.Left, plot.Right) * v.scale_x);
  v.hv = RoundHalfEven(Span(plot.Top, plot.Bottom) * v.scale_y);
  v.lv = RoundHalfEven(plot.Left * v.scale_x);
  v.tv = RoundHalfEven(plot.Top * v.scale_y);
  v.range = doc.AxisRange;
  return true;
}

void DrawFrame(VectorCanvas& canvas, const PageLayout& v) {
  const int64_t right = v.lv + v.wv;
  const int64_t bottom = v.tv + v.hv;
  canvas.MoveTo(v.lv, v.tv);
  canvas.LineTo(right, v.tv);
  canvas.MoveTo(v.lv, bottom);
  canvas.LineTo(right, bottom);
  canvas.MoveTo(v.lv, v.tv);
  canvas.LineTo(v.lv, bottom);
  canvas.MoveTo(right, v.tv);
  canvas.LineTo(right, bottom);
}

// A vertical x tick is TickX window pixels scaled by the y factor, and the
// gap below the frame DistanceX by the same: 4 x 50 = 200 units each.
void DrawXScale(const GraphDocument& doc, VectorPlotTarget& target, const PageLayout& v) {
  const int64_t tick = RoundHalfEven(doc.Settings.TickX * v.scale_y);
  const int64_t gap = RoundHalfEven(doc.Settings.DistanceX * v.scale_y);
  const int64_t bottom = v.tv + v.hv;
  const AxisLine axis{v.range.Left, v.range.Right, v.wv,
                      static_cast<double>(target.label.Measure(kReferenceText).width)};
  WalkAxisTicks(axis, [&](double t, int64_t position) {
    const std::string text = FormatGeneral(t, target.decimal_separator);
    const int width = target.label.Measure(text).width;
    const int64_t x = position + v.lv;
    target.canvas.MoveTo(x, bottom);
    target.canvas.LineTo(x, bottom - tick);
    target.canvas.TextOut(x - width / 2, bottom + gap, text);
  });
}

// A horizontal y tick and the gap left of the frame are scaled by the x
// factor: with 49.5, DistanceY 4 leaves round(198) = 198 units.
void DrawYScale(const GraphDocument& doc, VectorPlotTarget& target, const PageLayout& v) {
  const int64_t tick = RoundHalfEven(doc.Settings.TickY * v.scale_x);
  const int64_t gap = RoundHalfEven(doc.Settings.DistanceY * v.scale_x);
  const std::optional<ShownEnds>& shown = target.mapping.ShownY;
  if (!shown) return;
  const AxisLine axis{shown->start, shown->end, v.hv,
                      2.0 * target.label.Measure(kReferenceText).height};
  WalkIntensityTicks(doc.View.YScale, axis, [&](double t, int64_t position) {
    const std::string text = FormatGeneral(t, target.decimal_separator);
    const TextSize size = target.label.Measure(text);
    const int64_t y = position + v.tv;
    target.canvas.MoveTo(v.lv, y);
    target.canvas.LineTo(v.lv + tick, y);
    target.canvas.TextOut(v.lv - size.width - gap, y - size.height / 2, text);
  });
}

// The label measures in the scaled font, so a text is as many screen pixels
// wide as it will be page units: a 12-point window font at FontScale 50 is
// 600 points, 800 units high. The cross brush fills nothing; it makes text
// transparent. The label gets its own font back and an empty caption.
void DrawScale(const GraphDocument& doc, VectorPlotTarget& target, const PageLayout& v) {
  const int points = RoundHalfEven32(FontPointSize(target.font) * v.font_scale);
  const FontSpec scaled = WithPointSize(target.font, points);
  target.label.SetFont(scaled);
  target.canvas.SetFont(scaled);
  target.canvas.SetPenColor(kBlack);
  target.canvas.SetBrushStyle(BrushStyle::Cross);
  DrawXScale(doc, target, v);
  DrawYScale(doc, target, v);
  target.label.SetFont(target.font);
  target.label.Measure("");
}

// The legend over the traces, in the scale's font: each bar a stroke in
// the file's colour, each name in black.
void DrawLegend(const GraphDocument& doc, VectorPlotTarget& target, const PageLayout& v) {
  if (!ShowsLegend(doc)) return;
  const int points = RoundHalfEven32(FontPointSize(target.font) * v.font_scale);
  const FontSpec scaled = WithPointSize(target.font, points);
  target.label.SetFont(scaled);
  target.canvas.SetFont(scaled);
  target.canvas.SetBrushStyle(BrushStyle::Cross);
  for (const LegendRow& row : PlaceLegend(doc, target.label, v.lv + v.wv, v.tv)) {
    target.canvas.SetPenColor(document::RgbToColorRef(row.rgb));
    target.canvas.SetPenWidth(static_cast<int>(LegendBarThickness(row.bar_right - row.bar_left)));
    target.canvas.MoveTo(row.bar_left, row.bar_y);
    target.canvas.LineTo(row.bar_right, row.bar_y);
    target.canvas.SetPenColor(kBlack);
    target.canvas.TextOut(row.text_x, row.text_y, row.text);
  }
  target.label.SetFont(target.font);
  target.label.Measure("");
}

bool IsWave(const GraphDocument& doc, int32_t index) {
  return index >= 0 && index < doc.WaveCount && index < document::kMaxWaves;
}

}  // namespace

void DrawVectorPlot(const GraphDocument& doc, VectorPlotTarget& target) {
  PageLayout v;
  if (!LayOutPage(doc, v)) return;
  SetVectorMapping(target.mapping, doc);  // the scale reads the y axis's shown ends
  target.canvas.SetPenColor(kBlack);
  target.canvas.SetPenWidth(kFramePen);
  DrawFrame(target.canvas, v);
  if (doc.Settings.ScaleOn) DrawScale(doc, target, v);
  const int32_t traces = std::clamp(doc.TraceCount, 0, document::kMaxTraces);
  for (int32_t i = 0; i < traces; ++i) {
    DrawVectorTrace(target.canvas, doc, target.mapping, doc.Traces[i].YWave, doc.Traces[i].XWave);
  }
  DrawLegend(doc, target, v);
}

// About as many operations as the plot will record: one per line point, four
// per plus marker, and room for frame and scale. Reserved at once, a long
// trace is recorded without the store moving under it. A trace draws at
// most as many points as the store holds values, whatever its waves claim.
size_t EstimatedOperations(const GraphDocument& doc) {
  constexpr size_t kFrameAndScale = 256;
  size_t operations = kFrameAndScale;
  const int32_t traces = std::clamp(doc.TraceCount, 0, document::kMaxTraces);
  for (int32_t i = 0; i < traces; ++i) {
    const document::TTrace& trace = doc.Traces[i];
    if (!IsWave(doc, trace.XWave) || !IsWave(doc, trace.YWave)) continue;
    const document::TWave& y = doc.Waves[trace.YWave];
    const int32_t points =
        std::clamp(std::min(doc.Waves[trace.XWave].count, y.count), 0, std::max(doc.ValueCount, 0));
    operations += static_cast<size_t>(points) *
                  ((ModeDrawsLines(y.mode) ? 1 : 0) + (ModeDrawsMarkers(y.mode) ? 4 : 0));
  }
  return operations;
}

VectorRecording RecordVectorPlot(const GraphDocument& doc, TextMeasurer& label,
                                 const FontSpec& window_font, char decimal_separator) {
  VectorRecording recording;
  RecordVectorPlot(doc, label, window_font, decimal_separator, recording);
  return recording;
}

void RecordVectorPlot(const GraphDocument& doc, TextMeasurer& label, const FontSpec& window_font,
                      char decimal_separator, VectorRecording& recording) {
  recording.Reserve(EstimatedOperations(doc));
  PlotMapping mapping;
  VectorPlotTarget target{recording, label, mapping, window_font, decimal_separator};
  DrawVectorPlot(doc, target);
}

}  // namespace korvelin::render
