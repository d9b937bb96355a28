#pragma once
// A second way of reading an Igor Text file, for files that other programs
// save: waves with their dimensions, x scales and quoted names, but no graph.
// The program loads every file through LoadGraphFile, which reads it exactly
// as the reader does and only when that reading leaves nothing to draw
// although the file declares waves reads it once more, making one trace per
// numeric wave (or per column of a narrow 2-D wave) against its x scale, and
// fitting the axis range to the data. Drawing the result, and printing or
// showing the report, is left to the caller.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "document/GraphDocument.h"
#include "document/IgorReader.h"
#include "document/LineFeeder.h"

namespace korvelin::document {

// Why a wave of the file is not drawn. The order is the order of the report.
enum class LeftOut {
  ThreeD,        // three or more dimensions: "3-D wave"
  Text,          // WAVES/T: "text wave"
  Complex,       // WAVES/C, two numbers per point: "complex wave"
  SharedBlock,   // a further name on a 2-D declaration: "shares a 2-D block"
  NoValues,      // a numeric wave without rows: "no values"
  OverCapacity,  // no room in the wave or trace table, or for a single row
                 // in the value table: "over capacity"
};
inline constexpr int kLeftOutReasons = 6;

// The words a report uses for a reason: "3-D wave", "text wave", ...
std::string_view LeftOutText(LeftOut reason);

// What a load through LoadGraphFile did beyond the plain reading.
struct SavedFileReport {
  bool fallback = false;  // the document was made by the second reading
  int32_t traces = 0;     // traces that reading made
  // Waves the second reading did not draw, by reason (index: LeftOut).
  std::array<int64_t, kLeftOutReasons> left_out{};
  // Drawn waves whose rows did not all fit the value table: the rows kept
  // of them and the rows the file holds ("kept 524,288 of 600,000 points").
  int64_t kept_points = 0;
  int64_t points_in_file = 0;
  // The file was accepted and no trace has a point to draw.
  bool shows_nothing = false;

  int64_t LeftOutCount(LeftOut reason) const { return left_out[static_cast<int>(reason)]; }
};

// The plain reading, then the second one where the file needs it: when the
// file is accepted, declares at least one wave, and no trace names two
// declared waves. The second reading replaces the document only when it
// makes a trace; otherwise the plain reading stays as it was. Both readings
// of a file that needs no second one are exactly LoadPatternFile.
LoadResult LoadGraphFile(GraphDocument& doc, const std::string& path, SavedFileReport& report);

// The same for a file opened with OpenPatternFile, read from its start;
// the caller closes it.
LoadResult LoadGraphDescriptor(GraphDocument& doc, int fd, SavedFileReport& report);

// The same for bytes in memory, served `chunk` bytes per read (all at once
// when 0) to both readings.
LoadResult LoadGraphText(GraphDocument& doc, std::string_view text, SavedFileReport& report,
                         size_t chunk = 0);

// The second reading alone. The document changes only when it makes a
// trace: then it holds the file's numeric waves, their x waves, one trace
// per wave or column, and the fitted axis range in AxisRange and every
// history slot. A source whose first line is not IGOR changes nothing.
LoadResult LoadSavedSource(GraphDocument& doc, ByteSource& source, SavedFileReport& report,
                           size_t chunk = kReadChunk);

// The rule of LoadGraphFile: waves are declared and no trace names two of them.
bool NeedsSavedFileReading(const GraphDocument& doc);

// No trace has both its waves with at least one point.
bool ShowsNothing(const GraphDocument& doc);

// What there is to say about a load, or the empty text: "read as saved
// waves: 1 trace; kept 524,288 of 600,000 points; left out: 3-D wave (1)",
// or "no wave to plot".
std::string SavedFileSummary(const SavedFileReport& report);

// 524288 as "524,288", as a report reads it.
std::string GroupedNumber(int64_t number);

// The notice the window draws in an empty plot area: the summary of a load
// that shows nothing, else the empty text.
std::string SavedFileNotice(const SavedFileReport& report);

}  // namespace korvelin::document
