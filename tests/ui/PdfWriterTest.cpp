// The PDF page of our own making: the same bytes for the same plot, every
// face embedded as a subset whose numbers a reader extracts, an exact page
// size, and a run of points on one vertical drawn as the few segments that
// cover it.

#include <gtest/gtest.h>
#include <zlib.h>

#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "VectorPage.h"
#include "platform/PdfWriter.h"
#include "render/VectorRecording.h"

namespace korvelin::platform {
namespace {

// The page's operators, its first stream.
std::string Content(const QByteArray& pdf) {
  const qsizetype start = pdf.indexOf("stream\n") + 7;
  const qsizetype end = pdf.indexOf("\nendstream", start);
  std::string out(1 << 24, '\0');
  uLongf size = out.size();
  EXPECT_EQ(uncompress(reinterpret_cast<Bytef*>(out.data()), &size,
                       reinterpret_cast<const Bytef*>(pdf.constData() + start),
                       static_cast<uLong>(end - start)),
            Z_OK);
  out.resize(size);
  return out;
}

// The content after the first pen, where a stroke's path starts.
std::string AfterPen(const std::string& content) {
  const std::string pen = "RG 50 w\n";
  const size_t at = content.find(pen);
  EXPECT_NE(at, std::string::npos) << content;
  return at == std::string::npos ? "" : content.substr(at + pen.size());
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  for (size_t end = text.find('\n'); end != std::string::npos; end = text.find('\n', start)) {
    lines.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}

render::VectorRecording TwoFaces() {
  render::VectorRecording recording;
  recording.SetPenColor(0x0000FF);  // red, as the platform's colours have it
  recording.SetPenWidth(50);
  recording.MoveTo(100, 100);
  recording.LineTo(2000, 100);
  recording.SetFont({"Times New Roman", 800});
  recording.TextOut(3000, 700, "-2.5");
  recording.SetFont({"Arial", 600, true, false});
  recording.TextOut(3000, 1700, "(a\\b)");
  recording.SetFont({"Times New Roman", 400});
  recording.TextOut(3000, 2700, "1e+06");
  return recording;
}

TEST(PdfBytes, TheSamePlotMakesTheSameBytes) {
  const render::VectorRecording recording = TwoFaces();
  const QByteArray pdf = PdfBytes(recording, 17000, 12000).value();
  EXPECT_EQ(PdfBytes(recording, 17000, 12000).value(), pdf);
  EXPECT_EQ(pdf.indexOf("CreationDate"), -1);
  const std::string content = Content(pdf);
  EXPECT_NE(content.find("1.0000 0.0000 0.0000 RG 50 w\n100 100 m\n2000 100 l\nS\n"),
            std::string::npos)
      << content;
  EXPECT_NE(content.find("/F1 800 Tf"), std::string::npos);
  EXPECT_NE(content.find("/F1 400 Tf"), std::string::npos) << "one font for both sizes";
  // 170 x 120 mm in points, not rounded to whole points.
  const std::string info = testing::PopplerOn("pdfinfo", {}, pdf);
  ASSERT_FALSE(info.empty()) << "pdfinfo (poppler-utils, see scripts/setup) did not run";
  EXPECT_NE(info.find("Page size:       481.89 x 340.158 pts"), std::string::npos) << info;
  EXPECT_FALSE(PdfBytes(recording, 0, 12000).ok());
}

// Each face the page shows is in the file as the subset it uses, with the
// map back to characters that lets a reader extract the numbers exactly.
// The faces are those the numbers were measured with: the window's Times
// New Roman and Arial are their metric twins on this system.
TEST(PdfBytes, EveryFaceIsEmbeddedAsASubsetAndTheNumbersAreExtracted) {
  const QByteArray pdf = PdfBytes(TwoFaces(), 17000, 12000).value();
  const std::vector<std::string> fonts = Lines(testing::PopplerOn("pdffonts", {}, pdf));
  ASSERT_EQ(fonts.size(), 2u + 2u) << "a heading of two lines, then one line a face";
  for (size_t i = 2; i < fonts.size(); ++i) {
    const std::string& font = fonts[i];
    EXPECT_NE(font.find("CID TrueType"), std::string::npos) << font;
    EXPECT_NE(font.find("Identity-H"), std::string::npos) << font;
    EXPECT_NE(font.find("yes yes yes"), std::string::npos) << "embedded, subset, mapped: " << font;
    ASSERT_GT(font.size(), 7u);
    EXPECT_EQ(font[6], '+') << font;
  }
  EXPECT_NE(fonts[2].find("+LiberationSerif "), std::string::npos) << fonts[2];
  EXPECT_NE(fonts[3].find("+LiberationSans-Bold "), std::string::npos) << fonts[3];
  const std::vector<std::string> text = Lines(testing::PopplerOn("pdftotext", {"-raw"}, pdf));
  EXPECT_EQ(text, (std::vector<std::string>{"-2.5", "(a\\b)", "1e+06"}));

  // A subset holds only what the page shows: the face alone is some
  // hundreds of kilobytes.
  EXPECT_LT(pdf.size(), 20000) << pdf.size();
  // Another set of characters is another subset, with another tag.
  render::VectorRecording other;
  other.SetFont({"Times New Roman", 800});
  other.TextOut(0, 0, "7");
  const std::vector<std::string> other_fonts =
      Lines(testing::PopplerOn("pdffonts", {}, PdfBytes(other, 17000, 12000).value()));
  ASSERT_EQ(other_fonts.size(), 3u);
  EXPECT_NE(other_fonts[2].substr(0, 6), fonts[2].substr(0, 6));
}

// What each stroke becomes. Points on one vertical in a row become the few
// segments that cover them: from an entry at an extreme to the other and
// the last, from an entry between them over the extreme farther from the
// last. A subpath of more than one segment that ends elsewhere than it
// began goes back over its points, so a reader that closes every subpath
// adds an edge of no length; a tick or a closed outline stays as it is.
TEST(PdfStroke, DrawsTheSameInkAndClosesWithoutAnEdge) {
  std::vector<std::pair<int, int>> column{{0, 500}};
  for (int i = 0; i < 1000; ++i) column.emplace_back(10, 400 + (i * 37) % 300);
  column.emplace_back(20, 450);
  const std::tuple<const char*, std::vector<std::pair<int, int>>, const char*> cases[] = {
      // A move to the first point, lines to the rest, the content after the pen. The column:
      // onto x = 10 at 400, the lowest; over the highest 699 to the last 463; on, and back.
      {"ColumnFromItsLowest", column,
       "0 500 m\n10 400 l\n10 699 l 10 463 l\n20 450 l\n"
       "10 463 l\n10 699 l\n10 400 l\n0 500 l\nS\n"},
      {"ColumnFromBetween",
       {{0, 50}, {10, 50}, {10, 20}, {10, 90}, {10, 80}},
       "0 50 m\n10 50 l\n10 20 l 10 90 l 10 80 l\n10 90 l\n10 20 l\n10 50 l\n0 50 l\nS\n"},
      {"Tick", {{5, 100}, {5, 60}}, "5 100 m\n5 60 l\nS\n"},
      {"Dot", {{7, 7}, {7, 7}}, "7 7 m\n7 7 l\nS\n"},
      {"ClosedOutline", {{0, 0}, {10, 5}, {20, 0}, {0, 0}}, "0 0 m\n10 5 l\n20 0 l\n0 0 l\nS\n"},
  };
  for (const auto& [name, points, path] : cases) {
    render::VectorRecording recording;
    recording.SetPenWidth(50);
    recording.MoveTo(points[0].first, points[0].second);
    for (size_t i = 1; i < points.size(); ++i) recording.LineTo(points[i].first, points[i].second);
    EXPECT_EQ(AfterPen(Content(PdfBytes(recording, 29700, 21000).value())), path) << name;
  }
}

// A trace of some megabytes of operators is one path there and back, in
// one content stream: an office program that imports the page drops a path
// that a second stream would carry on.
TEST(PdfBytes, ALongTraceIsOnePathThereAndBackInOneStream) {
  render::VectorRecording recording;
  recording.SetPenWidth(50);
  std::vector<std::string> points{"0 0 l\n"};
  recording.MoveTo(0, 0);
  for (int x = 1; x < 200000; ++x) {
    const int y = (x * 7919) % 21000;
    recording.LineTo(x, y);
    points.push_back(std::to_string(x) + " " + std::to_string(y) + " l\n");
  }
  std::string path = "0 0 m\n";
  for (size_t i = 1; i < points.size(); ++i) path += points[i];
  for (size_t i = points.size() - 1; i-- > 0;) path += points[i];
  path += "S\n";
  const QByteArray pdf = PdfBytes(recording, 29700, 21000).value();
  EXPECT_NE(pdf.indexOf("/Contents 4 0 R"), -1);
  EXPECT_EQ(AfterPen(Content(pdf)), path);
  EXPECT_EQ(PdfBytes(recording, 29700, 21000).value(), pdf);
  const std::string info = testing::PopplerOn("pdfinfo", {}, pdf);
  const size_t pages = info.find("Pages:");
  ASSERT_NE(pages, std::string::npos) << info;
  EXPECT_EQ(info.substr(info.find_first_not_of(' ', pages + 6), 2), "1\n");
}

}  // namespace
}  // namespace korvelin::platform
