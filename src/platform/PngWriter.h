#pragma once
// PNG bytes of a picture, made in memory. The plot is mostly long runs of
// the background, so the rows are compressed as runs (RunDeflate): as small
// as a general compressor's fastest run-length setting makes them, and
// several times faster. An 8-bit palette image is stored with its palette
// and its rows as they are; any other image of at most 256 colours as the
// same palette image would be (its colours in the order they first occur
// row by row), found as it is compressed; an image of more colours as
// 24-bit colour, each row against the pixel on its left. The file says its
// resolution and that its colours are sRGB, so an office program or a
// typesetter places a 640 x 480 picture at 96 dpi as 169.3 x 127 mm, the
// size it had on the reference screen. The chunks around the rows are
// codec/PngChunks'; where the bytes go is the caller's.

#include <QByteArray>
#include <QImage>

#include "codec/PngChunks.h"
#include "document/Status.h"

namespace korvelin::platform {

using codec::kScreenDotsPerInch;

// The reason a picture's file could not be made, for every picture format.
inline constexpr char kNotEncoded[] = "the picture could not be encoded";

// The PNG file of image at dots_per_inch, or kNotEncoded when it cannot be
// made (a null image, or no memory). Nothing is printed: failures are the
// caller's to say. A picture drawn F times as large keeps its size on paper
// at F x 96 dots per inch.
document::Result<QByteArray> EncodePng(const QImage& image,
                                       double dots_per_inch = kScreenDotsPerInch);

}  // namespace korvelin::platform
