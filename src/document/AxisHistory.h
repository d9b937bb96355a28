#pragma once
// Zoom and axis undo on the document's axis range and its history of 16
// slots. Slot 0 holds the range before the present one; a zoom pushes into
// slots 0 to 14 and never writes slot 15, so every chain of undos ends at
// the range all slots were given at start-up or at the last load. Which
// pixels the corners come from, and the redraw, are the window's.

#include "document/GraphDocument.h"

namespace korvelin::document {

// Makes the rectangle with corners (x0, y0) and (x1, y1), in data units and
// in any order, the new axis range and pushes the old one. Refused, changing
// nothing, when either span is below 1e-6 data units, when it holds fewer
// than 4096 distinct doubles (a drag far from zero, around 1e10, where
// doubles lie 2e-6 apart: the plot could not tell its pixels apart), or when
// a corner is not finite. The new range runs the way the shown one runs
// along each axis. Returns whether the range changed.
bool ZoomAxis(GraphDocument& doc, double x0, double y0, double x1, double y1);

// Steps back: the range of slot 0 becomes current and slots 1 to 15 move
// down one; slot 15 keeps its value, so undo always has a range to give.
void UndoAxis(GraphDocument& doc);

}  // namespace korvelin::document
