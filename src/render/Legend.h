#pragma once
// The legend of a plot that shows several files: each file's name beside a
// short bar in the colour of its first trace, one row per file, in the plot's
// top-right corner inside the frame. This unit places the rows; the screen
// plot and the vector plot draw them, each in its own units. A plot of one
// file, or one whose legend the user switched off, has no rows.

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "document/GraphDocument.h"
#include "render/Canvas.h"

namespace korvelin::render {

struct LegendRow {
  std::string text;
  uint32_t rgb = 0;  // 0x00RRGGBB, black when colour is off
  int64_t bar_left = 0;
  int64_t bar_right = 0;
  int64_t bar_y = 0;  // the bar's middle row
  int64_t text_x = 0;
  int64_t text_y = 0;  // the text's top
};

// The rows for a frame whose top-right corner is (right, top), measured in
// the label's current font. Worked example with text 19 high and the longest
// name 48 wide: the margin is 9, the bar 38 long with a gap of 9, so on a
// frame corner (600, 10) the first row's bar runs from 496 to 534 on row
// 28, its text at (543, 19), and the next row 19 lower.
// Whether the plot has a legend: several files, and the user left it on.
inline bool ShowsLegend(const document::GraphDocument& doc) {
  return doc.Files.size() > 1 && doc.View.Legend;
}

// The bar's thickness for a bar `length` long: a twenty-fourth of it, at
// least 2, so it reads as a stroke of the trace's colour beside the name.
inline int64_t LegendBarThickness(int64_t length) { return std::max<int64_t>(2, length / 24); }

std::vector<LegendRow> PlaceLegend(const document::GraphDocument& doc, TextMeasurer& label,
                                   int64_t right, int64_t top);

}  // namespace korvelin::render
