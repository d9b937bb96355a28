#pragma once
// Draws one trace (a y wave against an x wave) as lines and/or markers, into
// the raster surface for the screen or onto a vector canvas for print and
// metafiles. Both read the mapping set up by the caller for this redraw.

#include <cstdint>

#include "document/GraphDocument.h"
#include "render/Canvas.h"
#include "render/PlotMapping.h"
#include "render/RasterImage.h"

namespace korvelin::render {

// Lines when mode is even; markers when bit 2 of mode + 1 is set.
bool ModeDrawsLines(int32_t mode);
bool ModeDrawsMarkers(int32_t mode);

// Raster palette entry of the traces whose y wave has this index.
int PaletteIndexForWave(int32_t y_wave);

void DrawRasterTrace(RasterImage& image, const document::GraphDocument& doc,
                     const PlotMapping& mapping, int32_t y_wave, int32_t x_wave);

void DrawVectorTrace(VectorCanvas& canvas, const document::GraphDocument& doc,
                     const PlotMapping& mapping, int32_t y_wave, int32_t x_wave);

}  // namespace korvelin::render
