// The vector plot through QPainter: the SVG read back as XML, the PDF read
// back by poppler's tools as any viewer would, and the recording stretched
// onto a painter's rectangle as the printer takes it.

#include <gtest/gtest.h>

#include <QFile>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <algorithm>
#include <string>
#include <vector>

#include "VectorPage.h"
#include "platform/PainterVectorCanvas.h"

namespace korvelin::platform {
namespace {

struct Line {
  double x1, y1, x2, y2;
  double stroke_width;
  bool operator==(const Line&) const = default;
};

struct SvgText {
  double x, y;
  std::string text;
};

struct Svg {
  QString width, height, view_box;
  std::vector<Line> lines;  // every segment of every path
  int other_shapes = 0;
  std::vector<SvgText> texts;
  bool well_formed = false;
};

// Reads the picture as XML; stroke widths are inherited from the groups.
Svg ReadSvg(const QByteArray& bytes) {
  Svg svg;
  QXmlStreamReader xml(bytes);
  std::vector<double> widths{1};
  while (!xml.atEnd()) {
    xml.readNext();
    if (xml.isEndElement() && xml.name() == u"g") widths.pop_back();
    if (!xml.isStartElement()) continue;
    const QXmlStreamAttributes a = xml.attributes();
    if (xml.name() == u"svg") {
      svg.width = a.value("width").toString();
      svg.height = a.value("height").toString();
      svg.view_box = a.value("viewBox").toString();
    } else if (xml.name() == u"g") {
      widths.push_back(a.hasAttribute("stroke-width") ? a.value("stroke-width").toDouble()
                                                      : widths.back());
    } else if (xml.name() == u"path") {
      // "M3000,700 L27000,700 M...": a segment for every L.
      double x = 0;
      double y = 0;
      for (const QString& step : a.value("d").toString().split(' ', Qt::SkipEmptyParts)) {
        const QStringList xy = step.mid(1).split(',');
        const double nx = xy.value(0).toDouble();
        const double ny = xy.value(1).toDouble();
        if (step.startsWith('L')) svg.lines.push_back({x, y, nx, ny, widths.back()});
        x = nx;
        y = ny;
      }
    } else if (xml.name() == u"line" || xml.name() == u"polyline") {
      svg.other_shapes++;
    } else if (xml.name() == u"text") {
      const double x = a.value("x").toDouble();
      const double y = a.value("y").toDouble();
      svg.texts.push_back({x, y, xml.readElementText().toStdString()});
    }
  }
  svg.well_formed = !xml.hasError();
  return svg;
}

class PainterPage : public ::testing::Test {
 protected:
  void SetUp() override { testing::SetUpPage(doc_); }
  document::GraphDocument doc_;
};

TEST_F(PainterPage, SvgIsTheDrawingSpaceOnAPageInMillimetres) {
  const Svg svg = ReadSvg(SvgBytes(testing::RecordPage(doc_), 29700, 21000));
  ASSERT_TRUE(svg.well_formed);
  EXPECT_EQ(svg.width, "297mm");
  EXPECT_EQ(svg.height, "210mm");
  EXPECT_EQ(svg.view_box, "0 0 29700 21000");
  const std::vector<Line> frame = {{3000, 700, 27000, 700, 50},
                                   {3000, 19300, 27000, 19300, 50},
                                   {3000, 700, 3000, 19300, 50},
                                   {27000, 700, 27000, 19300, 50}};
  ASSERT_GE(svg.lines.size(), 4u);
  EXPECT_EQ(std::vector<Line>(svg.lines.begin(), svg.lines.begin() + 4), frame);
  // Six x ticks and six y ticks, then nothing: no trace in this document.
  EXPECT_EQ(svg.lines.size(), 4u + 12u);
  EXPECT_EQ(svg.other_shapes, 0);
  EXPECT_EQ(svg.lines[4 + 5], (Line{27000, 19300, 27000, 19100, 50}));
  // Texts stay text: "10" centred under the right edge, its baseline one
  // ascent below the top at 19500.
  ASSERT_EQ(svg.texts.size(), 12u);
  EXPECT_EQ(svg.texts[5].text, "10");
  EXPECT_EQ(svg.texts[5].x, 26600);
  EXPECT_GT(svg.texts[5].y, 19500);
  EXPECT_LT(svg.texts[5].y, 19500 + 800);
}

TEST_F(PainterPage, SvgLongTraceIsCutIntoPathsThatJoin) {
  doc_.Settings.ScaleOn = false;
  std::vector<double> xs;
  std::vector<double> ys;
  for (int i = 0; i < 20000; ++i) {
    xs.push_back(i * 10.0 / 20000);
    ys.push_back(i % 2 ? 4 : 6);
  }
  const int32_t x = testing::AddPageWave(doc_, xs);
  const int32_t y = testing::AddPageWave(doc_, ys);
  doc_.Traces[doc_.TraceCount++] = {x, y};
  doc_.Waves[y].lsize = 0.5;
  const Svg svg = ReadSvg(SvgBytes(testing::RecordPage(doc_), 29700, 21000));
  ASSERT_TRUE(svg.well_formed);
  ASSERT_EQ(svg.lines.size(), 4u + 19999u);
  for (size_t i = 5; i < svg.lines.size(); ++i) {
    ASSERT_EQ(svg.lines[i].x1, svg.lines[i - 1].x2) << i;
    ASSERT_EQ(svg.lines[i].y1, svg.lines[i - 1].y2) << i;
  }
  EXPECT_EQ(svg.lines[4].stroke_width, 25);
}

// A thousand points on one vertical draw the stretch between their extremes
// and go on from the last of them; a stroke that never leaves its point is
// still a dot.
TEST(SvgBytes, RunsOnOneVerticalKeepTheirInkWithFewSegments) {
  render::VectorRecording recording;
  recording.SetPenWidth(50);
  recording.MoveTo(100, 500);
  for (int i = 0; i < 1000; ++i) recording.LineTo(100, 300 + (i * 7919) % 601);
  recording.LineTo(100, 600);
  recording.LineTo(200, 600);
  recording.MoveTo(50, 50);
  recording.LineTo(50, 50);
  const Svg svg = ReadSvg(SvgBytes(recording, 1000, 1000));
  ASSERT_TRUE(svg.well_formed);
  double low = 500;
  double high = 500;
  int on_vertical = 0;
  for (const Line& line : svg.lines) {
    if (line.x1 != 100 || line.x2 != 100) continue;
    ++on_vertical;
    low = std::min({low, line.y1, line.y2});
    high = std::max({high, line.y1, line.y2});
  }
  EXPECT_LE(on_vertical, 3);
  EXPECT_EQ(low, 300);
  EXPECT_EQ(high, 900);
  ASSERT_EQ(svg.lines.size(), static_cast<size_t>(on_vertical) + 2u);
  EXPECT_EQ(svg.lines[on_vertical], (Line{100, 600, 200, 600, 50}));
  const Line dot = svg.lines.back();
  EXPECT_EQ(dot.x1, 50);
  EXPECT_EQ(dot.x2, 50);
  EXPECT_EQ(dot.y1, 50);
  EXPECT_NEAR(dot.y2, 50, 0.01);
}

// Runs a poppler tool on the file; its standard output, or empty.
std::string RunTool(const QString& tool, const QStringList& arguments) {
  QProcess process;
  process.start(tool, arguments);
  if (!process.waitForFinished(30000) || process.exitCode() != 0) return {};
  return process.readAllStandardOutput().toStdString();
}

TEST_F(PainterPage, PdfIsOnePageOfThePageSizeWithSearchableNumbers) {
  const QByteArray pdf = PdfBytes(testing::RecordPage(doc_), 29700, 21000);
  ASSERT_TRUE(pdf.startsWith("%PDF-"));
  QTemporaryDir dir;
  const QString path = dir.filePath("page.pdf");
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(pdf);
  file.close();
  const std::string info = RunTool("pdfinfo", {path});
  ASSERT_FALSE(info.empty()) << "pdfinfo (poppler-utils, see scripts/setup) did not run";
  EXPECT_NE(info.find("Pages:           1\n"), std::string::npos) << info;
  // 297 x 210 mm is 841.9 x 595.3 points, written in whole points.
  EXPECT_NE(info.find("Page size:       842 x 595 pts"), std::string::npos) << info;
  const std::string text = RunTool("pdftotext", {"-layout", path, "-"});
  for (const char* number : {"0", "2", "4", "6", "8", "10"}) {
    EXPECT_NE(text.find(number), std::string::npos) << number << " in " << text;
  }
}

// The printer's way: the page stretched onto a rectangle of the device. At
// 4 pixels a millimetre from (10, 20) the 0.5 mm pens are 2 pixels wide; the
// frame's top edge at 7 mm lies on row 48 and its left edge at 30 mm on
// column 130.
TEST_F(PainterPage, PlayingStretchesThePageOntoTheTargetRectangle) {
  doc_.Settings.ScaleOn = false;
  QImage image(1300, 900, QImage::Format_RGB32);
  image.fill(Qt::white);
  QPainter painter(&image);
  PlayVectorRecording(testing::RecordPage(doc_), painter, QRectF(10, 20, 1188, 840), 29700, 21000);
  const QTransform after = painter.transform();
  painter.end();
  EXPECT_TRUE(after.isIdentity());
  EXPECT_EQ(image.pixel(600, 48), qRgb(0, 0, 0));
  EXPECT_EQ(image.pixel(130, 400), qRgb(0, 0, 0));
  EXPECT_EQ(image.pixel(1090, 400), qRgb(0, 0, 0));  // right edge at 270 mm
  EXPECT_EQ(image.pixel(600, 792), qRgb(0, 0, 0));   // bottom edge at 193 mm
  EXPECT_EQ(image.pixel(600, 400), qRgb(255, 255, 255));
  EXPECT_EQ(image.pixel(600, 44), qRgb(255, 255, 255));
  EXPECT_EQ(image.pixel(5, 48), qRgb(255, 255, 255));
}

TEST(PainterVectorBytes, RefusePagesNoContainerHolds) {
  const render::VectorRecording recording;
  EXPECT_TRUE(PdfBytes(recording, 0, 21000).isEmpty());
  EXPECT_TRUE(SvgBytes(recording, 29700, -5).isEmpty());
  EXPECT_TRUE(SvgBytes(recording, render::kMaxVectorPageSide + 1, 10).isEmpty());
  EXPECT_FALSE(SvgBytes(recording, 10, 10).isEmpty());
}

}  // namespace
}  // namespace korvelin::platform
