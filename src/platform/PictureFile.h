#pragma once
// Writes the window's picture to a PNG or BMP file. The plot has few
// colours (white, black, the trace colours and the grey steps of the
// smoothed axis numbers), so a picture of at most 256 colours is written
// as an exact 8-bit palette image: a quarter of the pixel bytes, which makes
// the PNG's compression several times cheaper. Pictures with more colours
// are written as they are. Which file the picture goes to is the caller's.

#include <QImage>
#include <optional>
#include <string>

#include "platform/AtomicFile.h"

namespace korvelin::platform {

enum class PictureFormat { Png, Bmp };

// The format named by the file's extension, case-insensitively (".png",
// ".bmp"); none for anything else.
std::optional<PictureFormat> PictureFormatOf(const std::string& path);

// The picture as an 8-bit palette image with exactly its own colours, in the
// order they first occur row by row; none when it holds more than 256.
std::optional<QImage> ToExactIndexed8(const QImage& picture);

// Writes picture in the format of path's extension, atomically: the file is
// the old one or the whole new picture. Returns an empty string on success,
// otherwise the reason it could not be written.
std::string WritePictureFile(const QImage& picture, const std::string& path,
                             FileCalls& calls = SystemFileCalls());

}  // namespace korvelin::platform
