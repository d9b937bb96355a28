// The vector plot through QPainter: the SVG read back as XML, the PDF read
// back by poppler's tools as a viewer would, and the recording stretched
// onto a painter's rectangle as the printer takes it.

#include <gtest/gtest.h>

#include <QImage>
#include <QXmlStreamReader>
#include <set>
#include <string>
#include <vector>

#include "VectorPage.h"
#include "platform/PainterVectorCanvas.h"
#include "platform/PdfWriter.h"

namespace korvelin::platform {
namespace {

struct Svg {
  QString width, height, view_box;
  std::vector<QLineF> lines;   // every segment of every path
  std::vector<double> widths;  // the stroke width of each segment
  std::vector<std::pair<QPointF, QString>> texts;
  std::set<QString> families;  // the font-family of every text
  bool well_formed = false;
};

// Paths are "M3000,700 L27000,700 M...": a segment for every L. Stroke
// widths are inherited from the enclosing groups.
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
      QPointF at;
      for (const QString& step : a.value("d").toString().split(' ', Qt::SkipEmptyParts)) {
        const QStringList xy = step.mid(1).split(',');
        const QPointF next(xy.value(0).toDouble(), xy.value(1).toDouble());
        if (step.startsWith('L')) {
          svg.lines.emplace_back(at, next);
          svg.widths.push_back(widths.back());
        }
        at = next;
      }
    } else if (xml.name() == u"text") {
      const QPointF at(a.value("x").toDouble(), a.value("y").toDouble());
      svg.families.insert(a.value("font-family").toString());
      svg.texts.emplace_back(at, xml.readElementText());
    }
  }
  svg.well_formed = !xml.hasError();
  return svg;
}

TEST(SvgBytes, TheDrawingSpaceOnAPageInMillimetres) {
  document::GraphDocument doc;
  testing::SetUpPage(doc);
  const Svg svg = ReadSvg(SvgBytes(testing::RecordPage(doc), 29700, 21000).value());
  ASSERT_TRUE(svg.well_formed);
  EXPECT_EQ(svg.width, "297mm");
  EXPECT_EQ(svg.height, "210mm");
  EXPECT_EQ(svg.view_box, "0 0 29700 21000");
  // The frame's four lines, then six x ticks and six y ticks, 50 units wide.
  ASSERT_EQ(svg.lines.size(), 4u + 12u);
  EXPECT_EQ(std::vector<QLineF>(svg.lines.begin(), svg.lines.begin() + 4),
            (std::vector<QLineF>{{3000, 700, 27000, 700},
                                 {3000, 19300, 27000, 19300},
                                 {3000, 700, 3000, 19300},
                                 {27000, 700, 27000, 19300}}));
  EXPECT_EQ(svg.lines[4 + 5], QLineF(27000, 19300, 27000, 19100));
  EXPECT_EQ(svg.widths, std::vector<double>(16, 50));
  // Texts stay text: "10" centred under the right edge, its baseline one
  // ascent below its top at 19500.
  ASSERT_EQ(svg.texts.size(), 12u);
  EXPECT_EQ(svg.texts[5].second, "10");
  EXPECT_EQ(svg.texts[5].first.x(), 26600);
  EXPECT_GT(svg.texts[5].first.y(), 19500);
  EXPECT_LT(svg.texts[5].first.y(), 19500 + 800);
}

// Every text names its face, the face's metric twin where it has one, and
// the generic family of its kind; a quote in a face's name cannot end the
// name early.
TEST(SvgBytes, TextsNameTheirFaceItsMetricTwinAndItsGenericFamily) {
  document::GraphDocument doc;
  testing::SetUpPage(doc);
  const std::pair<const char*, const char*> cases[] = {
      {"Times New Roman", "'Times New Roman', 'Liberation Serif', serif"},
      {"arial", "'arial', 'Liberation Sans', sans-serif"},
      {"Courier New", "'Courier New', 'Liberation Mono', monospace"},
      {"DejaVu Sans", "'DejaVu Sans', sans-serif"},
      {"O'Brien Book", "'OBrien Book', serif"},
  };
  for (const auto& [face, families] : cases) {
    testing::ScalingMeasurer label;
    render::FontSpec font;
    font.name = face;
    const Svg svg =
        ReadSvg(SvgBytes(render::RecordVectorPlot(doc, label, font, '.'), 29700, 21000).value());
    ASSERT_TRUE(svg.well_formed) << face;
    EXPECT_EQ(svg.texts.size(), 12u) << face;
    EXPECT_EQ(svg.families, std::set<QString>{families}) << face;
  }
}

