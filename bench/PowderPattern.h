#pragma once
// The largest document the benchmarks draw: a powder pattern of 524,288
// points, 2-theta from 5 to 125 degrees, a falling background, sixty peaks
// of very different heights and widths, and counting noise, stored as the
// reader stores one block of two columns, with one trace. Where it is shown
// (plot area, client size, axis range) is each benchmark's.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

#include "document/GraphDocument.h"

namespace korvelin::bench {

inline constexpr int32_t kPowderPoints = 524288;

// Fills an empty document with the pattern; returns its highest count.
inline double FillPowderPattern(document::GraphDocument& doc) {
  std::mt19937 rng(1);
  std::uniform_real_distribution<double> where(8, 122);
  std::uniform_real_distribution<double> unit(0, 1);
  std::normal_distribution<double> gauss(0, 1);
  struct Peak {
    double centre, height, width;
  };
  std::vector<Peak> peaks;
  for (int i = 0; i < 60; ++i) {
    peaks.push_back({where(rng), 200 + 50000 * std::pow(unit(rng), 4), 0.03 + 0.2 * unit(rng)});
  }
  double highest = 0;
  for (int32_t k = 0; k < kPowderPoints; ++k) {
    const double x = 5 + 120.0 * k / (kPowderPoints - 1);
    double y = 150 + 400 * std::exp(-x / 20);
    for (const Peak& p : peaks) {
      const double d = (x - p.centre) / p.width;
      if (std::abs(d) < 40) y += p.height / (1 + d * d);
    }
    y += std::sqrt(y) * gauss(rng);
    document::SetValue(doc.Values, doc.ValueCount++, x);
    document::SetValue(doc.Values, doc.ValueCount++, y);
    highest = std::max(highest, y);
  }
  doc.WaveCount = 2;
  doc.Waves[0] = document::TWave{.first = 0, .stride = 2, .count = kPowderPoints};
  doc.Waves[1] = document::TWave{.first = 1, .stride = 2, .count = kPowderPoints};
  doc.Traces[0] = {0, 1};
  doc.TraceCount = 1;
  return highest;
}

}  // namespace korvelin::bench
