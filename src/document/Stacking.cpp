#include "document/Stacking.h"

#include <cmath>

#include "document/Reloading.h"

namespace korvelin::document {

void StackTraces(GraphDocument& doc) {
  // Pressed again with nothing changed, Stack keeps the stack it made
  // rather than spreading by a tenth of the range it grew.
  const auto saved = static_cast<int32_t>(doc.UnstackedOffsets.size());
  if (Stacked(doc) && saved == doc.WaveCount && doc.AxisRange == doc.StackedRange) return;
  // Waves added since the last Stack keep their own offsets for Unstack too.
  for (int32_t w = saved; w < doc.WaveCount; ++w)
    doc.UnstackedOffsets.push_back(doc.Waves[w].offsety);
  const double step = (doc.AxisRange.Top - doc.AxisRange.Bottom) / 10;
  doc.UnstackedRange = doc.StackedRange = doc.AxisRange;
  // A span too wide for a double leaves the offsets as they are rather
  // than lifting every trace to infinity.
  if (!std::isfinite(step)) return;
  for (int32_t t = 0; t < doc.TraceCount; ++t) {
    const int32_t y = doc.Traces[t].YWave;
    if (y >= 0 && y < doc.WaveCount) doc.Waves[y].offsety = t * step;
  }
  // The top grows by the highest lift, so the whole waterfall shows, unless
  // the user chose the view.
  const double top = doc.AxisRange.Top + (doc.TraceCount - 1) * step;
  if (ViewChosenByUser(doc) || doc.TraceCount < 2 || !std::isfinite(top)) return;
  doc.AxisRange.Top = top;
  doc.AxisHistory = FilledHistory(doc.AxisRange);
  doc.StackedRange = doc.AxisRange;
}

void UnstackTraces(GraphDocument& doc) {
  const auto saved = static_cast<int32_t>(doc.UnstackedOffsets.size());
  for (int32_t w = 0; w < doc.WaveCount && w < saved; ++w) {
    doc.Waves[w].offsety = doc.UnstackedOffsets[w];
  }
  doc.UnstackedOffsets.clear();
  // A range the stack grew goes back, as long as the user left it alone.
  if (doc.StackedRange == doc.UnstackedRange || !(doc.AxisRange == doc.StackedRange)) return;
  if (ViewChosenByUser(doc)) return;
  doc.AxisRange = doc.UnstackedRange;
  doc.AxisHistory = FilledHistory(doc.AxisRange);
}

}  // namespace korvelin::document