// A thousand points on one vertical draw the stretch between their extremes
// and go on from the last of them; a run longer than one path goes on in the
// next; a stroke that never leaves its point is still a dot.
TEST(SvgBytes, RunsKeepTheirInkInFewSegments) {
  render::VectorRecording recording;
  recording.SetPenWidth(50);
  recording.MoveTo(100, 500);
  for (int i = 0; i < 1000; ++i) recording.LineTo(100, 300 + (i * 7919) % 601);
  recording.LineTo(100, 600);
  for (int i = 1; i <= 20000; ++i) recording.LineTo(100 + i, 600 + i % 2);
  recording.MoveTo(50, 50);
  recording.LineTo(50, 50);
  const Svg svg = ReadSvg(SvgBytes(recording, 30000, 1000).value());
  ASSERT_TRUE(svg.well_formed);
  ASSERT_EQ(svg.lines.size(), 3u + 20000u + 1u);
  EXPECT_EQ(svg.lines[0], QLineF(100, 500, 100, 900));
  EXPECT_EQ(svg.lines[1], QLineF(100, 900, 100, 300));
  EXPECT_EQ(svg.lines[2], QLineF(100, 300, 100, 600));
  for (size_t i = 3; i < 3 + 20000; ++i) {
    ASSERT_EQ(svg.lines[i].p1(), svg.lines[i - 1].p2()) << i;
  }
  const QLineF dot = svg.lines.back();
  EXPECT_EQ(dot.p1(), QPointF(50, 50));
  EXPECT_LT(dot.length(), 0.01);
  EXPECT_GT(dot.length(), 0);
}

TEST(PdfBytes, OnePageOfThePageSizeWithSearchableNumbers) {
  document::GraphDocument doc;
  testing::SetUpPage(doc);
  const QByteArray pdf = PdfBytes(testing::RecordPage(doc), 29700, 21000).value();
  const std::string info = testing::PopplerOn("pdfinfo", {}, pdf);
  ASSERT_FALSE(info.empty()) << "pdfinfo (poppler-utils, see scripts/setup) did not run";
  EXPECT_NE(info.find("Pages:           1\n"), std::string::npos) << info;
  // 297 x 210 mm is 841.89 x 595.28 points.
  EXPECT_NE(info.find("Page size:       841.89 x 595.276 pts"), std::string::npos) << info;
  const std::string text = testing::PopplerOn("pdftotext", {"-layout"}, pdf);
  EXPECT_NE(text.find("10"), std::string::npos) << text;
  EXPECT_FALSE(PdfBytes(render::VectorRecording(), 0, 21000).ok());
  EXPECT_FALSE(SvgBytes(render::VectorRecording(), 29700, render::kMaxVectorPageSide + 1).ok());
}

// The printer's way: the page stretched onto a rectangle of the device. At
// 4 pixels a millimetre from (10, 20) the 0.5 mm pens are 2 pixels wide; the
// frame's top edge at 7 mm lies on row 48, its left edge at 30 mm on column
// 130, its right edge at 270 mm on 1090, its bottom at 193 mm on row 792.
TEST(PlayVectorRecording, StretchesThePageOntoTheTargetRectangle) {
  document::GraphDocument doc;
  testing::SetUpPage(doc);
  doc.Settings.ScaleOn = false;
  QImage image(1300, 900, QImage::Format_RGB32);
  image.fill(Qt::white);
  QPainter painter(&image);
  PlayVectorRecording(testing::RecordPage(doc), painter, QRectF(10, 20, 1188, 840), 29700, 21000);
  EXPECT_TRUE(painter.transform().isIdentity());
  painter.end();
  for (const QPoint& p : {QPoint(600, 48), QPoint(130, 400), QPoint(1090, 400), QPoint(600, 792)}) {
    EXPECT_EQ(image.pixel(p), qRgb(0, 0, 0)) << p.x() << ", " << p.y();
  }
  for (const QPoint& p : {QPoint(600, 400), QPoint(600, 44), QPoint(5, 48)}) {
    EXPECT_EQ(image.pixel(p), qRgb(255, 255, 255)) << p.x() << ", " << p.y();
  }
}

}  // namespace
}  // namespace korvelin::platform
