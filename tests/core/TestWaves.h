#pragma once
// Waves made by hand for the drawing tests, each its own one-column block
// stored as the reader stores values; the points of a wave read back; the
// text of a pattern file joined from its lines.

#include <cstdint>
#include <string>
#include <string_view>
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

// The first count points of a wave, all of them unless told.
inline std::vector<double> Points(const document::GraphDocument& doc, int32_t wave,
                                  int32_t count = -1) {
  const document::TWave& w = doc.Waves[wave];
  std::vector<double> points;
  for (int32_t i = 0; i < (count < 0 ? w.count : count); ++i) {
    points.push_back(document::GetValue(doc.Values, w.first + i * w.stride));
  }
  return points;
}

// The lines joined, each ended by end (CR LF unless told otherwise).
inline std::string Lines(const std::vector<std::string>& lines, std::string_view end = "\r\n") {
  std::string text;
  for (const std::string& line : lines) text.append(line).append(end);
  return text;
}

}  // namespace korvelin::testing
