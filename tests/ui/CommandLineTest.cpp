// The command line: parsing, the JSON dump and the headless export.

#include <gtest/gtest.h>

#include <QFile>
#include <QImage>
#include <algorithm>
#include <sstream>

#include "PixelsOf.h"
#include "document/GraphDocument.h"
#include "ui/CommandLine.h"
#include "ui/MainUnit.h"
#include "ui/PatternFiles.h"
#include "ui/PlotView.h"

namespace korvelin::ui {
namespace {

using korvelin::testing::CountColour;
using korvelin::testing::DiagonalPattern;
using korvelin::testing::FirstDifferenceFromRaster;
using korvelin::testing::PatternDir;

struct ParseCase {
  const char* name;
  std::vector<std::string> args;
  RunMode mode;
  std::vector<std::string> files;
  std::string export_path;
  std::optional<document::PixelSize> size;
  bool error;
};

class ParseCommandLineTest : public ::testing::TestWithParam<ParseCase> {};

TEST_P(ParseCommandLineTest, ReadsModeSizeAndFiles) {
  const ParseCase& c = GetParam();
  const ParsedCommandLine parsed = ParseCommandLine(c.args);
  EXPECT_EQ(!parsed.ok(), c.error) << parsed.reason();
  if (c.error) return;
  EXPECT_EQ(parsed.value().mode, c.mode);
  EXPECT_EQ(parsed.value().files, c.files);
  EXPECT_EQ(parsed.value().export_path, c.export_path);
  EXPECT_EQ(parsed.value().size, c.size);
}

using Files = std::vector<std::string>;
using Size = document::PixelSize;

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Cases, ParseCommandLineTest,
    ::testing::Values(
        ParseCase{"NoArguments", {}, RunMode::Window, {}, "", {}, false},
        ParseCase{"FilesOpenTheWindow", {"a.pat", "b.pat"}, RunMode::Window, Files{"a.pat", "b.pat"}, "", {}, false},
        ParseCase{"DashDashEndsOptions", {"--", "--dump", "-x"}, RunMode::Window, Files{"--dump", "-x"}, "", {}, false},
        ParseCase{"SingleDashIsAFile", {"-"}, RunMode::Window, Files{"-"}, "", {}, false},
        ParseCase{"Export", {"--export", "o.png", "a.pat"}, RunMode::Export, Files{"a.pat"}, "o.png", {}, false},
        ParseCase{"ExportWithSizeAfterFiles", {"--export", "o.bmp", "a.pat", "--size", "1920x1080"}, RunMode::Export, Files{"a.pat"}, "o.bmp", Size{1920, 1080}, false},
        ParseCase{"DumpWithSize", {"--dump", "--size", "0x0", "a.pat"}, RunMode::Dump, Files{"a.pat"}, "", Size{0, 0}, false},
        ParseCase{"Help", {"--help"}, RunMode::Help, {}, "", {}, false},
        ParseCase{"Version", {"--version"}, RunMode::Version, {}, "", {}, false},
        ParseCase{"UnknownOption", {"--frobnicate"}, RunMode::Window, {}, "", {}, true},
        ParseCase{"ExportWithoutPath", {"--export"}, RunMode::Window, {}, "", {}, true},
        ParseCase{"SizeOpensTheWindowAtIt", {"--size", "10x10", "a.pat"}, RunMode::Window, Files{"a.pat"}, "", Size{10, 10}, false},
        ParseCase{"SizeWithHelp", {"--help", "--size", "10x10"}, RunMode::Window, {}, "", {}, true},
        ParseCase{"ExportTwice", {"--export", "a.png", "--export", "b.png", "a.pat"}, RunMode::Window, {}, "", {}, true},
        ParseCase{"SizeWithoutValue", {"--dump", "--size"}, RunMode::Window, {}, "", {}, true},
        ParseCase{"TwoModes", {"--dump", "--export", "o.png"}, RunMode::Window, {}, "", {}, true},
        ParseCase{"SizeTooLarge", {"--dump", "--size", "16385x10"}, RunMode::Window, {}, "", {}, true},
        ParseCase{"SizeWithJunk", {"--dump", "--size", "10x10px"}, RunMode::Window, {}, "", {}, true},
        ParseCase{"SizeWithoutHeight", {"--dump", "--size", "640"}, RunMode::Window, {}, "", {}, true}),
    [](const ::testing::TestParamInfo<ParseCase>& info) { return info.param.name; });
// clang-format on

TEST(ParseCommandLine, SetsChangeTheSettingsInOrderOrRefuseTheLine) {
  const ParsedCommandLine parsed = ParseCommandLine(
      {"--set", "TickX=9", "--dump", "--set", "ScaleOn=0", "a.pat", "--set", "TickX=2"});
  ASSERT_TRUE(parsed.ok()) << parsed.reason();
  EXPECT_EQ(parsed.value().settings.TickX, 2);
  EXPECT_FALSE(parsed.value().settings.ScaleOn);
  EXPECT_EQ(parsed.value().files, std::vector<std::string>{"a.pat"});
  EXPECT_EQ(ParseCommandLine({"--set", "ScaleOn=yes"}).reason(), "ScaleOn takes 1 or 0, not 'yes'");
  EXPECT_EQ(ParseCommandLine({"--set"}).reason(), "--set needs NAME=VALUE");
}

TEST(RunDump, PrintsTheLastAcceptedFileAndNamesTheRejected) {
  PatternDir dir;
  const std::string red = dir.Write("red.pat", DiagonalPattern("(65535,0,0)", 10));
  const std::string text = dir.Write("notes.txt", "plain text\n");
  CommandLine line{RunMode::Dump, "", {}, {red, text}};
  std::ostringstream out, err;
  EXPECT_EQ(RunDump(line, out, err), 1);
  EXPECT_NE(out.str().find("\"name\": \"py\""), std::string::npos) << out.str();
  EXPECT_EQ(out.str().find("\"layout\""), std::string::npos);
  const std::string errors = err.str();
  EXPECT_EQ(errors.find("korvelin: " + text + ": "), 0u) << errors;
  EXPECT_EQ(std::count(errors.begin(), errors.end(), '\n'), 1);

  line.files = {text, red};
  std::ostringstream out2, err2;
  EXPECT_EQ(RunDump(line, out2, err2), 1);
  EXPECT_EQ(out2.str(), out.str());

  line.files = {red};
  std::ostringstream out3, err3;
  EXPECT_EQ(RunDump(line, out3, err3), 0);
  EXPECT_EQ(err3.str(), "");
}

// --scale goes with the headless pictures, from 1 to 4, and the picture it
// asks for stays within the size limit.
TEST(ParseCommandLine, ScaleGoesWithHeadlessPicturesWithinTheSizeLimit) {
  struct Case {
    std::vector<std::string> args;
    double scale;  // 0: the line is refused
  };
  for (const Case& c : std::vector<Case>{
           {{"--export", "o.png", "--scale", "2", "a.pat"}, 2},
           {{"--export", "o.png", "--size", "640x480", "--scale", "1.5", "a.pat"}, 1.5},
           {{"--export-each", "o/{name}.png", "--scale", "4", "a.pat"}, 4},
           {{"--dump", "--size", "100x100", "--scale", "1.25", "a.pat"}, 1.25},
           {{"--export", "o.png", "--size", "4096x4096", "--scale", "4", "a.pat"}, 4},
           {{"--dump", "--scale", "2", "a.pat"}, 0},  // no layout to scale
           {{"--scale", "2", "a.pat"}, 0},            // the window takes the screen's
           {{"--help", "--scale", "2"}, 0},
           {{"--export", "o.png", "--scale", "0.5", "a.pat"}, 0},
           {{"--export", "o.png", "--scale", "4.01", "a.pat"}, 0},
           {{"--export", "o.png", "--scale", "nan", "a.pat"}, 0},
           {{"--export", "o.png", "--scale", "2x", "a.pat"}, 0},
           {{"--export", "o.png", "--scale"}, 0},
           {{"--export", "o.png", "--size", "16384x10", "--scale", "1.01", "a.pat"}, 0},
           {{"--export", "o.png", "--scale", "3", "a.pat"}, 3},  // 640 x 480 unless given
       }) {
    const ParsedCommandLine parsed = ParseCommandLine(c.args);
    const std::string line = ::testing::PrintToString(c.args);
    EXPECT_EQ(parsed.ok(), c.scale != 0) << line << ": " << parsed.reason();
    if (c.scale != 0) {
      EXPECT_EQ(parsed.value().scale, c.scale) << line;
    }
  }
}

// The layout at --scale 2 is the window's on a screen of ratio 2: twice the
// client area, and the reference text measured in the font twice as large.
TEST(RunDump, ScalesTheLayoutToDevicePixels) {
  PatternDir dir;
  const std::string red = dir.Write("red.pat", DiagonalPattern());
  CommandLine line{RunMode::Dump, "", Size{640, 480}, {red}};
  std::ostringstream one, two, err;
  ASSERT_EQ(RunDump(line, one, err), 0);
  line.scale = 2;
  ASSERT_EQ(RunDump(line, two, err), 0);
  EXPECT_NE(two.str().find("\"client\": [1280, 960]"), std::string::npos) << two.str();
  document::GraphDocument doc;
  PlotView view(doc);
  view.Layout({640, 480});
  const render::TextSize small = view.MeasureReference();
  view.SetPixelRatio(2);
  view.Layout({1280, 960});
  const render::TextSize large = view.MeasureReference();
  EXPECT_NEAR(large.width, 2 * small.width, 3);
  EXPECT_NEAR(large.height, 2 * small.height, 3);
  EXPECT_NE(two.str().find("\"label\": [" + std::to_string(large.width)), std::string::npos);
}

// At --scale 2 the picture has twice the pixels and says twice the
// resolution, so a document places it at the window's size.
TEST(RunExport, AtScaleTwoWritesTwiceThePixelsAndTheirResolution) {
  PatternDir dir;
  const std::string red = dir.Write("red.pat", DiagonalPattern());
  for (const double scale : {1.0, 2.0}) {
    CommandLine line{RunMode::Export, dir.Path("out.png"), Size{320, 200}, {red}};
    line.scale = scale;
    std::ostringstream err;
    ASSERT_EQ(RunExport(line, err), 0) << err.str();
    QFile file(QString::fromStdString(dir.Path("out.png")));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    const qsizetype at = bytes.indexOf("pHYs");
    ASSERT_GT(at, 0);
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.constData() + at + 4);
    const uint32_t per_metre = uint32_t{p[0]} << 24 | uint32_t{p[1]} << 16 | p[2] << 8 | p[3];
    EXPECT_EQ(per_metre, scale == 1 ? 3780u : 7559u);
    EXPECT_EQ(QImage(QString::fromStdString(dir.Path("out.png"))).size(), QSize(320, 200) * scale);
  }
}

