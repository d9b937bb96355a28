// The PDF page of our own making: the same bytes for the same plot, the
// standard fonts by the window's faces, an exact page size, and a run of
// points on one vertical drawn as the few segments that cover it.

#include <gtest/gtest.h>
#include <zlib.h>

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <string>

#include "platform/PdfWriter.h"
#include "render/VectorRecording.h"

namespace korvelin::platform {
namespace {

std::string Content(const QByteArray& pdf) {
  const qsizetype start = pdf.indexOf("stream\n") + 7;
  const qsizetype end = pdf.indexOf("\nendstream");
  std::string out(1 << 22, '\0');
  uLongf size = out.size();
  EXPECT_EQ(uncompress(reinterpret_cast<Bytef*>(out.data()), &size,
                       reinterpret_cast<const Bytef*>(pdf.constData() + start),
                       static_cast<uLong>(end - start)),
            Z_OK);
  out.resize(size);
  return out;
}

size_t Count(const std::string& text, const std::string& what) {
  size_t count = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++count;
  return count;
}

std::string PdfInfo(const QByteArray& pdf) {
  QTemporaryDir dir;
  QFile file(dir.filePath("page.pdf"));
  file.open(QIODevice::WriteOnly);
  file.write(pdf);
  file.close();
  QProcess info;
  info.start("pdfinfo", {file.fileName()});
  info.waitForFinished(30000);
  return info.readAllStandardOutput().toStdString();
}

TEST(PdfBytes, TheSamePlotMakesTheSameBytesWithTheStandardFonts) {
  render::VectorRecording recording;
  recording.SetPenColor(0x0000FF);  // red, as the platform's colours have it
  recording.SetPenWidth(50);
  recording.MoveTo(100, 100);
  recording.LineTo(2000, 100);
  recording.SetFont({"Times New Roman", 800});
  recording.TextOut(3000, 700, "-2.5");
  recording.SetFont({"Arial", 600, true, false});
  recording.TextOut(3000, 1700, "(a\\b)");
  const QByteArray pdf = PdfBytes(recording, 17000, 12000);
  EXPECT_EQ(PdfBytes(recording, 17000, 12000), pdf);
  EXPECT_EQ(pdf.indexOf("CreationDate"), -1);
  EXPECT_NE(pdf.indexOf("/BaseFont /Times-Roman"), -1);
  EXPECT_NE(pdf.indexOf("/BaseFont /Helvetica-Bold"), -1);
  const std::string content = Content(pdf);
  EXPECT_NE(content.find("1.0000 0.0000 0.0000 RG 50 w\n100 100 m\n2000 100 l\nS\n"),
            std::string::npos)
      << content;
  EXPECT_NE(content.find("/F1 800 Tf"), std::string::npos);
  EXPECT_NE(content.find("(\\(a\\\\b\\)) Tj"), std::string::npos) << content;
  // 170 x 120 mm in points, not rounded to whole points.
  EXPECT_NE(PdfInfo(pdf).find("Page size:       481.89 x 340.158 pts"), std::string::npos)
      << PdfInfo(pdf);
  EXPECT_TRUE(PdfBytes(recording, 0, 12000).isEmpty());
}

TEST(PdfBytes, PointsOnOneVerticalBecomeTheSegmentsThatCoverThem) {
  render::VectorRecording recording;
  recording.SetPenWidth(50);
  recording.MoveTo(0, 500);
  for (int i = 0; i < 1000; ++i) recording.LineTo(10, 400 + (i * 37) % 300);
  recording.LineTo(20, 450);
  const std::string content = Content(PdfBytes(recording, 29700, 21000));
  // Onto x = 10 at 400, then over the lowest (400, where the path stands),
  // the highest 699 and the last 463 of the run, then on.
  EXPECT_NE(content.find("0 500 m\n10 400 l\n10 699 l 10 463 l\n20 450 l\nS\n"), std::string::npos)
      << content.substr(0, 300);
  EXPECT_EQ(Count(content, " l"), 4u);
}

}  // namespace
}  // namespace korvelin::platform
