#pragma once
// The files beside the shown one, in the order a user reads a series:
// names compared with their runs of digits as numbers, so "scan2" comes
// before "scan10" and "scan007" after "scan6". Only the names are listed
// here; which of them the program can read is found by reading them.

#include <string>
#include <string_view>
#include <vector>

namespace korvelin::document {

// Negative, zero or positive as a sorts before, with or after b. Digit runs
// compare by value, then the shorter run (fewer leading zeros) first; other
// bytes compare without regard to ASCII case, and a tie is broken by the
// bytes themselves so that distinct names never compare equal.
int NaturalCompare(std::string_view a, std::string_view b);

enum class SeriesStep { Next, Previous };

// The regular files of shown's folder that come after (Next) or before
// (Previous) shown's name in natural order, nearest first, as paths in that
// folder. Hidden files (a name starting with ".") are not part of a series.
// shown itself need not exist any more. A folder that cannot be listed
// gives none.
std::vector<std::string> SeriesCandidates(const std::string& shown, SeriesStep step);

}  // namespace korvelin::document
