// The main window on the offscreen platform: layout, loads, drop and redraw.

#include <gtest/gtest.h>
#include <unistd.h>

#include <QApplication>
#include <QDropEvent>
#include <QFontInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QMimeData>
#include <QMouseEvent>
#include <QResizeEvent>
#include <QUrl>
#include <functional>
#include <stdexcept>

#include "document/GraphDocument.h"
#include "platform/ApplicationTitle.h"
#include "platform/MessageBoxes.h"
#include "platform/PictureControl.h"
#include "ui/FakeServices.h"
#include "ui/MainUnit.h"
#include "ui/PatternFiles.h"
#include "ui/WindowFixture.h"

namespace korvelin::ui {
namespace {

using document::PixelRect;
using korvelin::testing::CountColour;
using korvelin::testing::DiagonalPattern;
using korvelin::testing::FirstDifferenceFromRaster;
using korvelin::testing::PatternDir;

// The files each window of a test loads: red.pat, a diagonal to 10.
class WindowFiles : public ::testing::Test {
 protected:
  PatternDir dir_;
  const std::string red_ = dir_.Write("red.pat", DiagonalPattern("(65535,0,0)", 10));
  document::GraphDocument doc_;
};
class CommandLineFiles : public WindowFiles {};
class FileDrop : public WindowFiles {};
class FormResize : public WindowFiles {};
class LoadFile : public WindowFiles {};

// The paths of the window's loads, in order.
std::vector<std::string> LoadedPaths(const TMainForm& form) {
  std::vector<std::string> paths;
  for (const document::LoadRecord& load : form.Loads()) paths.push_back(load.path);
  return paths;
}

// The layout arithmetic itself is tested in the core; the window lays out
// through it at its client area's size and builds picture and surface.
TEST(FormLayout, PlacesPlotAndSizesSurface) {
  document::GraphDocument doc;
  FixedMeasurer measurer;
  TMainForm form(doc, {{}, {640, 480}, &measurer});
  EXPECT_EQ(doc.PlotRect, (PixelRect{60, 14, 612, 448}));
  EXPECT_EQ(doc.ClientSize, (document::PixelSize{640, 480}));
  EXPECT_EQ(QSize(form.Raster().Width(), form.Raster().Height()), QSize(552, 434));
  EXPECT_EQ(form.Picture().size(), QSize(640, 480));
  EXPECT_EQ(std::pair(form.Raster().PaletteEntry(0), form.Raster().PaletteEntry(1)),
            std::pair(0xFFFFFFu, 0x000000u));
}

TEST(FormWithRealFont, KeepsLayoutInvariantsAtManySizes) {
  document::GraphDocument doc;
  TMainForm form(doc);
  const QFontInfo font(form.font());
  EXPECT_EQ(font.pixelSize(), 16);
  EXPECT_EQ(font.family(), "Liberation Serif");

  const render::TextSize label = form.MeasureReference();
  EXPECT_GT(label.width, 30);
  EXPECT_GT(label.height, 10);
  for (QSize client : {QSize(640, 480), QSize(333, 257), QSize(1001, 99), QSize(10, 10),
                       QSize(0, 0), QSize(1920, 1080), QSize(640, 480)}) {
    form.SetClientSize(client);
    const PixelRect& plot = doc.PlotRect;
    const int width = plot.Right - plot.Left;
    const int height = plot.Bottom - plot.Top;
    EXPECT_EQ(width % 4, 0) << client.width();
    EXPECT_GE(width, 64);
    EXPECT_GE(height, 64);
    EXPECT_EQ(plot.Left, label.width + doc.Settings.DistanceY);
    EXPECT_EQ(plot.Top, 3 * label.height / 4);
    EXPECT_LE(client.width() - plot.Right - label.width / 2, width < 65 ? 0 : 3);
    EXPECT_EQ(form.Picture().size(), client);
  }
}

TEST(FormComponents, HaveTheirNamesAndTheImageCoversTheClientArea) {
  document::GraphDocument doc;
  TMainForm form(doc, {{}, {500, 300}});
  EXPECT_EQ(form.windowTitle(), "KORVELIN");
  auto* label = form.findChild<QLabel*>("LabelX");
  ASSERT_NE(label, nullptr);
  EXPECT_TRUE(label->isHidden());
  auto* image = form.findChild<platform::PictureControl*>("Image");
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(image->geometry(), QRect(0, 0, 500, 300));
  EXPECT_EQ(image->Picture().size(), QSize(500, 300));
  EXPECT_FALSE(image->isHidden());
}

TEST(FormCreate, SetsEveryDefaultAndStartsEmpty) {
  document::GraphDocument doc;
  doc.Settings.ScaleOn = false;
  doc.AxisRange = {1, 2, 3, 4};
  doc.WaveCount = 3;
  TMainForm form(doc);
  EXPECT_TRUE(doc.Settings.ScaleOn);
  EXPECT_EQ(doc.AxisRange, document::kDefaultAxisRange);
  EXPECT_EQ(doc.AxisHistory[15], document::kDefaultAxisRange);
  EXPECT_EQ(doc.WaveCount, 0);
  EXPECT_TRUE(form.Loads().empty());
  // The empty document still shows its frame: the plot's top-left pixel is black.
  EXPECT_EQ(form.Picture().pixel(doc.PlotRect.Left, doc.PlotRect.Top) & 0xFFFFFF, 0u);
}

TEST_F(CommandLineFiles, LoadInOrderAfterTheFirstLayout) {
  const std::string blue = dir_.Write("blue.pat", DiagonalPattern("(0,0,65535)", 20));
  platform::SetApplicationTitle("");
  TMainForm form(doc_, {{red_, blue}, {640, 480}});
  EXPECT_EQ(LoadedPaths(form), (std::vector<std::string>{red_, blue}));
  EXPECT_EQ(doc_.AxisRange.Right, 20);
  EXPECT_EQ(platform::ApplicationTitle(), "KORVELIN");
  // Drawn at the window's layout: the second file's blue is in the plot, no red.
  EXPECT_GT(CountColour(form.Picture(), doc_.PlotRect, 0x0000FF), 20);
  EXPECT_EQ(CountColour(form.Picture(), doc_.PlotRect, 0xFF0000), 0);
  EXPECT_EQ(FirstDifferenceFromRaster(form.Picture(), form.Raster(), doc_.PlotRect), -1);
}

TEST_F(CommandLineFiles, RejectedSecondFileLeavesTheFirst) {
  const std::string text = dir_.Write("notes.txt", "just some notes\r\n1 2\r\n");
  TMainForm form(doc_, {{red_, text, dir_.Path("missing.pat")}, {640, 480}});
  ASSERT_EQ(form.Loads().size(), 3u);
  EXPECT_TRUE(form.Loads()[0].result.accepted());
  EXPECT_EQ(form.Loads()[1].result.status, document::LoadStatus::NotPattern);
  EXPECT_EQ(form.Loads()[2].result.status, document::LoadStatus::CannotOpen);
  EXPECT_EQ(doc_.TraceCount, 1);
  EXPECT_GT(CountColour(form.Picture(), doc_.PlotRect, 0xFF0000), 20);
}

QMimeData* FileUrls(const std::vector<std::string>& paths) {
  auto* mime = new QMimeData;
  QList<QUrl> urls;
  for (const std::string& path : paths)
    urls.push_back(QUrl::fromLocalFile(QString::fromStdString(path)));
  urls.push_back(QUrl("https://example.org/not-a-local-file.pat"));
  mime->setUrls(urls);
  return mime;
}

TEST_F(FileDrop, LoadsDroppedFilesInTheirOrder) {
  const std::string text = dir_.Write("notes.txt", "no header\r\n");
  const std::string blue = dir_.Write("blue.pat", DiagonalPattern("(0,0,65535)", 30));
  TMainForm form(doc_);
  std::unique_ptr<QMimeData> mime(FileUrls({red_, text, blue}));
  QDragEnterEvent enter(QPoint(100, 100), Qt::CopyAction, mime.get(), Qt::LeftButton,
                        Qt::NoModifier);
  enter.setAccepted(false);
  QApplication::sendEvent(&form, &enter);
  EXPECT_TRUE(enter.isAccepted());
  QDropEvent drop(QPointF(100, 100), Qt::CopyAction, mime.get(), Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(&form, &drop);
  EXPECT_EQ(LoadedPaths(form), (std::vector<std::string>{red_, text, blue}));
  EXPECT_EQ(doc_.AxisRange.Right, 30);
  EXPECT_GT(CountColour(form.Picture(), doc_.PlotRect, 0x0000FF), 20);
}

TEST_F(FileDrop, ReachesTheWindowThroughItsChildrenButNotOtherWindows) {
  TMainForm form(doc_);
  QWidget other;
  std::unique_ptr<QMimeData> mime(FileUrls({red_}));

  other.setAcceptDrops(true);
  SendDrop(&other, *mime);
  EXPECT_TRUE(form.Loads().empty());

  SendDrop(form.findChild<QWidget*>("Image"), *mime);
  ASSERT_EQ(form.Loads().size(), 1u);
  EXPECT_TRUE(form.Loads()[0].result.accepted());
}

TEST_F(FileDrop, PassesPathsLongerThan511CharactersWhole) {
  // Three folders of 200 characters: a path of more than 600 characters.
  std::string folder = dir_.Path("");
  for (char c : {'a', 'b', 'c'}) {
    folder += "/" + std::string(200, c);
    ASSERT_TRUE(QDir().mkpath(QString::fromStdString(folder)));
  }
  const std::string path = folder + "/deep.pat";
  std::ofstream(path, std::ios::binary) << DiagonalPattern();
  ASSERT_GT(path.size(), 600u);
  TMainForm form(doc_);
  std::unique_ptr<QMimeData> mime(FileUrls({path}));
  SendDrop(&form, *mime);
  ASSERT_EQ(LoadedPaths(form), std::vector<std::string>{path});
  EXPECT_TRUE(form.Loads()[0].result.accepted());
}

TEST_F(FormResize, RecreatesSurfaceAndRedrawsAtTheNewSize) {
  FixedMeasurer measurer;
  TMainForm form(doc_, {{red_}, {640, 480}, &measurer});
  const uint8_t* old_block = form.Raster().Block();
  form.SetClientSize({900, 700});
  EXPECT_EQ(doc_.PlotRect, (PixelRect{60, 14, 60 + 812, 14 + 654}));
  EXPECT_EQ(QSize(form.Raster().Width(), form.Raster().Height()), QSize(812, 654));
  EXPECT_NE(form.Raster().Block(), old_block);
  EXPECT_EQ(form.Picture().size(), QSize(900, 700));
  EXPECT_GT(CountColour(form.Picture(), doc_.PlotRect, 0xFF0000), 20);
  EXPECT_EQ(FirstDifferenceFromRaster(form.Picture(), form.Raster(), doc_.PlotRect), -1);
}

TEST_F(FormResize, ShownWindowFollowsItsClientAreaDownToOnePixelAndBack) {
  TMainForm form(doc_, {{red_}, {640, 480}});
  form.show();
  QApplication::processEvents();
  for (QSize client : {QSize(1, 1), QSize(3, 2), QSize(700, 500)}) {
    form.SetClientSize(client);
    QApplication::processEvents();
    EXPECT_EQ(form.ClientSize(), client);
    EXPECT_EQ(form.Picture().size(), client);
    EXPECT_EQ(doc_.ClientSize, (document::PixelSize{client.width(), client.height()}));
    EXPECT_GE(form.Raster().Width(), 64);
  }
  EXPECT_GT(CountColour(form.Picture(), doc_.PlotRect, 0xFF0000), 20);
  EXPECT_EQ(FirstDifferenceFromRaster(form.Picture(), form.Raster(), doc_.PlotRect), -1);
}

using CountingBoxes = korvelin::testing::RecordingBoxes;

// A file read only in part is shown as far as it was read, and the user
// hears why once, with the file named; a rejected file is not mentioned by
// the window. A command-line file's box waits until the window is shown.
TEST_F(LoadFile, AFileReadInPartIsShownAndReportedOnce) {
  const std::string path = dir_.Write("long.pat", "IGOR\r\nWAVES a\r\nBEGIN\r\n1\r\n2\r\n");
  ASSERT_EQ(truncate(path.c_str(), off_t{100} << 20), 0);
  CountingBoxes boxes;
  MainFormOptions options{{path, dir_.Path("missing.pat")}, {640, 480}};
  options.services.boxes = &boxes;
  TMainForm form(doc_, options);
  ASSERT_EQ(form.Loads().size(), 2u);
  EXPECT_EQ(form.Loads()[0].result.status, document::LoadStatus::Incomplete);
  EXPECT_EQ(doc_.Waves[0].count, 2);
  EXPECT_EQ(boxes.errors.size(), 0u) << "no box before the window";
  form.show();
  for (int i = 0; i < 10 && boxes.errors.empty(); ++i) QCoreApplication::processEvents();
  ASSERT_EQ(boxes.errors.size(), 1u);
  EXPECT_EQ(boxes.errors[0].find(path + ": line 6 is longer than 64 MiB"), 0u) << boxes.errors[0];
  form.hide();
  form.AppMessage({path});  // a dropped file's box comes at once
  EXPECT_EQ(boxes.errors.size(), 2u);
}

// A file saved by another program is drawn through the second reading; one
// that still shows nothing says so in the plot area until a trace shows.
TEST_F(LoadFile, AFileThatShowsNothingSaysSoInThePlotArea) {
  const std::string saved = dir_.Write(
      "saved.pat",
      "IGOR\nWAVES/D 'Scan 1'\nBEGIN\n1\n4\n9\nEND\nX SetScale/P x 0,0.5,\"\", 'Scan 1'\n");
  const std::string cube =
      dir_.Write("cube.pat", "IGOR\nWAVES/D/N=(2,2,2) cube\nBEGIN\n1 2\n3 4\n\n5 6\n7 8\nEND\n");
  TMainForm form(doc_, {{saved}, {640, 480}});
  EXPECT_TRUE(form.Loads()[0].saved.fallback);
  EXPECT_EQ(doc_.AxisRange.Right, 1.0) << "fitted to the x scale";
  // With a trace to show, a notice is not drawn.
  const QImage traced = form.Picture();
  form.View().SetNotice("a notice");
  form.DrawScreenPlot();
  EXPECT_EQ(form.Picture(), traced);

  form.LoadFile(cube);
  EXPECT_TRUE(form.Loads()[1].saved.shows_nothing);
  const QImage noticed = form.Picture();
  form.FormResize();
  EXPECT_EQ(form.Picture(), noticed) << "the notice stays while nothing shows";
  form.View().SetNotice("");
  form.DrawScreenPlot();
  // The middle of the plot, away from the frame and the ticks.
  const PixelRect plot = doc_.PlotRect;
  const PixelRect middle{plot.Left + 20, plot.Top + 20, plot.Right - 20, plot.Bottom - 20};
  const int inside = (middle.Right - middle.Left) * (middle.Bottom - middle.Top);
  EXPECT_EQ(CountColour(form.Picture(), middle, 0xFFFFFF), inside);
  EXPECT_LT(CountColour(noticed, middle, 0xFFFFFF), inside - 100) << "the notice was there";
}

// A measurer that fails once when armed, as a font that cannot be measured
// or a picture that cannot be allocated fails in the middle of an event.
class FailingMeasurer : public FixedMeasurer {
 public:
  render::TextSize Measure(std::string_view text) override {
    if (armed) {
      armed = false;
      throw std::runtime_error("the font cannot be measured");
    }
    return FixedMeasurer::Measure(text);
  }
  bool armed = false;
};

struct EventCase {
  const char* name;
  std::function<void(TMainForm&, QWidget& client, QWidget& image, const std::string& file)> event;
  bool keeps_picture;  // a failed layout keeps the last good picture whole
};

class FailingEvent : public WindowFiles, public ::testing::WithParamInterface<EventCase> {};

// Whatever an event handler runs, an error shows the standard box once, the
// picture stays shown, and the window goes on: the next resize draws.
TEST_P(FailingEvent, ShowsTheBoxOnceAndTheWindowGoesOn) {
  FailingMeasurer measurer;
  korvelin::testing::FakeServices fakes;
  MainFormOptions options{{red_}, {640, 480}, &measurer};
  options.services = fakes.Services(nullptr);
  TMainForm form(doc_, options);
  QWidget* client = form.findChild<QWidget*>("ClientArea");
  QWidget* image = form.findChild<QWidget*>("Image");
  ASSERT_TRUE(client != nullptr && image != nullptr);
  const QImage before = form.Picture().copy();

  measurer.armed = true;
  GetParam().event(form, *client, *image, red_);
  EXPECT_EQ(fakes.boxes.errors, std::vector<std::string>{"the font cannot be measured"});
  EXPECT_FALSE(image->isHidden());
  if (GetParam().keeps_picture) {
    EXPECT_EQ(form.Picture(), before);
    EXPECT_EQ(doc_.ClientSize, (document::PixelSize{640, 480}));
  }
  form.SetClientSize({500, 400});
  EXPECT_EQ(form.Picture().size(), QSize(500, 400));
  EXPECT_GT(CountColour(form.Picture(), doc_.PlotRect, 0x000000), 500);  // frame and numbers
  EXPECT_EQ(fakes.boxes.errors.size(), 1u);
}

void SendMouse(QWidget& image, QEvent::Type type, Qt::MouseButton button, QPoint at) {
  QMouseEvent event(type, at, image.mapToGlobal(QPointF(at)), button,
                    type == QEvent::MouseButtonPress ? button : Qt::NoButton, Qt::NoModifier);
  QApplication::sendEvent(&image, &event);
}

INSTANTIATE_TEST_SUITE_P(
    Table, FailingEvent,
    ::testing::Values(
        EventCase{"Resize",
                  [](TMainForm&, QWidget& client, QWidget&, const std::string&) {
                    QResizeEvent resize(QSize(700, 500), client.size());
                    QApplication::sendEvent(&client, &resize);
                  },
                  true},
        EventCase{"ZoomRelease",
                  [](TMainForm&, QWidget&, QWidget& image, const std::string&) {
                    SendMouse(image, QEvent::MouseButtonPress, Qt::LeftButton, {100, 100});
                    SendMouse(image, QEvent::MouseMove, Qt::NoButton, {300, 250});
                    SendMouse(image, QEvent::MouseButtonRelease, Qt::LeftButton, {300, 250});
                  },
                  false},
        EventCase{"DialogApply",
                  [](TMainForm& form, QWidget&, QWidget&, const std::string&) {
                    form.miModifyClick();  // shown, so its fields hold the settings
                    form.FormModify().TimerTimer();
                  },
                  true},
        EventCase{"Drop",
                  [](TMainForm& form, QWidget&, QWidget&, const std::string& file) {
                    std::unique_ptr<QMimeData> mime(FileUrls({file}));
                    SendDrop(&form, *mime);
                  },
                  false}),
    [](const ::testing::TestParamInfo<EventCase>& info) { return info.param.name; });

}  // namespace
}  // namespace korvelin::ui
