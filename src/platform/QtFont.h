#pragma once
// Turns the core's description of a font (face, character height in pixels,
// bold, italic) into a Qt font. Which installed face stands in for a missing
// one is left to fontconfig: "Times New Roman" resolves to its metric twin
// Liberation Serif on a Debian desktop.

#include <QFont>

#include "render/Canvas.h"

namespace korvelin::platform {

// The character height is the pixel size of the em, as the window's font
// "Times New Roman" with height -16 asks for 16 pixels whatever the screen's
// dots per inch.
QFont ToQFont(const render::FontSpec& font_spec);

}  // namespace korvelin::platform
