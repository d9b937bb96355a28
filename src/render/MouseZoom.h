#pragma once
// The mouse over the window's picture: the coordinate readout of every
// pointer move, the rubber band drawn in exclusive-or while the left button
// is held, and the zoom or axis undo when a button is released. Positions
// are picture pixels, which are client pixels. Turning toolkit events into
// these calls, showing the caption and repainting are the window's.

#include <cstdint>
#include <string>

#include "document/GraphDocument.h"
#include "render/Canvas.h"

namespace korvelin::render {

enum class MouseButton { Left, Right, Middle, Other };

// The mouse state of the window, all zero at start.
struct MouseState {
  bool Dragging = false;
  // Left, Top: where the left button went down; Right, Bottom: the corner
  // of the band drawn last.
  document::PixelRect DragRect{};
  int32_t LastMouseX = 0;
  int32_t LastMouseY = 0;
  double MouseDataX = 0;
  double MouseDataY = 0;
};

// The band's pen: grey 127, exclusive-ored, one pixel wide.
inline constexpr uint32_t kBandColour = 0x7F7F7F;

// A left press starts a drag at (x, y); other buttons do nothing.
void ImageMouseDown(MouseState& state, MouseButton button, int32_t x, int32_t y);

// Records the position and its data coordinates; while dragging, erases the
// band drawn last and draws the one to (x, y), both in exclusive-or.
void ImageMouseMove(MouseState& state, const document::GraphDocument& doc, PictureCanvas& picture,
                    int32_t x, int32_t y);

enum class MouseRelease { Nothing, Zoomed, Undone };

// Ends any drag. The right button steps the axis range back; the left and
// middle buttons zoom to the rectangle from (DragRect.Left, DragRect.Top)
// to (x, y), which for the middle button is the last left press. The caller
// redraws unless Nothing is returned.
MouseRelease ImageMouseUp(MouseState& state, document::GraphDocument& doc, MouseButton button,
                          int32_t x, int32_t y);

// "KORVELIN( 5.00, 5 )": the caption after a move, x with 4 significant
// digits and 2 decimals, y with 5 and none. With a wavelength (angstrom,
// above 0) x is read as 2-theta in degrees and the d-spacing and Q follow,
// each with 5 significant digits: "KORVELIN( 30.00, 1234 )  d 2.9762 Å  Q
// 2.1111 Å⁻¹"; nothing follows where theta is not above 0 or a value is
// not finite.
std::string ReadoutCaption(const MouseState& state, char decimal_separator, double wavelength = 0);
// "(5.00,5)": what Copy Coordinate puts on the clipboard, with the same
// d-spacing and Q after it as the caption.
std::string CoordinateText(const MouseState& state, char decimal_separator, double wavelength = 0);

// "  d 2.9762 Å  Q 2.1111 Å⁻¹" for 2-theta in degrees and the wavelength in
// angstrom, or the empty text where there is nothing to add.
std::string SpacingText(double two_theta, double wavelength, char decimal_separator);

}  // namespace korvelin::render
