// The metafile read back record by record, as any reader of the format
// would: header, page mapping, pens, strokes and texts at their numbers.

#include <gtest/gtest.h>

#include <QByteArray>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "VectorPage.h"
#include "platform/EmfVectorCanvas.h"

namespace korvelin::platform {
namespace {

enum : uint32_t {
  kHeader = 1,
  kPolylineTo = 6,
  kSetWindowExt = 9,
  kSetViewportExt = 11,
  kEof = 14,
  kSetMapMode = 17,
  kSetBkMode = 18,
  kSetTextAlign = 22,
  kOffsetClipRgn = 26,
  kMoveTo = 27,
  kSetMetaRgn = 28,
  kExcludeClipRect = 29,
  kIntersectClipRect = 30,
  kCreatePen = 38,
  kRectangle = 43,
  kLineTo = 54,
  kSelectClipPath = 67,
  kExtSelectClipRgn = 75,
  kCreateFont = 82,
  kTextOutW = 84,
  kPolylineTo16 = 89,
};

struct Record {
  uint32_t type = 0;
  QByteArray data;  // the whole record, type and size included
  int32_t I32(int offset) const {
    int32_t v = 0;
    std::memcpy(&v, data.constData() + offset, 4);
    return v;
  }
  int16_t I16(int offset) const {
    int16_t v = 0;
    std::memcpy(&v, data.constData() + offset, 2);
    return v;
  }
  uint16_t U16(int offset) const { return static_cast<uint16_t>(I16(offset)); }
};

// Splits the file into its records; stops at the first size that does not
// fit, which the checks then see as a missing end record.
std::vector<Record> ReadRecords(const QByteArray& file) {
  std::vector<Record> records;
  qsizetype offset = 0;
  while (offset + 8 <= file.size()) {
    uint32_t type = 0;
    uint32_t size = 0;
    std::memcpy(&type, file.constData() + offset, 4);
    std::memcpy(&size, file.constData() + offset + 4, 4);
    if (size < 8 || size % 4 != 0 || offset + size > file.size()) break;
    records.push_back({type, file.mid(offset, size)});
    offset += size;
  }
  return records;
}

std::vector<Record> OfType(const std::vector<Record>& records, uint32_t type) {
  std::vector<Record> out;
  for (const Record& r : records) {
    if (r.type == type) out.push_back(r);
  }
  return out;
}

// A stroke record reduced to its kind and point: MoveTo and LineTo.
struct Stroke {
  uint32_t type;
  int32_t x;
  int32_t y;
  bool operator==(const Stroke&) const = default;
};

std::vector<Stroke> Strokes(const std::vector<Record>& records) {
  std::vector<Stroke> out;
  for (const Record& r : records) {
    if (r.type == kMoveTo || r.type == kLineTo) out.push_back({r.type, r.I32(8), r.I32(12)});
  }
  return out;
}

// The text of an ExtTextOutW record: its characters from offString.
std::string Text(const Record& r) {
  const int chars = r.I32(44);
  const int offset = r.I32(48);
  std::string text;
  for (int i = 0; i < chars; ++i) text += static_cast<char>(r.U16(offset + 2 * i));
  return text;
}

class EmfPage : public ::testing::Test {
 protected:
  std::vector<Record> Read() {
    file_ = EmfBytes(testing::RecordPage(doc_), 29700, 21000);
    return ReadRecords(file_);
  }
  document::GraphDocument doc_;
  QByteArray file_;
  void SetUp() override { testing::SetUpPage(doc_); }
};

TEST_F(EmfPage, HeaderAndMappingMakeTheDrawingSpaceFillTheFrame) {
  const std::vector<Record> records = Read();
  ASSERT_GE(records.size(), 3u);
  const Record& header = records.front();
  ASSERT_EQ(header.type, kHeader);
  EXPECT_EQ(header.I32(40), 0x464D4520);  // " EMF"
  // rclFrame: the page in hundredths of a millimetre.
  EXPECT_EQ(header.I32(24), 0);
  EXPECT_EQ(header.I32(28), 0);
  EXPECT_EQ(header.I32(32), 29700);
  EXPECT_EQ(header.I32(36), 21000);
  EXPECT_EQ(header.I32(48), file_.size());  // nBytes
  EXPECT_EQ(static_cast<size_t>(header.I32(52)), records.size());
  EXPECT_EQ(records.back().type, kEof);

  const std::vector<Record> map_mode = OfType(records, kSetMapMode);
  ASSERT_EQ(map_mode.size(), 1u);
  EXPECT_EQ(map_mode[0].I32(8), 8);  // MM_ANISOTROPIC
  const std::vector<Record> window = OfType(records, kSetWindowExt);
  ASSERT_EQ(window.size(), 1u);
  EXPECT_EQ(window[0].I32(8), 29700);
  EXPECT_EQ(window[0].I32(12), 21000);
  // The viewport is the frame in the header's device pixels (rclBounds).
  const std::vector<Record> viewport = OfType(records, kSetViewportExt);
  ASSERT_EQ(viewport.size(), 1u);
  EXPECT_EQ(viewport[0].I32(8), header.I32(16));
  EXPECT_EQ(viewport[0].I32(12), header.I32(20));
  EXPECT_EQ(viewport[0].I32(8), 950);
  EXPECT_EQ(viewport[0].I32(12), 672);

  const std::vector<Record> align = OfType(records, kSetTextAlign);
  ASSERT_EQ(align.size(), 1u);
  EXPECT_EQ(align[0].I32(8), 0);  // TA_TOP | TA_LEFT
  for (uint32_t type : {kRectangle, kIntersectClipRect, kExcludeClipRect, kExtSelectClipRgn,
                        kSelectClipPath, kOffsetClipRgn, kSetMetaRgn}) {
    EXPECT_TRUE(OfType(records, type).empty()) << type;
  }
}

TEST_F(EmfPage, FrameTicksAndNumbersInTheirOrderAndPlaces) {
  const std::vector<Record> records = Read();
  const std::vector<Stroke> strokes = Strokes(records);
  ASSERT_GE(strokes.size(), 8u);
  const std::vector<Stroke> frame = {{kMoveTo, 3000, 700},   {kLineTo, 27000, 700},
                                     {kMoveTo, 3000, 19300}, {kLineTo, 27000, 19300},
                                     {kMoveTo, 3000, 700},   {kLineTo, 3000, 19300},
                                     {kMoveTo, 27000, 700},  {kLineTo, 27000, 19300}};
  EXPECT_EQ(std::vector<Stroke>(strokes.begin(), strokes.begin() + 8), frame);

  // After the frame: a move, a line and a text for each x tick, then for
  // each y tick. The frame and the ticks share one solid pen 50 units wide.
  std::vector<uint32_t> after_frame;
  int strokes_seen = 0;
  for (const Record& r : records) {
    if (strokes_seen >= 8 && (r.type == kMoveTo || r.type == kLineTo || r.type == kTextOutW)) {
      after_frame.push_back(r.type);
    }
    strokes_seen += r.type == kMoveTo || r.type == kLineTo;
  }
  std::vector<uint32_t> expected;
  for (int i = 0; i < 12; ++i) expected.insert(expected.end(), {kMoveTo, kLineTo, kTextOutW});
  EXPECT_EQ(after_frame, expected);
  const std::vector<Record> pens = OfType(records, kCreatePen);
  ASSERT_EQ(pens.size(), 1u);
  EXPECT_EQ(pens[0].I32(12), 0);   // PS_SOLID
  EXPECT_EQ(pens[0].I32(16), 50);  // width
  EXPECT_EQ(pens[0].I32(24), 0);   // black

  // "10" under the right edge: characters, not glyph indices, with advances.
  const std::vector<Record> texts = OfType(records, kTextOutW);
  ASSERT_EQ(texts.size(), 12u);
  const Record& ten = texts[5];
  EXPECT_EQ(Text(ten), "10");
  EXPECT_EQ(ten.I32(36), 26600);  // reference point: the top-left corner
  EXPECT_EQ(ten.I32(40), 19500);
  EXPECT_EQ(ten.I32(52) & 0x10, 0);  // no ETO_GLYPH_INDEX
  const int dx = ten.I32(72);
  ASSERT_NE(dx, 0);
  EXPECT_GT(ten.I32(dx) + ten.I32(dx + 4), 0);
  // y = 4 sits on row 19300 - 2 x 3720; its number ends 200 units left of
  // the frame and is centred on the tick: 950 high, so its top is 475 up.
  EXPECT_EQ(Text(texts[8]), "4");
  EXPECT_EQ(texts[8].I32(36), 3000 - 200 - 400);
  EXPECT_EQ(texts[8].I32(40), 11860 - 475);

  // The font: created once, 800 units high (600 points), the window's face,
  // and text drawn on a transparent background.
  const std::vector<Record> fonts = OfType(records, kCreateFont);
  ASSERT_EQ(fonts.size(), 1u);
  EXPECT_EQ(fonts[0].I32(12), -800);
  std::string face;
  for (int i = 0; fonts[0].U16(40 + 2 * i) != 0; ++i)
    face += static_cast<char>(fonts[0].U16(40 + 2 * i));
  EXPECT_EQ(face, "Times New Roman");
  const std::vector<Record> bk_mode = OfType(records, kSetBkMode);
  ASSERT_EQ(bk_mode.size(), 1u);
  EXPECT_EQ(bk_mode[0].I32(8), 1);  // TRANSPARENT
}

// Lines of width round(2.5 x 50) = 125 and plus markers of width
// round(0.25 x 50) = 12 (half to even), in the wave's colour with red and
// blue exchanged. A run of 39,999 line-tos is three polyline records, not
// one record per segment.
TEST_F(EmfPage, TracePensAndLongRunsAsPolylines) {
  doc_.Settings.ScaleOn = false;
  std::vector<double> xs;
  std::vector<double> ys;
  for (int i = 0; i < 40000; ++i) {
    xs.push_back(i * 10.0 / 40000);
    ys.push_back(5 + 4 * ((i % 7) / 7.0));
  }
  const int32_t x = testing::AddPageWave(doc_, xs);
  const int32_t y = testing::AddPageWave(doc_, ys);
  doc_.Traces[doc_.TraceCount++] = {x, y};
  const int32_t marker_x = testing::AddPageWave(doc_, {5});
  const int32_t marker_y = testing::AddPageWave(doc_, {5});
  doc_.Traces[doc_.TraceCount++] = {marker_x, marker_y};
  doc_.Waves[y].lsize = 2.5;
  doc_.Waves[y].rgb = 0xFF8000;
  doc_.Waves[marker_y].mode = 3;
  doc_.Waves[marker_y].mrkThick = 0.25;
  doc_.Waves[marker_y].msize = 2;  // half size round(100 x 1) = 100 units
  const std::vector<Record> records = Read();

  const std::vector<Record> pens = OfType(records, kCreatePen);
  ASSERT_EQ(pens.size(), 3u);
  EXPECT_EQ(pens[1].I32(16), 125);
  EXPECT_EQ(pens[1].I32(24), 0x0080FF);
  EXPECT_EQ(pens[2].I32(16), 12);
  EXPECT_EQ(pens[2].I32(24), 0);

  const std::vector<Record> polylines = OfType(records, kPolylineTo16);
  ASSERT_EQ(polylines.size(), 3u);
  int points = 0;
  for (const Record& r : polylines) points += r.I32(24);
  EXPECT_EQ(points, 39999);
  EXPECT_TRUE(OfType(records, kPolylineTo).empty());
  // The trace's first point (0, 5) and the plus marker at (5, 5).
  const std::vector<Stroke> strokes = Strokes(records);
  ASSERT_EQ(strokes.size(), 8u + 1u + 4u);
  EXPECT_EQ(strokes[8], (Stroke{kMoveTo, 3000, 10000}));
  EXPECT_EQ(strokes[9], (Stroke{kMoveTo, 15000 - 100, 10000}));
  EXPECT_EQ(strokes[10], (Stroke{kLineTo, 15000 + 100, 10000}));
  EXPECT_EQ(strokes[12], (Stroke{kLineTo, 15000, 10000 + 100}));
  // The last polyline ends on the trace's last point.
  const Record& last = polylines.back();
  const int n = last.I32(24);
  EXPECT_EQ(last.I16(28 + 4 * (n - 1)), 3000 + 24000 * 39999 / 40000);
}

TEST(EmfBytes, ClampsCoordinatesToThirtyTwoBitsAndRefusesBadPages) {
  render::VectorRecording recording;
  recording.SetPenWidth(50);
  recording.MoveTo(-(int64_t{1} << 40), 5);
  recording.LineTo(int64_t{1} << 40, 5);
  const std::vector<Record> records = ReadRecords(EmfBytes(recording, 29700, 21000));
  EXPECT_EQ(Strokes(records),
            (std::vector<Stroke>{{kMoveTo, INT32_MIN, 5}, {kLineTo, INT32_MAX, 5}}));
  EXPECT_EQ(records.back().type, kEof);
  EXPECT_TRUE(EmfBytes(recording, 0, 21000).isEmpty());
  EXPECT_TRUE(EmfBytes(recording, 29700, -1).isEmpty());
  EXPECT_TRUE(EmfBytes(recording, render::kMaxVectorPageSide + 1, 21000).isEmpty());
  // An empty recording is a blank page.
  const std::vector<Record> blank = ReadRecords(EmfBytes(render::VectorRecording(), 100, 100));
  ASSERT_FALSE(blank.empty());
  EXPECT_EQ(blank.front().I32(32), 100);
  EXPECT_EQ(blank.back().type, kEof);
}

}  // namespace
}  // namespace korvelin::platform
