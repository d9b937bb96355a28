#pragma once
// The vector plot as a PDF page of its own making: the recording played
// straight into PDF drawing operators, compressed with zlib at its fastest
// level. Lines are strokes with round caps and joins, as the plot's pens
// are; texts are real text in the faces PdfFonts embeds, so they can be
// selected and searched. The file carries no date, so one plot always makes
// the same bytes. The file's frame (objects, table, trailer) is
// codec/PdfFile's; where the bytes go is the caller's.

#include <QByteArray>
#include <functional>

#include "render/Canvas.h"
#include "render/VectorRecording.h"

namespace korvelin::platform {

// One page of width x height hundredths of a millimetre whose drawing space
// is those units, y downwards. VectorPageStatus's failure for a page no
// container holds, kVectorNotMade when the page's drawing cannot be
// compressed.
document::Result<QByteArray> PdfBytes(const render::VectorRecording& recording, int width,
                                      int height);

// The same page from a drawing made straight onto its operators, so a
// plot drawn for the PDF alone needs no recording in between: a trace of
// half a million points is not stored twice. operations is about how many
// calls the drawing makes.
document::Result<QByteArray> PdfBytes(const std::function<void(render::VectorCanvas&)>& draw,
                                      size_t operations, int width, int height);

}  // namespace korvelin::platform
