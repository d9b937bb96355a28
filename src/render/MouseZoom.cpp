#include "render/MouseZoom.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>

#include "document/AxisHistory.h"
#include "document/TextNumbers.h"
#include "render/PlotMapping.h"

namespace korvelin::render {

void ImageMouseDown(MouseState& state, MouseButton button, int32_t x, int32_t y) {
  if (button != MouseButton::Left) return;
  state.Dragging = true;
  state.DragRect = {x, y, x, y};
}

void ImageMouseMove(MouseState& state, const document::GraphDocument& doc, PictureCanvas& picture,
                    int32_t x, int32_t y) {
  state.LastMouseX = x;
  state.LastMouseY = y;
  PixelToShownData(x, y, doc, state.MouseDataX, state.MouseDataY);
  if (!state.Dragging) return;
  picture.SetBrushStyle(BrushStyle::Clear);
  picture.SetPenColor(kBandColour);
  picture.SetPenMode(PenMode::Xor);
  document::PixelRect& band = state.DragRect;
  picture.Rectangle(band.Left, band.Top, band.Right, band.Bottom);
  band.Right = x;
  band.Bottom = y;
  picture.Rectangle(band.Left, band.Top, band.Right, band.Bottom);
}

MouseRelease ImageMouseUp(MouseState& state, document::GraphDocument& doc, MouseButton button,
                          int32_t x, int32_t y) {
  state.Dragging = false;
  if (button == MouseButton::Other) return MouseRelease::Nothing;
  if (button == MouseButton::Right) {
    document::UndoAxis(doc);
    return MouseRelease::Undone;
  }
  double x0 = 0, y0 = 0, x1 = 0, y1 = 0;
  PixelToShownData(state.DragRect.Left, state.DragRect.Top, doc, x0, y0);
  PixelToShownData(x, y, doc, x1, y1);
  // A click without movement, a flat band or one too narrow for its numbers
  // leaves range and history alone, and the band stays until the next redraw.
  return document::ZoomAxis(doc, x0, y0, x1, y1) ? MouseRelease::Zoomed : MouseRelease::Nothing;
}

namespace {

// The two numbers of the readout, x with 4 significant digits and 2
// decimals, y with 5 and none, between the given texts. Appended piece by
// piece rather than with operator+, which GCC 12 warns about wrongly when a
// literal comes first.
std::string Readout(const MouseState& state, char decimal_separator, const char* before,
                    const char* between, const char* after) {
  std::string text = before;
  text += document::FormatReadout(state.MouseDataX, 4, 2, decimal_separator);
  text += between;
  text += document::FormatReadout(state.MouseDataY, 5, 0, decimal_separator);
  text += after;
  return text;
}

// value with 5 significant digits, trailing zeros kept: 2.9762, 3.0000,
// 12.500, 0.052360, 1.2346e+05 beyond fixed notation's reach.
std::string FiveDigits(double value, char decimal_separator) {
  char buffer[64];
  auto written =
      std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific, 4);
  const std::string scientific(buffer, written.ptr);
  const int exponent = std::atoi(scientific.c_str() + scientific.find('e') + 1);
  std::string text = scientific;
  if (exponent >= -4 && exponent < 5) {
    written = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed,
                            4 - exponent);
    text.assign(buffer, written.ptr);
  }
  std::replace(text.begin(), text.end(), '.', decimal_separator);
  return text;
}

}  // namespace

std::string ReadoutCaption(const MouseState& state, char decimal_separator, double wavelength) {
  return Readout(state, decimal_separator, "KORVELIN( ", ", ", " )") +
         SpacingText(state.MouseDataX, wavelength, decimal_separator);
}

std::string CoordinateText(const MouseState& state, char decimal_separator, double wavelength) {
  return Readout(state, decimal_separator, "(", ",", ")") +
         SpacingText(state.MouseDataX, wavelength, decimal_separator);
}

std::string SpacingText(double two_theta, double wavelength, char decimal_separator) {
  constexpr double kPi = 3.14159265358979323846;
  const double sine = std::sin(two_theta * kPi / 360);
  const double d = wavelength / (2 * sine);
  const double q = 4 * kPi * sine / wavelength;
  if (!(wavelength > 0) || !(two_theta > 0) || !(sine > 0) || !std::isfinite(d) ||
      !std::isfinite(q)) {
    return {};
  }
  std::string text = "  d ";
  text += FiveDigits(d, decimal_separator);
  text += " \u00C5  Q ";
  text += FiveDigits(q, decimal_separator);
  text += " \u00C5\u207B\u00B9";
  return text;
}

}  // namespace korvelin::render
