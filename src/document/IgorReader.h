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

namespace korvelin::document {

enum class LoadStatus {
  Loaded,      // first line was IGOR; the document now holds the file
  CannotOpen,  // the file could not be opened; the document is unchanged
  NotPattern,  // the first line is not IGOR; the document is unchanged
  Failed,      // memory ran out part-way; the document holds what was read
};

struct LoadResult {
  LoadStatus status = LoadStatus::CannotOpen;
  std::string reason;  // empty when loaded
  bool accepted() const { return status == LoadStatus::Loaded; }
};

// Loads a file: checks the first line, empties the document, interprets every
// further line and fills all history slots with AxisRange. A rejected file
// changes nothing. When memory runs out part-way the load stops there with
// Failed: the document keeps what was read and the history is left alone.
LoadResult LoadPatternFile(GraphDocument& doc, const std::string& path);

// The same from bytes already in memory.
LoadResult LoadPatternText(GraphDocument& doc, std::string_view text);

// Applies one line (without its line end) to the document.
void InterpretLine(GraphDocument& doc, std::string_view line);

// Token n (from 1) of the line; empty when there are fewer tokens or n < 1.
// Delimiters are the codes 0 to 32 and ( ) , = { }.
std::string_view GetToken(std::string_view line, int32_t n);

// Fills values[0 .. n-1] with ToFloatDef of the first n tokens, 0.0 for missing ones.
void ParseNumbers(std::string_view line, double* values, int32_t n);

// Text to double: optional spaces, sign, digits with at most one separator,
// optional exponent, optional spaces, nothing else; overflow, NaN, INF and
// anything else give the default. Pattern files always use '.'; the dialog
// passes the locale's separator.
double ToFloatDef(std::string_view text, double fallback, char decimal_separator = '.');

// Text to 32-bit integer: optional leading spaces, then a sign and decimal
// digits, or '$' and up to 32 bits of hex digits; anything else gives the default.
int32_t ToIntDef(std::string_view text, int32_t fallback);

}  // namespace korvelin::document
