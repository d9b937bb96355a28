#pragma once
// The window's layout arithmetic: from the client area's size, the measured
// size of the reference text "-000000" and the display settings to the
// margins and the plot area `PlotRect`. The window and every headless mode
// lay out through it, so a picture made without a window has the window's
// layout exactly. Measuring the text is the caller's.

#include <cstdint>

#include "document/GraphDocument.h"
#include "render/AxisScale.h"
#include "render/Canvas.h"

namespace korvelin::render {

// The text whose size in the window's font sets the automatic margins is
// kReferenceText, the one that sets the smallest tick spacing.

// The plot is at least 64 x 64 pixels however small the client area is, and
// at most 16384 a side: margins typed into the dialog can be any 32-bit
// number, and beyond that the surface could not be allocated.
inline constexpr int64_t kMinPlotSide = 64;
inline constexpr int64_t kMaxPlotSide = 16384;
// Margins are held to +-2^20 pixels so that no plot edge can overflow.
inline constexpr int64_t kMaxMargin = int64_t{1} << 20;

// Margins and plot rectangle for a client area of `client` pixels. With
// ScaleOn, margins come from the reference text's size w x h: L = w +
// DistanceY, T = 3h / 4, R = w / 2, B = 3h / 2 + DistanceX (56 x 19 gives
// 60, 14, 28, 32); without it 8 on every side; MarginOn wins over both. The
// width is rounded down to a multiple of 4 so surface rows are whole words.
document::PixelRect ComputePlotRect(document::PixelSize client, TextSize reference,
                                    const document::DisplaySettings& settings);

// The largest picture the window draws: sides up to 16384 as --size allows,
// and no more than 2^25 pixels (8192 x 4096, more than an 8K screen's 33.2
// million), so a window stretched over several screens stays responsive. A
// larger client area keeps its proportions and shows the picture at its
// top-left corner.
inline constexpr int64_t kMaxWindowPictureSide = 16384;
// The window's client area is held to this many device pixels a side, wider
// than an 8K screen: the window's own backing store grows with it at four
// bytes a pixel (a 32767-pixel square would take 4.3 GB), 268 MB at most.
inline constexpr int kMaxWindowDeviceSide = 8192;
inline constexpr int64_t kMaxWindowPicturePixels = int64_t{1} << 25;
document::PixelSize BoundWindowPicture(document::PixelSize client);

}  // namespace korvelin::render
