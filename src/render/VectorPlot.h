#pragma once
// The graph drawn again for paper and metafiles: the window's whole client
// area stretched onto a page of MetafileWidth x MetafileHeight units, with
// the frame, the scale and every trace as vector operations. Which canvas
// receives them (a recording, a metafile, a printer) is the caller's choice.

#include "document/GraphDocument.h"
#include "render/Canvas.h"
#include "render/PlotMapping.h"
#include "render/VectorRecording.h"

namespace korvelin::render {

// What one vector plot draws with: the canvas, the window's measuring label
// and font, the mapping the traces use, and the locale's decimal separator.
struct VectorPlotTarget {
  VectorCanvas& canvas;
  TextMeasurer& label;
  PlotMapping& mapping;
  FontSpec font;
  char decimal_separator = '.';
};

// Draws nothing at all while a page factor is missing: a client area of
// zero (no layout yet) or a page side of 0 or below has no scale factors.
void DrawVectorPlot(const document::GraphDocument& doc, VectorPlotTarget& target);

// About as many canvas operations as DrawVectorPlot makes for the document,
// for a canvas that keeps them to reserve its room at once.
size_t EstimatedOperations(const document::GraphDocument& doc);

// DrawVectorPlot onto a fresh recording, ready to be played onto any output.
VectorRecording RecordVectorPlot(const document::GraphDocument& doc, TextMeasurer& label,
                                 const FontSpec& window_font, char decimal_separator = '.');

// The same onto the caller's recording, which keeps what was drawn before a
// failure (no memory for a long trace): a command that uses a partial
// drawing catches the failure and plays what is there.
void RecordVectorPlot(const document::GraphDocument& doc, TextMeasurer& label,
                      const FontSpec& window_font, char decimal_separator,
                      VectorRecording& recording);

}  // namespace korvelin::render
