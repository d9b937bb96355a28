#include "document/Stacking.h"

#include <cmath>

namespace korvelin::document {

void StackTraces(GraphDocument& doc) {
  // Waves added since the last Stack keep their own offsets for Unstack too.
  for (auto w = static_cast<int32_t>(doc.UnstackedOffsets.size()); w < doc.WaveCount; ++w) {
    doc.UnstackedOffsets.push_back(doc.Waves[w].offsety);
  }
  const double step = (doc.AxisRange.Top - doc.AxisRange.Bottom) / 10;
  // A span too wide for a double leaves the offsets as they are rather
  // than lifting every trace to infinity.
  if (!std::isfinite(step)) return;
  for (int32_t t = 0; t < doc.TraceCount; ++t) {
    const int32_t y = doc.Traces[t].YWave;
    if (y >= 0 && y < doc.WaveCount) doc.Waves[y].offsety = t * step;
  }
}

void UnstackTraces(GraphDocument& doc) {
  const auto saved = static_cast<int32_t>(doc.UnstackedOffsets.size());
  for (int32_t w = 0; w < doc.WaveCount && w < saved; ++w) {
    doc.Waves[w].offsety = doc.UnstackedOffsets[w];
  }
  doc.UnstackedOffsets.clear();
}

}  // namespace korvelin::document
