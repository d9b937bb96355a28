#pragma once
// PNG bytes of a picture, made in memory. The plot is mostly long runs of
// the background, so the rows are compressed as runs (RunDeflate): as small
// as a general compressor's fastest run-length setting makes them, and
// several times faster. An 8-bit palette image is stored with its palette
// and its rows as they are; any other image of at most 256 colours as the
// same palette image would be (its colours in the order they first occur
// row by row), found as it is compressed; an image of more colours as
// 24-bit colour, each row against the pixel on its left. Where the bytes go
// is the caller's.

#include <QByteArray>
#include <QImage>

namespace korvelin::platform {

// The PNG file of image, or empty bytes when it cannot be made (a null
// image, or no memory). Nothing is printed: failures are the caller's to say.
QByteArray EncodePng(const QImage& image);

}  // namespace korvelin::platform
