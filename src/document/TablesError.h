#pragma once
// The document's invariant: what trace drawing, the JSON view and the
// plots take from a loaded document without checking. The readers keep it;
// the tests, the fuzzers and the monkey check it after every load and action.

#include <string>

#include "document/GraphDocument.h"

namespace korvelin::document {

// The first rule the document breaks, as a sentence, or the empty text when
// it keeps within its tables: every count within 0 .. its table's size, every
// trace naming a declared wave or -1, and every wave with points stepping
// forward (stride 1 or more) from its first to its last point inside the
// stored values. "wave 2 reads values 4 .. 12 of 10" names the wave whose
// last point lies past the values.
std::string TablesError(const GraphDocument& doc);

}  // namespace korvelin::document
