#pragma once
// What of a saved file's waves fits the document, and the document made of
// it: which waves fit the 256 waves and 256 traces, how many of their rows
// fit the 1,048,576 values (the first rows, as the plain reading keeps
// them), the x waves they share, and the axis range fitted to the data.
// Reading the file is the line sink's (SavedWaves), saying what was done
// the report's.

#include <cstdint>
#include <vector>

#include "document/GraphDocument.h"
#include "document/SavedWaves.h"
#include "document/SavedWavesSyntax.h"

namespace korvelin::document::saved {

// One x wave serves every drawn wave whose x values start and step alike; a
// trace reads as many points as its shorter wave has, so the x wave holds
// as many as the longest of them.
struct XGroup {
  LinearX x;
  int32_t count = 0;
  int32_t wave = -1;  // its index in the document once made
};

// The saved waves that fit the document, in file order, with the rows kept
// of each, and their x waves.
struct Plan {
  std::vector<int32_t> drawn;
  std::vector<int32_t> kept;  // per drawn wave
  std::vector<XGroup> groups;
  std::vector<int32_t> group_of;  // per saved wave
  int64_t values = 0;             // the leading values of the buffer the drawn rows need
};

// Decides, in file order, which waves fit the 256 waves and 256 traces of
// the document, and how many of their rows fit its 1,048,576 values: the
// buffer up to the last row kept, and the x values. Like the plain reading,
// the first rows are kept: the wave whose x values would pass the table
// keeps as many rows as fit with their x values, and a wave with no room
// for a single row is left out.
Plan MakePlan(const std::vector<SavedWave>& waves, SavedFileReport& report);

// Replaces the document with the planned waves and traces: the buffer up
// to the last row kept, then the x waves.
void ApplyPlan(GraphDocument& doc, const std::vector<double>& values,
               const std::vector<SavedWave>& waves, Plan& plan);

// Sets AxisRange and every history slot to the extents of the data, a flat
// range widened so that ticks and numbers have room, and an empty one (low
// above high: no value at all) the default range.
void SetFittedRange(GraphDocument& doc, double left, double right, double bottom, double top);

}  // namespace korvelin::document::saved
