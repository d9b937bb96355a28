#include "render/PlotLayout.h"

#include <algorithm>
#include <cmath>

namespace korvelin::render {
namespace {

struct Margins {
  int64_t left = 8;
  int64_t top = 8;
  int64_t right = 8;
  int64_t bottom = 8;
};

// Room for the y numbers on the left, half a number on the right for the
// last x number, three quarters of a line on top for the top y number and
// one and a half lines below for the x numbers.
Margins ScaleMargins(TextSize text, const document::DisplaySettings& settings) {
  return {int64_t{text.width} + settings.DistanceY, (3 * int64_t{text.height}) / 4,
          int64_t{text.width} / 2, (3 * int64_t{text.height}) / 2 + settings.DistanceX};
}

int64_t ClampMargin(int64_t margin) { return std::clamp(margin, -kMaxMargin, kMaxMargin); }

// The plot width has its two lowest bits cleared: 85 becomes 84, and 60
// becomes 64 by the minimum.
int32_t PlotWidth(int64_t room) {
  return static_cast<int32_t>(std::clamp(room & ~int64_t{3}, kMinPlotSide, kMaxPlotSide));
}

int32_t PlotHeight(int64_t room) {
  return static_cast<int32_t>(std::clamp(room, kMinPlotSide, kMaxPlotSide));
}

}  // namespace

document::PixelRect ComputePlotRect(document::PixelSize client, TextSize reference,
                                    const document::DisplaySettings& settings) {
  Margins m;
  if (settings.ScaleOn) m = ScaleMargins(reference, settings);
  if (settings.MarginOn) {
    m = {settings.Margin.Left, settings.Margin.Top, settings.Margin.Right, settings.Margin.Bottom};
  }
  m = {ClampMargin(m.left), ClampMargin(m.top), ClampMargin(m.right), ClampMargin(m.bottom)};
  const int32_t width = PlotWidth(int64_t{client.Width} - m.left - m.right);
  const int32_t height = PlotHeight(int64_t{client.Height} - m.top - m.bottom);
  const auto left = static_cast<int32_t>(m.left);
  const auto top = static_cast<int32_t>(m.top);
  return {left, top, left + width, top + height};
}

document::PixelSize BoundWindowPicture(document::PixelSize client) {
  int64_t width = std::clamp<int64_t>(client.Width, 0, kMaxWindowPictureSide);
  int64_t height = std::clamp<int64_t>(client.Height, 0, kMaxWindowPictureSide);
  if (width * height > kMaxWindowPicturePixels) {
    const double shrink = std::sqrt(static_cast<double>(kMaxWindowPicturePixels) /
                                    static_cast<double>(width * height));
    width = static_cast<int64_t>(static_cast<double>(width) * shrink);
    height = std::min<int64_t>(static_cast<int64_t>(static_cast<double>(height) * shrink),
                               kMaxWindowPicturePixels / std::max<int64_t>(width, 1));
  }
  return {static_cast<int32_t>(width), static_cast<int32_t>(height)};
}

}  // namespace korvelin::render
