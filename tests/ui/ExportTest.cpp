// Pictures written by extension, and batches of them on every core: a batch
// picture equals the single export of its file byte for byte.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <chrono>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "PixelsOf.h"
#include "document/IgorReader.h"
#include "ui/Batch.h"
#include "ui/CommandLine.h"
#include "ui/OutputFormats.h"
#include "ui/PatternFiles.h"
#include "ui/PlotView.h"

namespace korvelin::ui {
namespace {

using korvelin::testing::DiagonalPattern;
using korvelin::testing::PatternDir;

// WritePlot in the format of the name's extension: the empty text when
// written, else the reason.
std::string Written(PlotView& view, const std::string& path) {
  return WritePlot(view, path, *OutputFormatOf(path)).reason();
}

QByteArray Bytes(const std::string& path) {
  QFile file(QString::fromStdString(path));
  file.open(QIODevice::ReadOnly);
  return file.readAll();
}

// The one table reads a name's extension case-insensitively, and only the
// last part of the name, and gives each format its clipboard type.
TEST(OutputFormatOf, ReadsTheExtensionOfTheNameAlone) {
  EXPECT_EQ(OutputFormatOf("plot.png"), OutputFormat::Png);
  EXPECT_EQ(OutputFormatOf("/tmp/a.b/PLOT.BMP"), OutputFormat::Bmp);
  EXPECT_EQ(OutputFormatOf("v.Svg"), OutputFormat::Svg);
  for (const char* name : {"plot.jpg", "png", "dir.png/plot", "", "plot."}) {
    EXPECT_EQ(OutputFormatOf(name), std::nullopt) << name;
  }
  EXPECT_EQ(OutputFormatNamed("PDF"), OutputFormat::Pdf);
  EXPECT_EQ(OutputExtensions(), ".png, .bmp, .emf, .svg or .pdf");
  EXPECT_STREQ(MimeTypeOf(OutputFormat::Svg), "image/svg+xml");
  EXPECT_TRUE(IsWindowPicture(OutputFormat::Bmp));
  EXPECT_FALSE(IsWindowPicture(OutputFormat::Emf));
}

TEST(OutputNameFor, FillsInNameAndFolder) {
  struct Case {
    const char* pattern;
    const char* input;
    const char* output;
  };
  for (const Case& c : {Case{"out/{name}.png", "data/run 7.pat", "out/run 7.png"},
                        Case{"{dir}/{name}.bmp", "data/a.b.pat", "data/a.b.bmp"},
                        Case{"{dir}/{name}.png", "scan.pat", "./scan.png"},
                        Case{"{dir}/{name}.png", "/scan", "//scan.png"},
                        Case{"{name}-{name}.png", "x/.hidden", ".hidden-.hidden.png"},
                        Case{"fixed.png", "a.pat", "fixed.png"}}) {
    EXPECT_EQ(OutputNameFor(c.pattern, c.input), c.output) << c.pattern << " " << c.input;
  }
}

// The examples and a few made here: lines and markers, colours, two blocks.
std::vector<std::string> SomeFiles(const PatternDir& dir) {
  const std::string examples = qEnvironmentVariable("KORVELIN_EXAMPLES").toStdString();
  return {examples + "/quartz-powder.pat",
          examples + "/two-blocks.pat",
          examples + "/rocking-curve-lf.pat",
          dir.Write("red.pat", DiagonalPattern()),
          dir.Write("wide.pat", DiagonalPattern("(0,30000,65535)", 20)),
          dir.Write("empty.pat", "IGOR\r\n")};
}

std::string SingleExport(const std::string& file, const std::string& out) {
  std::ostringstream err;
  EXPECT_EQ(RunExport({RunMode::Export, out, document::PixelSize{500, 300}, {file}}, err), 0)
      << err.str();
  return out;
}

TEST(ExportEach, EveryPictureEqualsTheSingleExportOfItsFile) {
  PatternDir dir;
  const std::vector<std::string> files = SomeFiles(dir);
  QDir().mkpath(QString::fromStdString(dir.Path("batch")));
  for (const char* extension : {".png", ".bmp"}) {
    std::ostringstream err;
    const std::string pattern = dir.Path("batch/{name}") + extension;
    EXPECT_EQ(ExportEach({pattern, {500, 300}, files, 3, false}, err), 0) << err.str();
    EXPECT_EQ(err.str(), "korvelin: " + files.back() + ": no wave to plot\n")
        << "only the file that shows nothing is mentioned";
    for (const std::string& file : files) {
      const std::string single = SingleExport(file, dir.Path("single") + extension);
      const QByteArray expected = Bytes(single);
      ASSERT_GT(expected.size(), 100);
      EXPECT_TRUE(Bytes(OutputNameFor(pattern, file)) == expected) << file << extension;
    }
  }
}

// The program starts the toolkit while the workers read: nothing is drawn
// or written before it has started, and the pictures are those of a batch
// with the toolkit already running.
TEST(ExportEach, NothingIsDrawnBeforeTheToolkitHasStarted) {
  PatternDir dir;
  const std::vector<std::string> files = SomeFiles(dir);
  std::ostringstream err;
  const std::string first = dir.Path("first/{name}.png");
  QDir().mkpath(QString::fromStdString(dir.Path("first")));
  QDir().mkpath(QString::fromStdString(dir.Path("later")));
  ASSERT_EQ(ExportEach({first, {500, 300}, files, 2, false}, err), 0);
  int starts = 0;
  const std::string later = dir.Path("later/{name}.png");
  auto start = [&] {
    ++starts;
    // Time enough for every worker to have drawn all its files, were it not held.
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_TRUE(QDir(QString::fromStdString(dir.Path("later"))).isEmpty());
  };
  EXPECT_EQ(ExportEach({later, {500, 300}, files, 2, false}, err, start), 0);
  EXPECT_EQ(starts, 1);
  for (const std::string& file : files) {
    EXPECT_TRUE(Bytes(OutputNameFor(later, file)) == Bytes(OutputNameFor(first, file))) << file;
  }
}

// On a terminal one line counts the files, each count once and in order
// whichever thread finishes a file, ending at the total; messages clear it
// first and start on a line of their own.
TEST(ExportEach, TheProgressLineCountsEveryFileInOrder) {
  PatternDir dir;
  std::vector<std::string> files = SomeFiles(dir);
  for (int i = 0; i < 12; ++i) {
    files.push_back(dir.Write(std::to_string(i) + "d.pat", DiagonalPattern()));
  }
  files.push_back(dir.Path("missing.pat"));
  std::ostringstream err;
  ASSERT_EQ(ExportEach({dir.Path("{name}.png"), {200, 100}, files, 3, true}, err), 1);
  const std::string text = err.str();
  size_t at = 0;
  for (size_t count = 1; count <= files.size(); ++count) {
    std::string line = "\r\033[K";
    line += std::to_string(count) + " of " + std::to_string(files.size()) + " files";
    at = text.find(line, at);
    ASSERT_NE(at, std::string::npos) << count << " in " << text;
    at += line.size();
  }
  EXPECT_EQ(text.substr(at), "\n");
  EXPECT_NE(text.find("\r\033[Kkorvelin: " + files.back() + ": No such file or directory\n"),
            std::string::npos)
      << text;
}

TEST(ExportEach, ABadFileOrAFailedWriteIsNamedAndTheOthersGoOn) {
  PatternDir dir;
  const std::string good = dir.Write("good.pat", DiagonalPattern());
  const std::string notes = dir.Write("notes.pat", "Just notes\r\n");
  const std::string missing = dir.Path("missing.pat");
  const std::string other = dir.Write("other.pat", DiagonalPattern("(0,0,65535)"));
  QDir().mkpath(QString::fromStdString(dir.Path("out")));
  std::ostringstream err;
  EXPECT_EQ(
      ExportEach({dir.Path("out/{name}.png"), {320, 200}, {good, notes, missing, other}, 2, false},
                 err),
      1);
  EXPECT_NE(err.str().find("korvelin: " + notes + ": not a pattern file"), std::string::npos);
  EXPECT_NE(err.str().find("korvelin: " + missing + ": No such file or directory"),
            std::string::npos);
  const QStringList written = QDir(QString::fromStdString(dir.Path("out"))).entryList(QDir::Files);
  EXPECT_EQ(written, (QStringList{"good.png", "other.png"})) << "rejected files have no picture";

  // The pictures of one folder cannot be written; the rest are.
  std::ostringstream write_err;
  EXPECT_EQ(
      ExportEach({"{dir}/nowhere/{name}.png", {320, 200}, {good, other}, 1, false}, write_err), 1);
  EXPECT_NE(write_err.str().find("nowhere/good.png: No such file or directory"), std::string::npos);
  EXPECT_NE(write_err.str().find("nowhere/other.png: No such file or directory"),
            std::string::npos);
}

TEST(ExportEach, TwoInputsForOneOutputAreRefusedBeforeAnythingIsWritten) {
  PatternDir dir;
  const std::string a = dir.Write("a.pat", DiagonalPattern());
  QDir().mkpath(QString::fromStdString(dir.Path("sub")));
  const std::string b = dir.Write("sub/a.pat", DiagonalPattern());
  const std::string c = dir.Write("c.pat", DiagonalPattern());
  std::ostringstream err;
  EXPECT_EQ(ExportEach({dir.Path("{name}.png"), {320, 200}, {c, a, b}, 2, false}, err), 2);
  EXPECT_EQ(err.str(), "korvelin: " + a + " and " + b + " would both be written to " +
                           dir.Path("a.png") + "; nothing was written\n");
  EXPECT_FALSE(QFile::exists(QString::fromStdString(dir.Path("c.png"))));
  std::ostringstream format_err;
  EXPECT_EQ(ExportEach({dir.Path("{name}.gif"), {320, 200}, {c}, 1, false}, format_err), 2);
  EXPECT_NE(format_err.str().find("must end in .png, .bmp, .emf, .svg or .pdf"), std::string::npos);
}

// The vector plot as a file: each container by its extension, the batch
// making the same bytes, and a page of no size refused before a file is made.
TEST(WritePlot, WritesTheVectorPlotByTheExtension) {
  PatternDir dir;
  document::GraphDocument doc;
  ASSERT_TRUE(document::LoadPatternFile(doc, dir.Write("red.pat", DiagonalPattern())).accepted());
  PlotView view(doc);
  view.Layout({594, 420});
  struct Case {
    const char* name;
    const char* starts;
  };
  for (const Case& c :
       {Case{"v.emf", "\x01\x00\x00\x00"}, Case{"v.SVG", "<?xml"}, Case{"v.pdf", "%PDF-"}}) {
    EXPECT_EQ(Written(view, dir.Path(c.name)), "") << c.name;
    EXPECT_TRUE(Bytes(dir.Path(c.name)).startsWith(c.starts)) << c.name;
  }
  doc.Settings.MetafileWidth = 0;
  EXPECT_NE(Written(view, dir.Path("none.pdf")), "");
  EXPECT_FALSE(QFile::exists(QString::fromStdString(dir.Path("none.pdf"))));
  doc.Settings.MetafileWidth = 29700;
  doc.Settings.MetafileHeight = -21000;
  EXPECT_NE(Written(view, dir.Path("none.emf")), "");
  EXPECT_FALSE(QFile::exists(QString::fromStdString(dir.Path("none.emf"))));
}

TEST(ExportEach, VectorPicturesEqualTheSingleExport) {
  PatternDir dir;
  const std::vector<std::string> files = SomeFiles(dir);
  for (const char* extension : {".emf", ".svg", ".pdf"}) {
    std::ostringstream err;
    const std::string pattern = dir.Path("{name}-batch") + extension;
    EXPECT_EQ(ExportEach({pattern, {500, 300}, files, 2, false}, err), 0) << err.str();
    for (const std::string& file : files) {
      const QByteArray single = Bytes(SingleExport(file, dir.Path("single") + extension));
      EXPECT_TRUE(Bytes(OutputNameFor(pattern, file)) == single) << file << extension;
    }
  }
}

TEST(ExportEach, SettingsApplyToEveryFile) {
  PatternDir dir;
  const std::string red = dir.Write("red.pat", DiagonalPattern());
  BatchJob job{dir.Path("{name}.png"), {320, 200}, {red}, 1, false};
  job.settings.ScaleOn = false;
  std::ostringstream err;
  ASSERT_EQ(ExportEach(job, err), 0);
  document::GraphDocument doc;
  doc.Settings.ScaleOn = false;
  ASSERT_TRUE(document::LoadPatternFile(doc, red).accepted());
  PlotView view(doc);
  view.Layout({320, 200});
  EXPECT_EQ(testing::PixelsOf(QImage(QString::fromStdString(dir.Path("red.png")))), view.Picture());
}

}  // namespace
}  // namespace korvelin::ui
