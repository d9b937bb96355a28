// The metafile read back record by record, as any reader of the format
// would: header, page mapping, pens, strokes and texts at their numbers.

#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "EmfRecords.h"
#include "VectorPage.h"
#include "platform/EmfVectorCanvas.h"

namespace korvelin::platform {
namespace {

using korvelin::testing::Drawing;
using korvelin::testing::OfType;
using korvelin::testing::ReadRecords;
using korvelin::testing::Record;
namespace emf = korvelin::testing::emf;

TEST(EmfBytes, WorkedExampleAsTheFormatsRecords) {
  document::GraphDocument doc;
  testing::SetUpPage(doc);
  const QByteArray file = EmfBytes(testing::RecordPage(doc), 29700, 21000).value();
  const std::vector<Record> records = ReadRecords(file);
  ASSERT_GE(records.size(), 3u);
  const Record& header = records.front();
  ASSERT_EQ(header.type, emf::kHeader);
  EXPECT_EQ(header.At(40), 0x464D4520);  // " EMF"
  EXPECT_EQ(header.At(48), file.size());
  EXPECT_EQ(static_cast<size_t>(header.At(52)), records.size());
  EXPECT_EQ(records.back().type, emf::kEof);
  // The frame in hundredths of a millimetre, the window extent the drawing
  // space and the viewport the frame in the header's device pixels.
  EXPECT_EQ(header.data.mid(24, 16), QByteArray::fromHex("00000000000000000474000008520000"));
  EXPECT_EQ(OfType(records, emf::kSetMapMode).at(0).At(8), 8);  // MM_ANISOTROPIC
  const Record window = OfType(records, emf::kSetWindowExt).at(0);
  EXPECT_EQ(std::make_pair(window.At(8), window.At(12)), std::make_pair(29700, 21000));
  const Record viewport = OfType(records, emf::kSetViewportExt).at(0);
  EXPECT_EQ(std::make_pair(viewport.At(8), viewport.At(12)), std::make_pair(950, 672));
  EXPECT_EQ(viewport.data.mid(8, 8), header.data.mid(16, 8));     // rclBounds
  EXPECT_EQ(OfType(records, emf::kSetTextAlign).at(0).At(8), 0);  // TA_TOP | TA_LEFT
  EXPECT_EQ(OfType(records, emf::kSetBkMode).at(0).At(8), 1);     // TRANSPARENT
  // No rectangle, clip or any other record beside these.
  const std::set<uint32_t> allowed = {emf::kHeader,       emf::kSetWindowExt, emf::kSetViewportExt,
                                      emf::kEof,          emf::kSetMapMode,   emf::kSetBkMode,
                                      emf::kSetTextAlign, emf::kSetTextColor, emf::kMoveTo,
                                      emf::kSelectObject, emf::kCreatePen,    emf::kDeleteObject,
                                      emf::kLineTo,       emf::kCreateFont,   emf::kTextOutW};
  for (const Record& r : records) EXPECT_TRUE(allowed.count(r.type)) << r.type;

  // Frame, then each x tick and its number, then each y tick and its number.
  std::vector<std::string> expected = {"M 3000 700",    "L 27000 700",  "M 3000 19300",
                                       "L 27000 19300", "M 3000 700",   "L 3000 19300",
                                       "M 27000 700",   "L 27000 19300"};
  for (int k = 0; k <= 5; ++k) {
    const std::string x = std::to_string(3000 + 4800 * k);
    const std::string text = std::to_string(2 * k);
    expected.insert(expected.end(), {"M " + x + " 19300", "L " + x + " 19100",
                                     "T " + std::to_string(3000 + 4800 * k - 200 * text.size()) +
                                         " 19500 " + text});
  }
  const std::vector<std::string> drawing = Drawing(records);
  EXPECT_EQ(std::vector<std::string>(drawing.begin(), drawing.begin() + 26), expected);
  EXPECT_EQ(drawing.size(), 26u + 18u);
  // y = 4 sits on 19300 - 2 x 3720; its number ends 200 units left of the
  // frame, its top half a text height (950) above the tick.
  EXPECT_EQ(drawing[26 + 8], "T 2400 11385 4");

  // One solid pen of 50 units, black; one font of 800 units (600 points).
  const std::vector<Record> pens = OfType(records, emf::kCreatePen);
  ASSERT_EQ(pens.size(), 1u);
  EXPECT_EQ(pens[0].data.mid(12, 16), QByteArray::fromHex("00000000320000000000000000000000"));
  const Record font = OfType(records, emf::kCreateFont).at(0);
  EXPECT_EQ(font.At(12), -800);
  EXPECT_EQ(font.data.mid(40, 10), QByteArray("T\0i\0m\0e\0s\0", 10));
  // Characters, not glyph indices, with an advance for each.
  const Record ten = OfType(records, emf::kTextOutW).at(5);
  EXPECT_EQ(ten.At(52) & 0x10, 0);  // no ETO_GLYPH_INDEX
  ASSERT_NE(ten.At(72), 0);
  EXPECT_GT(ten.At(ten.At(72)) + ten.At(ten.At(72) + 4), 0);
}

// Lines of width round(2.5 x 50) = 125 in the wave's colour with red and
// blue exchanged, plus markers of round(0.25 x 50) = 12 (half to even). A
// run of 39,999 line-tos is three polyline records, not one per segment.
TEST(EmfBytes, TracePensAndLongRunsAsPolylines) {
  document::GraphDocument doc;
  testing::SetUpPage(doc);
  doc.Settings.ScaleOn = false;
  std::vector<double> xs;
  std::vector<double> ys;
  for (int i = 0; i < 40000; ++i) {
    xs.push_back(i * 10.0 / 40000);
    ys.push_back(5 + 4 * ((i % 7) / 7.0));
  }
  const int32_t y = testing::AddWave(doc, ys);
  doc.Traces[doc.TraceCount++] = {testing::AddWave(doc, xs), y};
  doc.Waves[y].lsize = 2.5;
  doc.Waves[y].rgb = 0xFF8000;
  const int32_t marker = testing::AddWave(doc, {5});
  doc.Traces[doc.TraceCount++] = {marker, marker};
  doc.Waves[marker].mode = 3;
  doc.Waves[marker].mrkThick = 0.25;
  doc.Waves[marker].msize = 2;  // half size round(100 x 1) = 100 units
  const std::vector<Record> records =
      ReadRecords(EmfBytes(testing::RecordPage(doc), 29700, 21000).value());

  const std::vector<Record> pens = OfType(records, emf::kCreatePen);
  ASSERT_EQ(pens.size(), 3u);
  EXPECT_EQ(std::make_pair(pens[1].At(16), pens[1].At(24)), std::make_pair(125, 0x0080FF));
  EXPECT_EQ(std::make_pair(pens[2].At(16), pens[2].At(24)), std::make_pair(12, 0));
  const std::vector<Record> polylines = OfType(records, emf::kPolylineTo16);
  ASSERT_EQ(polylines.size(), 3u);
  EXPECT_EQ(polylines[0].At(24) + polylines[1].At(24) + polylines[2].At(24), 39999);
  // The last point: x = round(9.99975 x 2400) + 3000.
  const Record& last = polylines.back();
  EXPECT_EQ(last.At<int16_t>(28 + 4 * (last.At(24) - 1)), 26999);
  const std::vector<std::string> drawing = Drawing(records);
  EXPECT_EQ(std::vector<std::string>(drawing.begin() + 8, drawing.end()),
            (std::vector<std::string>{"M 3000 10000", "M 14900 10000", "L 15100 10000",
                                      "M 15000 9900", "L 15000 10100"}));
}

TEST(EmfBytes, ClampsToThirtyTwoBitsAndRefusesBadPages) {
  render::VectorRecording recording;
  recording.MoveTo(-(int64_t{1} << 40), 5);
  recording.LineTo(int64_t{1} << 40, 5);
  EXPECT_EQ(Drawing(ReadRecords(EmfBytes(recording, 100, 100).value())),
            (std::vector<std::string>{"M -2147483648 5", "L 2147483647 5"}));
  EXPECT_FALSE(EmfBytes(recording, 0, 21000).ok());
  EXPECT_FALSE(EmfBytes(recording, render::kMaxVectorPageSide + 1, 21000).ok());
}

}  // namespace
}  // namespace korvelin::platform
