#pragma once
// Reads plain column files (.xy, .xye, .dat, .chi, .csv, .txt) into the
// document: the longest run of rows with the same count of numbers is the
// data, its first column x and each further column a wave drawn against it
// (or kept undrawn when it holds uncertainties), with the axis range fitted
// to the data. Header lines, comments and a text footer around the run are
// passed over; the last header line names the waves when it has a name per
// column. Deciding that a file is a column file rather than a pattern file,
// and drawing the result, are left to the caller (Loading).

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "document/GraphDocument.h"
#include "document/IgorReader.h"
#include "document/LineFeeder.h"

namespace korvelin::document {

// What a load of a column file did, for the one line a headless run prints.
struct ColumnFileReport {
  bool read = false;             // the document was made from the file's columns
  int32_t curves = 0;            // waves drawn against x
  int32_t uncertainties = 0;     // waves kept but not drawn
  int64_t rows = 0;              // rows of the data in the file
  int32_t kept_rows = 0;         // rows that fit the value table
  int64_t columns_left_out = 0;  // columns past the 16 after x
  std::string header;            // the names the header row gave, or empty
};

// The refusal of a file that is neither a pattern file nor a column file.
inline constexpr char kNoRowsReason[] =
    "not a pattern file (the first line is not IGOR) nor a column file (no rows of numbers found)";

// Reads a source as columns. A file without two rows of two or more numbers
// is refused (NotPattern) and changes nothing; so does one that cannot be
// read before its rows (CannotOpen). A read error or an overlong line after
// rows were found ends the reading with Incomplete: the rows before it are
// loaded. `file_name` names single curves and tells .xye files.
LoadResult LoadColumnSource(GraphDocument& doc, ByteSource& source, ColumnFileReport& report,
                            std::string_view file_name, size_t chunk = kReadChunk);

// The same for bytes in memory, served `chunk` bytes per read (all at once
// when 0).
LoadResult LoadColumnText(GraphDocument& doc, std::string_view text, ColumnFileReport& report,
                          std::string_view file_name, size_t chunk = 0);

// "read as columns: 2 curves, 4,501 rows; header: 2theta intensity", or the
// empty text when the document was not made from columns.
std::string ColumnFileSummary(const ColumnFileReport& report);

}  // namespace korvelin::document
