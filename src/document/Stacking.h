#pragma once
// Stacking the traces of a plot one above another, as a waterfall, so that
// patterns of the same range can be told apart, and setting them back. The
// y waves' offsets change, and the range's top grows to show the highest
// trace unless the user chose the view; the values stay. Redrawing is the
// caller's.

#include "document/GraphDocument.h"

namespace korvelin::document {

// Trace k is lifted by k tenths of the y span (AxisRange.Top - Bottom; a
// reversed axis lifts the other way in data units, upwards on the screen):
// on 0 .. 1000, the third trace gets offsety 200. The offsets the traces had
// before the first Stack are kept for Unstack; stacking again after a zoom
// re-spreads by the zoomed span.
void StackTraces(GraphDocument& doc);

// Every y wave's offset back to what it was before Stack; nothing when the
// traces are not stacked.
void UnstackTraces(GraphDocument& doc);

inline bool Stacked(const GraphDocument& doc) { return !doc.UnstackedOffsets.empty(); }

}  // namespace korvelin::document
