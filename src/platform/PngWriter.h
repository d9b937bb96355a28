#pragma once
// PNG bytes of a picture, made in memory with the PNG library itself. The
// plot is mostly long runs of white, so zlib's run-length strategy at its
// fastest level compresses it about as well as its default and several
// times faster. An 8-bit palette image is stored with its palette, any
// other image as 24-bit colour. Where the bytes go is the caller's.

#include <QByteArray>
#include <QImage>

namespace korvelin::platform {

// The PNG file of image, or empty bytes when it cannot be made (a null
// image, or no memory). Nothing is printed: failures are the caller's to say.
QByteArray EncodePng(const QImage& image);

}  // namespace korvelin::platform
