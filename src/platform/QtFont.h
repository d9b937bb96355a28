#pragma once
// Turns the core's description of a font (face, character height in pixels,
// bold, italic) into a Qt font and back. Which installed face stands in for
// a missing one is left to fontconfig: "Times New Roman" resolves to its
// metric twin Liberation Serif on a Debian desktop.

#include <QFont>

#include "render/Canvas.h"

namespace korvelin::platform {

// The character height is the pixel size of the em, as the window's font
// "Times New Roman" with height -16 asks for 16 pixels whatever the screen's
// dots per inch.
// `hinted` false draws the outlines as they are, as the toolkit itself does
// on screens of a ratio other than 1, where hinting would only distort them.
QFont ToQFont(const render::FontSpec& font_spec, bool hinted = true);

// The font a Qt font dialog hands back. Its size is in points unless it was
// given in pixels; points become pixels of the 96-dpi reference screen,
// rounded to the nearest: 12 points are 16 pixels, 10.5 points 14. The
// height is at least one pixel.
render::FontSpec FromQFont(const QFont& font);

// The font as a font dialog shows it: in points at 96 dpi, so that a
// 12-pixel font is listed as 9 points and choosing it again gives 12 pixels.
QFont ToDialogFont(const render::FontSpec& font_spec);

}  // namespace korvelin::platform
