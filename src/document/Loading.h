#pragma once
// The one way a file comes into a document, for the window, the command
// line and the batch alike, from one open of the file: a pattern file goes
// to the reader, then to the second reading where a file saved by another
// program needs it; any other file to the column reader. What the user is
// told of a load, and where, is the caller's.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "document/ColumnFiles.h"
#include "document/GraphDocument.h"
#include "document/IgorReader.h"
#include "document/SavedWaves.h"

namespace korvelin::document {

// One file handed to the reader, with the reader's verdict.
struct LoadRecord {
  std::string path;
  LoadResult result;
  // What the second reading of a file saved by another program did.
  SavedFileReport saved{};
  // What the column reader did with a file that is no pattern file.
  ColumnFileReport columns{};
};

// Loads one file into the document.
LoadRecord LoadFile(GraphDocument& doc, const std::string& path);

// The same for bytes in memory named `name`, served `chunk` bytes per read
// (all at once when 0): for tests and fuzzers.
LoadRecord LoadText(GraphDocument& doc, std::string_view text, const std::string& name,
                    size_t chunk = 0);

// Loads the files in order into the document; each accepted file replaces
// the one before.
std::vector<LoadRecord> LoadFiles(GraphDocument& doc, const std::vector<std::string>& files);

// "scan.itx: read as saved waves: 3 traces" or "scan.xy: read as columns:
// 1 curve, 4,501 rows", the file named as messages name it, or the empty
// text for a file read the plain way; the program puts its own name in
// front.
std::string SavedFileMessage(const LoadRecord& load);

}  // namespace korvelin::document
