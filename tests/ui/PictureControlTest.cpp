// The picture control's canvas and the copy of the raster surface onto it.

#include <gtest/gtest.h>

#include <QFontMetrics>

#include "platform/FontMeasurer.h"
#include "platform/PictureControl.h"
#include "platform/RasterBlit.h"
#include "render/RasterImage.h"
#include "render/RasterLine.h"

namespace korvelin::platform {
namespace {

constexpr QRgb kRed = 0xFFFF0000;

// A 8 x 4 surface: row 0 (the top) in palette 2 = red, column 7 in palette
// 3 = green, the rest palette 0 = white.
render::RasterImage MarkedSurface() {
  render::RasterImage raster;
  render::NewRasterImage(raster, 8, 4);
  render::SetPaletteEntry(raster, 0, 0xFFFFFF);
  render::SetPaletteEntry(raster, 2, 0xFF0000);
  render::SetPaletteEntry(raster, 3, 0x00FF00);
  render::DrawRasterLine(raster, 0, 0, 7, 0, 2);
  render::DrawRasterLine(raster, 7, 1, 7, 3, 3);
  return raster;
}

TEST(WrapRasterImage, ViewsTheBlockBottomUpWithAnOpaquePalette) {
  const render::RasterImage raster = MarkedSurface();
  const QImage view = WrapRasterImage(raster);
  ASSERT_EQ(view.format(), QImage::Format_Indexed8);
  EXPECT_EQ(view.size(), QSize(8, 4));
  EXPECT_EQ(view.constBits(), raster.Pixels());  // no copy
  EXPECT_EQ(view.constScanLine(3)[0], 2);        // the top row is the last scan line
  EXPECT_EQ(view.constScanLine(0)[0], 0);
  EXPECT_EQ(view.color(2), kRed);
  EXPECT_TRUE(WrapRasterImage(render::RasterImage{}).isNull());
}

TEST(BlitRasterImage, CopiesRowsTopDownAtTheGivenPlace) {
  const render::RasterImage raster = MarkedSurface();
  QImage picture(20, 10, QImage::Format_RGB32);
  picture.fill(Qt::blue);
  BlitRasterImage(picture, 5, 3, raster);
  for (int x = 5; x < 13; ++x) EXPECT_EQ(picture.pixel(x, 3), kRed) << x;
  EXPECT_EQ(picture.pixel(12, 4), 0xFF00FF00);
  EXPECT_EQ(picture.pixel(5, 6), 0xFFFFFFFF);
  EXPECT_EQ(picture.pixel(4, 3), QColor(Qt::blue).rgb());   // left of the surface
  EXPECT_EQ(picture.pixel(13, 3), QColor(Qt::blue).rgb());  // right of it
  EXPECT_EQ(picture.pixel(5, 7), QColor(Qt::blue).rgb());   // below it
}

TEST(BlitRasterImage, LeavesOutWhatFallsOffThePicture) {
  const render::RasterImage raster = MarkedSurface();
  QImage picture(6, 3, QImage::Format_RGB32);
  picture.fill(Qt::blue);
  BlitRasterImage(picture, -2, -1, raster);  // surface row 1 lands on picture row 0
  EXPECT_EQ(picture.pixel(5, 0), 0xFF00FF00);
  EXPECT_EQ(picture.pixel(0, 0), 0xFFFFFFFF);
  BlitRasterImage(picture, 4, 0, raster);
  EXPECT_EQ(picture.pixel(5, 0), kRed);
  for (QPoint far : {QPoint(100, 0), QPoint(0, 100), QPoint(-100, 0), QPoint(0, -100)}) {
    BlitRasterImage(picture, far.x(), far.y(), raster);
  }
  QImage empty;
  BlitRasterImage(empty, 0, 0, raster);
  EXPECT_TRUE(empty.isNull());
}

class CanvasTest : public ::testing::Test {
 protected:
  void SetUp() override { canvas_.NewPicture(120, 40); }
  // Pixels of area that are not background.
  int InkPixels(QRect area, QRgb background) const {
    return area.width() * area.height() - CountOf(area, background);
  }
  int CountOf(QRect area, QRgb colour) const {
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
      for (int x = area.left(); x <= area.right(); ++x) {
        if (canvas_.Picture().pixel(x, y) == colour) ++count;
      }
    }
    return count;
  }
  PictureBitmap canvas_;
};

TEST_F(CanvasTest, NewPictureIsWhiteAndEmptySizesAreSafe) {
  EXPECT_EQ(canvas_.Width(), 120);
  EXPECT_EQ(canvas_.Height(), 40);
  EXPECT_EQ(InkPixels(QRect(0, 0, 120, 40), 0xFFFFFFFF), 0);
  canvas_.NewPicture(0, 0);
  canvas_.FillRect(0, 0, 10, 10);
  canvas_.TextOut(0, 0, "-000000");
  canvas_.Rectangle(0, 0, 5, 5);
  EXPECT_EQ(canvas_.Width(), 0);
  canvas_.NewPicture(-3, 5);
  EXPECT_TRUE(canvas_.Picture().isNull());
}

TEST_F(CanvasTest, FillRectLeavesRightAndBottomEdgesOut) {
  canvas_.SetBrushColor(0xFF0000);
  canvas_.SetBrushStyle(render::BrushStyle::Solid);
  canvas_.FillRect(10, 5, 13, 7);
  EXPECT_EQ(InkPixels(QRect(0, 0, 120, 40), 0xFFFFFFFF), 6);
  EXPECT_EQ(canvas_.Picture().pixel(12, 6), kRed);
  EXPECT_EQ(canvas_.Picture().pixel(13, 6), 0xFFFFFFFF);
}

TEST_F(CanvasTest, TextLiesInsideTheBoxTheLabelMeasures) {
  FontMeasurer measurer;  // measures as the window's label does
  const render::FontSpec font;
  measurer.SetFont(font);
  const render::TextSize size = measurer.Measure("-000000");
  canvas_.SetFont(font);
  canvas_.SetBrushStyle(render::BrushStyle::Cross);
  canvas_.TextOut(30, 10, "-000000");
  const int inside = InkPixels(QRect(30, 10, size.width, size.height), 0xFFFFFFFF);
  EXPECT_GT(inside, 40);
  EXPECT_EQ(InkPixels(QRect(0, 0, 120, 40), 0xFFFFFFFF), inside);
}

TEST_F(CanvasTest, ClearBackgroundKeepsWhatLiesBehindTheText) {
  canvas_.Picture().fill(kRed);
  canvas_.SetFont(render::FontSpec{});
  canvas_.SetBrushColor(0xFFFFFF);
  canvas_.SetBrushStyle(render::BrushStyle::Cross);
  canvas_.TextOut(2, 2, "8");
  // Only the glyph's ink was drawn: no pixel took the brush's white.
  const QRect all(0, 0, 120, 40);
  const int ink = InkPixels(all, kRed);
  EXPECT_GT(ink, 10);
  EXPECT_LT(ink, 120);
  EXPECT_EQ(CountOf(all, 0xFFFFFFFF), 0);

  canvas_.SetBrushStyle(render::BrushStyle::Solid);
  canvas_.TextOut(60, 2, "8");
  // Now the text's box is filled with the brush's white around the ink.
  EXPECT_GT(CountOf(all, 0xFFFFFFFF), 50);
  EXPECT_EQ(canvas_.Picture().pixel(60, 3), 0xFFFFFFFF);
}

TEST_F(CanvasTest, XorRectangleTwiceRestoresThePicture) {
  canvas_.SetPenColor(0x7F7F7F);
  canvas_.SetPenMode(render::PenMode::Xor);
  canvas_.Rectangle(10, 10, 13, 12);
  // Columns 10..12 of rows 10 and 11: six pixels, each toggled once.
  EXPECT_EQ(InkPixels(QRect(0, 0, 120, 40), 0xFFFFFFFF), 6);
  EXPECT_EQ(canvas_.Picture().pixel(10, 10), 0xFF808080);
  canvas_.Rectangle(13, 12, 10, 10);  // the same band from its other corner
  EXPECT_EQ(InkPixels(QRect(0, 0, 120, 40), 0xFFFFFFFF), 0);

  canvas_.Rectangle(100, 30, 200, 90);  // reaches past the picture
  canvas_.Rectangle(100, 30, 200, 90);
  canvas_.Rectangle(5, 5, 5, 9);  // empty: no column
  EXPECT_EQ(InkPixels(QRect(0, 0, 120, 40), 0xFFFFFFFF), 0);

  canvas_.SetPenMode(render::PenMode::Copy);
  canvas_.SetPenColor(0xFF0000);
  canvas_.Rectangle(0, 0, 4, 4);
  EXPECT_EQ(InkPixels(QRect(0, 0, 120, 40), 0xFFFFFFFF), 12);
}

}  // namespace
}  // namespace korvelin::platform
