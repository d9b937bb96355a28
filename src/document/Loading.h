#pragma once
// The one way a file comes into a document, for the window, the command
// line and the batch alike: the reader, then the second reading where a
// file saved by another program needs it, from one open of the file. What
// the user is told of a load, and where, is the caller's.

#include <string>
#include <vector>

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
};

// Loads one file into the document.
LoadRecord LoadFile(GraphDocument& doc, const std::string& path);

// Loads the files in order into the document; each accepted file replaces
// the one before.
std::vector<LoadRecord> LoadFiles(GraphDocument& doc, const std::vector<std::string>& files);

// "scan.itx: read as saved waves: 3 traces", the file named as messages
// name it, or the empty text for a file read the plain way; the program puts
// its own name in front.
std::string SavedFileMessage(const LoadRecord& load);

}  // namespace korvelin::document
