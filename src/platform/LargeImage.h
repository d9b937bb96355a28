#pragma once
// A QImage whose pixels live in a render::LargeBlock: zeroed memory on
// 2 MiB pages, given back to the system when the last copy of the image
// goes. Used for the window's picture and its palette copy, which are
// allocated anew on every layout and every export.

#include <QImage>

namespace korvelin::platform {

// A width x height image of format (Format_RGB32 or Format_Indexed8), all
// pixels zero; a null image when a side is not positive.
QImage NewLargeImage(int width, int height, QImage::Format format);

}  // namespace korvelin::platform
