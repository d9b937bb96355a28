// What each copy offers the clipboard. Copy Metafile offers the metafile
// for office suites and SVG for drawing programs, and neither a PDF nor a
// picture, which office suites would take over the metafile; Copy Bitmap
// offers the picture.

#include <gtest/gtest.h>

#include <QImage>

#include "PixelsOf.h"
#include "VectorPage.h"
#include "ui/ClipboardFormats.h"

namespace korvelin::ui {
namespace {

QImage Picture() {
  QImage picture(40, 30, QImage::Format_RGB32);
  picture.fill(Qt::white);
  for (int x = 0; x < 40; ++x) picture.setPixel(x, x * 3 / 4, qRgb(0, 0, 255));
  return picture;
}

TEST(MetafileCopy, OffersTheMetafileAndSvgButNoPdfNorPicture) {
  document::GraphDocument doc;
  testing::SetUpPage(doc);
  const ClipboardCopy copy = MetafileCopy(testing::RecordPage(doc), 29700, 21000);
  ASSERT_TRUE(copy.ok()) << copy.reason();
  const QMimeData& data = *copy.value();
  EXPECT_EQ(data.formats(), (QStringList{kEmfMimeType, "image/svg+xml"}));
  EXPECT_FALSE(data.hasFormat("application/pdf"));
  EXPECT_FALSE(data.hasImage());
  // An enhanced metafile starts with its header record (type 1) and names
  // itself " EMF" at byte 40.
  const QByteArray emf = data.data(kEmfMimeType);
  ASSERT_GT(emf.size(), 44);
  EXPECT_EQ(emf[0], '\x01');
  EXPECT_EQ(emf.mid(40, 4), QByteArray(" EMF"));
  EXPECT_TRUE(data.data("image/svg+xml").startsWith("<?xml"));

  const ClipboardCopy no_page = MetafileCopy(testing::RecordPage(doc), 0, 21000);
  EXPECT_FALSE(no_page.ok());
  EXPECT_EQ(no_page.value(), nullptr);
  EXPECT_EQ(no_page.reason(), render::VectorPageStatus(0, 21000).reason());
}

TEST(BitmapCopy, OffersPngAndBmpOfTheSamePicture) {
  EXPECT_EQ(BitmapCopy(QImage()).reason(), "The window has no picture to copy");
  const ClipboardCopy copy = BitmapCopy(Picture());
  ASSERT_TRUE(copy.ok()) << copy.reason();
  EXPECT_EQ(copy.value()->formats(), (QStringList{"image/png", "image/bmp"}));
  for (const char* format : {"png", "bmp"}) {
    const QByteArray bytes = copy.value()->data(QString("image/") + format);
    EXPECT_EQ(testing::PixelsOf(QImage::fromData(bytes, format)), Picture()) << format;
  }
}

}  // namespace
}  // namespace korvelin::ui
