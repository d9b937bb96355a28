#pragma once
// The graph as the clipboard gets it: one set of formats per copy, so that
// whatever program pastes finds the one it reads best. Copy Bitmap offers
// the window's picture as PNG and BMP; Copy Metafile the vector plot as an
// enhanced metafile (which office suites paste as an editable drawing) and
// SVG (which drawing programs paste). Each set is built whole before it is
// handed out, so a format that cannot be made leaves the clipboard as it
// was. Drawing the recording and putting the set on the
// clipboard are the caller's.

#include <QImage>
#include <QMimeData>
#include <memory>
#include <string>

#include "document/Status.h"
#include "render/VectorRecording.h"
#include "ui/OutputFormats.h"

namespace korvelin::ui {

// The whole set of formats for the clipboard, or why it could not be made.
using ClipboardCopy = document::Result<std::unique_ptr<QMimeData>>;

// image/png and image/bmp of the picture; the PNG says dots_per_inch, 96
// times the ratio of the screen the picture was made for.
ClipboardCopy BitmapCopy(const QImage& picture, double dots_per_inch = 96);

// The recording on a page of width x height hundredths of a millimetre as
// the EMF and image/svg+xml. A page VectorPageStatus refuses is a
// failure with its reason.
ClipboardCopy MetafileCopy(const render::VectorRecording& recording, int width, int height);

}  // namespace korvelin::ui
