#pragma once
// Reads a pattern file in the Igor Text format into the graph document:
// WAVES declarations, BEGIN ... END blocks of numbers, and X command lines
// (DISPLAY, APPENDTOGRAPH, MODIFYGRAPH, SETAXIS). It is forgiving by design:
// unknown lines are skipped and unreadable numbers count as 0. Redrawing and
// the window title after a load are left to the caller.

#include <cstdint>
#include <string>
#include <string_view>

#include "document/GraphDocument.h"
#include "document/LineFeeder.h"
#include "document/TextNumbers.h"

namespace korvelin::document {

enum class LoadStatus {
  Loaded,      // first line was IGOR; the document now holds the file
  CannotOpen,  // the file could not be opened; the document is unchanged
  NotPattern,  // the first line is not IGOR; the document is unchanged
  Failed,      // memory ran out part-way; the document holds what was read
  Incomplete,  // accepted, but a read error or an overlong line stopped the
               // reading: the document holds the lines before it, as loaded
};

struct LoadResult {
  LoadStatus status = LoadStatus::CannotOpen;
  std::string reason;  // empty when loaded whole
  // The document now shows this file (whole or in part) and is redrawn.
  bool accepted() const { return status == LoadStatus::Loaded || status == LoadStatus::Incomplete; }
};

// Loads a file: checks the first line, empties the document, interprets every
// further line and fills all history slots with AxisRange. A rejected file
// changes nothing. When memory runs out part-way the load stops there with
// Failed: the document keeps what was read and the history is left alone.
// A read error or an overlong line ends the reading with Incomplete: the
// lines before it count as the whole file did.
LoadResult LoadPatternFile(GraphDocument& doc, const std::string& path);

// Opens path for reading as LoadPatternFile does: a regular file, read
// without blocking. The descriptor, or -1 with refusal set to the reason.
int OpenPatternFile(const std::string& path, LoadResult& refusal);

// The same from bytes already in memory.
LoadResult LoadPatternText(GraphDocument& doc, std::string_view text);

// The same from any source, read `chunk` bytes at a time.
LoadResult LoadPatternSource(GraphDocument& doc, ByteSource& source, size_t chunk = kReadChunk);

// Applies one line (without its line end) to the document.
void InterpretLine(GraphDocument& doc, std::string_view line);

// Fills values[0 .. n-1] with ToFloatDef of the first n tokens, 0.0 for missing ones.
void ParseNumbers(std::string_view line, double* values, int32_t n);

}  // namespace korvelin::document
