#pragma once
// Waves made by hand for the drawing tests: each its own one-column block,
// stored as the reader stores values.

#include <cstdint>
#include <vector>

#include "document/GraphDocument.h"

namespace korvelin::testing {

inline int32_t AddWave(document::GraphDocument& doc, const std::vector<double>& values) {
  const int32_t index = doc.WaveCount++;
  document::TWave& wave = doc.Waves[index];
  wave = document::TWave{};
  wave.first = doc.ValueCount;
  wave.stride = 1;
  wave.count = static_cast<int32_t>(values.size());
  for (double v : values) document::SetValue(doc.Values, doc.ValueCount++, v);
  return index;
}

}  // namespace korvelin::testing
