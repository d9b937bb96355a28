#pragma once
// Writes the window's picture to a PNG or BMP file, or makes the bytes of
// one for the clipboard. The plot has few colours (white, black, the trace
// colours and the grey steps of the smoothed axis numbers), so a picture of
// at most 256 colours is written as an exact 8-bit palette image: a quarter
// of the pixel bytes, which makes the PNG's compression several times
// cheaper. Pictures with more colours are written as they are. The files'
// headers and chunks are src/codec's; where the picture goes is the caller's.

#include <QByteArray>
#include <QImage>
#include <optional>
#include <string>

#include "platform/AtomicFile.h"
#include "platform/PngWriter.h"

namespace korvelin::platform {

enum class PictureFormat { Png, Bmp };

// The picture as an 8-bit palette image with exactly its own colours, in the
// order they first occur row by row; none when it holds more than 256.
std::optional<QImage> ToExactIndexed8(const QImage& picture);

// The image a picture is written as: its exact palette image when it has at
// most 256 colours, else the picture itself. Made once, it serves every
// format a picture goes out in.
QImage PictureToWrite(const QImage& picture);

// The bytes of a file of image in format, as WritePictureFile writes them,
// or kNotEncoded for an empty image or when the encoder fails.
// A PNG says it holds dots_per_inch pixels to the inch (96 at ratio 1, 192
// for a picture of a screen of ratio 2), so it is placed at the window's size.
document::Result<QByteArray> PictureBytes(const QImage& image, PictureFormat format,
                                          double dots_per_inch = kScreenDotsPerInch);

// Writes picture in the format, whatever the name's extension, atomically:
// the file is the old one or the whole new picture; a failure gives the
// reason it could not be written. Which format a name asks for is the output
// formats' table's business.
document::Status WritePictureFile(const QImage& picture, const std::string& path,
                                  PictureFormat format, FileCalls& calls = SystemFileCalls(),
                                  double dots_per_inch = kScreenDotsPerInch);

}  // namespace korvelin::platform
