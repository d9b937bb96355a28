#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "RecordingCanvas.h"
#include "render/MouseZoom.h"
#include "render/ScreenPlot.h"

namespace korvelin::render {
namespace {

using document::GraphDocument;
using document::RealRect;
using document::TRealRect;
using testing::FixedTextMeasurer;
using testing::RecordingPictureCanvas;

// The window's worked layout: default range, plot (60, 14, 612, 448).
std::unique_ptr<GraphDocument> Window() {
  auto doc = std::make_unique<GraphDocument>();
  doc->PlotRect = {60, 14, 612, 448};
  doc->ClientSize = {640, 480};
  return doc;
}

TEST(MouseZoom, ReadsTheDataUnderThePointer) {
  auto doc = Window();
  MouseState mouse;
  RecordingPictureCanvas picture(640, 480);
  EXPECT_EQ(CoordinateText(mouse, '.'), "(0.00,0)") << "before any move";
  ImageMouseMove(mouse, *doc, picture, 336, 231);
  EXPECT_EQ(mouse.MouseDataX, 5);
  EXPECT_EQ(mouse.MouseDataY, 5);
  EXPECT_EQ(ReadoutCaption(mouse, '.'), "KORVELIN( 5.00, 5 )");
  EXPECT_EQ(CoordinateText(mouse, ','), "(5,00,5)");
  EXPECT_TRUE(picture.calls.empty()) << "a move without a button draws nothing";
}

// With a wavelength, x read as 2-theta gives d = lambda / (2 sin theta) and
// Q = 4 pi sin theta / lambda after the readout: Cu K-alpha at 30 degrees.
TEST(MouseZoom, TheReadoutAddsDSpacingAndQForAWavelength) {
  MouseState mouse;
  mouse.MouseDataX = 30;
  mouse.MouseDataY = 1234;
  EXPECT_EQ(ReadoutCaption(mouse, '.', 1.5406),
            "KORVELIN( 30.00, 1234 )  d 2.9762 \u00C5  Q 2.1111 \u00C5\u207B\u00B9");
  EXPECT_EQ(CoordinateText(mouse, ',', 1.5406),
            "(30,00,1234)  d 2,9762 \u00C5  Q 2,1111 \u00C5\u207B\u00B9");
  EXPECT_EQ(ReadoutCaption(mouse, '.', 0), "KORVELIN( 30.00, 1234 )") << "no wavelength";
  // Five significant digits, trailing zeros kept, wherever the value lies.
  EXPECT_EQ(SpacingText(60, 2, '.'), "  d 2.0000 \u00C5  Q 3.1416 \u00C5\u207B\u00B9");
  EXPECT_EQ(SpacingText(0.001, 1.5406, '.'), "  d 88270 \u00C5  Q 7.1182e-05 \u00C5\u207B\u00B9");
  for (const double two_theta : {0.0, -10.0, double{NAN}, double{INFINITY}}) {
    EXPECT_EQ(SpacingText(two_theta, 1.5406, '.'), "") << two_theta;
  }
  EXPECT_EQ(SpacingText(30, NAN, '.'), "");
  EXPECT_EQ(SpacingText(30, -1, '.'), "");
}

TEST(MouseZoom, TheBandIsDrawnTwiceInExclusiveOrAndTheReleaseZooms) {
  auto doc = Window();
  MouseState mouse;
  RecordingPictureCanvas picture(640, 480);
  ImageMouseDown(mouse, MouseButton::Left, 115, 100);
  ImageMouseMove(mouse, *doc, picture, 200, 150);
  ImageMouseMove(mouse, *doc, picture, 226, 231);
  const std::vector<std::string> band = {"SetBrushStyle 1", "SetPenColor 8355711", "SetPenMode Xor",
                                         "Rectangle 115 100 115 100", "Rectangle 115 100 200 150"};
  ASSERT_EQ(picture.calls.size(), 10u);
  EXPECT_EQ(std::vector<std::string>(picture.calls.begin(), picture.calls.begin() + 5), band);
  EXPECT_EQ(picture.calls[8], "Rectangle 115 100 200 150") << "the old band is erased";
  EXPECT_EQ(picture.calls[9], "Rectangle 115 100 226 231");

  EXPECT_EQ(ImageMouseUp(mouse, *doc, MouseButton::Left, 226, 231), MouseRelease::Zoomed);
  EXPECT_FALSE(mouse.Dragging);
  // Pixel 115 is x = 1 and 226 is x = 3 on a 55.2-pixel unit; rows 100 and
  // 231 are y = 8.018... and 5 on a 43.4-pixel unit.
  EXPECT_DOUBLE_EQ(doc->AxisRange.Left, 55.0 / 55.2);
  EXPECT_DOUBLE_EQ(doc->AxisRange.Right, 166.0 / 55.2);
  EXPECT_DOUBLE_EQ(doc->AxisRange.Top, 10 - 86.0 / 43.4);
  EXPECT_DOUBLE_EQ(doc->AxisRange.Bottom, 5);
  EXPECT_EQ(doc->AxisHistory[0], RealRect(0, 10, 10, 0));
}

TEST(MouseZoom, ClicksRightButtonsAndTheMiddleButtonRule) {
  auto doc = Window();
  MouseState mouse;
  // A click without movement changes nothing.
  ImageMouseDown(mouse, MouseButton::Left, 300, 200);
  EXPECT_EQ(ImageMouseUp(mouse, *doc, MouseButton::Left, 300, 200), MouseRelease::Nothing);
  EXPECT_EQ(doc->AxisRange, RealRect(0, 10, 10, 0));
  // A right click without zoom keeps the range and asks for a redraw.
  EXPECT_EQ(ImageMouseUp(mouse, *doc, MouseButton::Right, 10, 10), MouseRelease::Undone);
  EXPECT_EQ(doc->AxisRange, RealRect(0, 10, 10, 0));
  // The middle button released elsewhere zooms from the last left press...
  EXPECT_EQ(ImageMouseUp(mouse, *doc, MouseButton::Middle, 336, 231), MouseRelease::Zoomed);
  EXPECT_EQ(doc->AxisHistory[0], RealRect(0, 10, 10, 0));
  // ...and at that same pixel changes nothing.
  const TRealRect zoomed = doc->AxisRange;
  EXPECT_EQ(ImageMouseUp(mouse, *doc, MouseButton::Middle, 300, 200), MouseRelease::Nothing);
  EXPECT_EQ(doc->AxisRange, zoomed);
  // Before any left press the middle button zooms from (0, 0).
  auto fresh = Window();
  MouseState untouched;
  EXPECT_EQ(ImageMouseUp(untouched, *fresh, MouseButton::Middle, 336, 231), MouseRelease::Zoomed);
  EXPECT_DOUBLE_EQ(fresh->AxisRange.Left, -60 / 55.2);
  // The right button ends a drag and undoes.
  ImageMouseDown(mouse, MouseButton::Left, 100, 100);
  EXPECT_EQ(ImageMouseUp(mouse, *doc, MouseButton::Right, 300, 300), MouseRelease::Undone);
  EXPECT_FALSE(mouse.Dragging);
  EXPECT_EQ(doc->AxisRange, RealRect(0, 10, 10, 0));
}

// Drags far from zero: each zoom narrows the range until its numbers can no
// longer tell the pixels apart; then zooms are refused. Every redraw on the
// way has finite ticks and ends, and the readout stays a number.
TEST(MouseZoom, DeepZoomFarFromZeroStaysFiniteAndEnds) {
  auto doc = Window();
  doc->AxisRange = RealRect(1e10, 1e10 + 10, 1e10 + 10, 1e10);
  doc->AxisHistory = document::FilledHistory(doc->AxisRange);
  RasterImage raster;
  NewRasterImage(raster, 552, 434);
  FixedTextMeasurer label;
  PlotMapping mapping;
  MouseState mouse;
  int zooms = 0;
  for (int drag = 0; drag < 60; ++drag) {
    RecordingPictureCanvas picture(640, 480);
    ImageMouseDown(mouse, MouseButton::Left, 100, 50);
    ImageMouseMove(mouse, *doc, picture, 500, 400);
    ASSERT_TRUE(std::isfinite(mouse.MouseDataX) && std::isfinite(mouse.MouseDataY));
    if (ImageMouseUp(mouse, *doc, MouseButton::Left, 500, 400) == MouseRelease::Zoomed) ++zooms;
    ScreenPlotTarget target{raster, picture, label, mapping, FontSpec{}, '.'};
    DrawScreenPlot(*doc, target);
    EXPECT_LT(picture.texts.size(), 200u);
    ASSERT_GT(doc->AxisRange.Right - doc->AxisRange.Left, 0);
    EXPECT_EQ(ReadoutCaption(mouse, '.').find("NAN"), std::string::npos);
  }
  EXPECT_GT(zooms, 3);
  EXPECT_LT(zooms, 60) << "zooms stop where the doubles run out";
  EXPECT_GE(doc->AxisRange.Right - doc->AxisRange.Left, std::ldexp(1e10, -40));
}

}  // namespace
}  // namespace korvelin::render
