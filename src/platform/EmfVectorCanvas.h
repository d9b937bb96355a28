#pragma once
// The vector plot as an enhanced metafile, written through libEMF (the
// Windows drawing calls on Linux). The records carry the drawing space
// itself, 0 .. width x 0 .. height, and the page mapping (MM_ANISOTROPIC,
// window extent = the drawing space, viewport extent = the header's frame)
// makes that space fill a frame of width x height hundredths of a
// millimetre. Where the bytes go, a file or the clipboard, is the caller's.

#include <QByteArray>

#include "render/VectorRecording.h"

namespace korvelin::platform {

// The metafile of the recording on a page of width x height hundredths of a
// millimetre; VectorPageStatus's failure for a page no container holds,
// kVectorNotMade when the bytes could not be made (no memory). Needs the
// application's font database for the character spacing of the texts.
document::Result<QByteArray> EmfBytes(const render::VectorRecording& recording, int width,
                                      int height);

}  // namespace korvelin::platform
