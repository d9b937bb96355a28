#pragma once
// Copies the 8-bit raster surface onto the window's picture. The surface's
// block is a BMP image with its rows stored bottom-up; it is seen through a
// read-only indexed QImage over the block itself, and each picture row takes
// its colours from the surface row that is drawn at that height, so the
// pixels are copied exactly once per redraw and nothing is converted twice.

#include <QImage>

#include "render/RasterImage.h"

namespace korvelin::platform {

// An indexed view of the surface: no copy, valid while the surface's block
// lives. Scan line 0 is the BOTTOM row of the drawing (the BMP order), and
// the colour table holds the 256 palette entries, each made opaque.
QImage WrapRasterImage(const render::RasterImage& raster);

// One-to-one copy of the surface onto picture with its top-left pixel at
// (x, y). The parts that fall outside the picture are left out: a plot of
// at least 64 x 64 pixels can reach past a picture that is smaller. picture
// must be Format_RGB32 or Format_ARGB32.
void BlitRasterImage(QImage& picture, int x, int y, const render::RasterImage& raster);

}  // namespace korvelin::platform
