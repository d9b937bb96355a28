#pragma once
// The text of the largest pattern file the window benchmarks load: 524,288
// rows of two columns, 9.4 MB, in one of two shapes.

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>

#include "document/GraphDocument.h"

namespace korvelin::ui {

inline constexpr int kRows = document::kMaxValues / 2;

enum class Kind { Powder, NoiseBand };

// 524,288 rows of two-theta against intensity, all inside the axes. Powder:
// a background near 10000 counts with a little noise and a few sharp peaks,
// like a slow scan (rows such as "\t12.3450\t10234.56"). NoiseBand:
// pseudo-random intensities of 0 .. 30000, so that every segment spans
// hundreds of rows: the costliest plot the document can hold.
inline std::string MaxPatternText(Kind kind, int rows = kRows) {
  std::string text = "IGOR\r\nWAVES/D tth int\r\nBEGIN\r\n";
  uint64_t state = 12345;
  char row[64];
  for (int i = 0; i < rows; ++i) {
    state = state * 6364136223846793005u + 1442695040888963407u;
    const double tth = 5.0 + i * (85.0 / rows);
    double counts = (state >> 33) % 3000001 / 100.0;
    if (kind == Kind::Powder) {
      counts = 10000.0 + counts / 100.0;
      for (double peak : {20.86, 26.64, 36.54, 50.14, 59.96, 68.14}) {
        const double d = (tth - peak) / 0.05;
        counts += 15000.0 * std::exp(-d * d);
      }
    }
    std::snprintf(row, sizeof row, "\t%.4f\t%.2f\r\n", tth, counts);
    text += row;
  }
  return text +
         "END\r\nX Display int vs tth\r\nX SetAxis bottom 5, 90\r\nX SetAxis left 0, 32000\r\n";
}

}  // namespace korvelin::ui
