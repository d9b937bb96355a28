#pragma once
// A picture read back from the bytes the program writes, as its pixels
// alone. A PNG says its colours are sRGB, which the window's picture takes
// for granted, and Qt counts a colour space as part of an image's contents.

#include <QColorSpace>
#include <QImage>

namespace korvelin::testing {

inline QImage PixelsOf(QImage image) {
  image.setColorSpace(QColorSpace());
  return image.convertToFormat(QImage::Format_RGB32);
}

}  // namespace korvelin::testing