TEST(RunDump, AddsTheLayoutTheWindowWouldHave) {
  PatternDir dir;
  const std::string red = dir.Write("red.pat", DiagonalPattern());
  const CommandLine line{RunMode::Dump, "", Size{800, 600}, {red}};
  std::ostringstream out, err;
  EXPECT_EQ(RunDump(line, out, err), 0);

  document::GraphDocument doc;
  TMainForm form(doc, {{red}, {800, 600}});
  const render::TextSize label = form.MeasureReference();
  const document::PixelRect& p = doc.PlotRect;
  std::ostringstream expected;
  expected << "\"layout\": {\"client\": [800, 600], \"label\": [" << label.width << ", "
           << label.height << "], \"plot_rect\": [" << p.Left << ", " << p.Top << ", " << p.Right
           << ", " << p.Bottom << "]}";
  EXPECT_NE(out.str().find(expected.str()), std::string::npos) << out.str();
}

TEST(RunExport, WritesWhatTheWindowShowsAndKeepsTheRasterExact) {
  PatternDir dir;
  const std::string red = dir.Write("red.pat", DiagonalPattern("(65535,0,0)", 10));
  const std::string blue = dir.Write("blue.pat", DiagonalPattern("(0,0,65535)", 12));
  for (const char* name : {"out.png", "out.bmp"}) {
    const CommandLine line{RunMode::Export, dir.Path(name), Size{700, 450}, {red, blue}};
    std::ostringstream err;
    ASSERT_EQ(RunExport(line, err), 0) << err.str();
    const QImage written(QString::fromStdString(dir.Path(name)));
    ASSERT_EQ(written.size(), QSize(700, 450)) << name;

    document::GraphDocument doc;
    TMainForm form(doc, {{red, blue}, {700, 450}});
    EXPECT_EQ(FirstDifferenceFromRaster(written, form.Raster(), doc.PlotRect), -1) << name;
    EXPECT_EQ(testing::PixelsOf(written), form.Picture()) << name;
    EXPECT_GT(CountColour(written, doc.PlotRect, 0x0000FF), 20);
  }
}

