#include "render/Legend.h"

#include <algorithm>
#include <string_view>

#include "document/QuotedName.h"

namespace korvelin::render {
namespace {

// The name without its folder, as the user knows the file; a name that
// would break the line is shown quoted.
std::string ShownName(std::string_view path) {
  const size_t slash = path.rfind('/');
  if (slash != std::string_view::npos && slash + 1 < path.size()) path.remove_prefix(slash + 1);
  return document::QuoteName(path);
}

uint32_t FileColour(const document::GraphDocument& doc, const document::PlotFile& file) {
  if (!doc.Settings.ColorOn || file.FirstTrace >= doc.TraceCount) return 0;
  const int32_t y = doc.Traces[file.FirstTrace].YWave;
  if (y < 0 || y >= doc.WaveCount) return 0;
  return doc.Waves[y].rgb & 0xFFFFFF;
}

}  // namespace

std::vector<LegendRow> PlaceLegend(const document::GraphDocument& doc, TextMeasurer& label,
                                   int64_t right, int64_t top) {
  std::vector<LegendRow> rows;
  if (!ShowsLegend(doc)) return rows;
  int64_t widest = 0;
  int64_t height = 0;
  for (const document::PlotFile& file : doc.Files) {
    LegendRow row{ShownName(file.Name), FileColour(doc, file)};
    const TextSize size = label.Measure(row.text);
    widest = std::max<int64_t>(widest, size.width);
    height = std::max<int64_t>(height, size.height);
    rows.push_back(std::move(row));
  }
  // Margin and gap half a line, the bar two lines long: the legend scales
  // with the font on the screen and on the page alike.
  const int64_t margin = height / 2;
  const int64_t bar = 2 * height;
  const int64_t left = right - margin - widest - margin - bar;
  for (size_t i = 0; i < rows.size(); ++i) {
    LegendRow& row = rows[i];
    row.text_y = top + margin + static_cast<int64_t>(i) * height;
    row.bar_left = left;
    row.bar_right = left + bar;
    row.bar_y = row.text_y + height / 2;
    row.text_x = row.bar_right + margin;
  }
  return rows;
}

}  // namespace korvelin::render