TEST(RunExport, StillWritesThePictureWhenAFileIsRejected) {
  PatternDir dir;
  const std::string red = dir.Write("red.pat", DiagonalPattern());
  const std::string missing = dir.Path("missing.pat");
  const CommandLine line{RunMode::Export, dir.Path("out.png"), {}, {red, missing}};
  std::ostringstream err;
  EXPECT_EQ(RunExport(line, err), 1);
  EXPECT_EQ(err.str().find("korvelin: " + missing + ": "), 0u) << err.str();
  const QImage written(QString::fromStdString(dir.Path("out.png")));
  ASSERT_EQ(written.size(), QSize(640, 480));
  EXPECT_GT(CountColour(written, {0, 0, 640, 480}, 0xFF0000), 20);
}

TEST(RunExport, RefusesUnknownFormatsEmptySizesAndUnwritablePaths) {
  PatternDir dir;
  std::ostringstream err;
  EXPECT_EQ(RunExport({RunMode::Export, dir.Path("out.jpg"), {}, {}}, err), 2);
  EXPECT_EQ(RunExport({RunMode::Export, dir.Path("out.png"), Size{0, 10}, {}}, err), 2);
  EXPECT_EQ(RunExport({RunMode::Export, dir.Path("no/such/out.png"), {}, {}}, err), 1);
  EXPECT_NE(err.str().find("no/such/out.png"), std::string::npos);
}

}  // namespace
}  // namespace korvelin::ui
