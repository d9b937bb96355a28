// The real program's window on an X server (Xvfb), read back from the
// screen: the picture at the client's top-left equals the headless export,
// at ratio 1 and at ratio 2; the title and the shortcuts; the rubber band's
// four sides while dragging in every direction. Every wait has a deadline
// and looks for what it checks, so a loaded machine only makes it slower.

#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QProcess>
#include <QScreen>
#include <QStandardPaths>
#include <QThread>
#include <cmath>
#include <functional>

#include "PixelsOf.h"
#include "document/IgorReader.h"
#include "render/MouseZoom.h"
#include "render/PlotMapping.h"
#include "ui/PatternFiles.h"
#include "ui/PlotView.h"
#include "ui/ProgramRun.h"

namespace korvelin::ui {
namespace {

using korvelin::testing::DiagonalPattern;
using korvelin::testing::PatternDir;

// How long anything on the screen may take to appear, however busy the
// machine: far more than it ever takes, and only spent when a check fails.
constexpr int kDeadlineMs = 30000;

// Polls until done() holds or the deadline passes; whether it held.
bool WaitUntil(const std::function<bool()>& done, int deadline_ms = kDeadlineMs) {
  QElapsedTimer clock;
  clock.start();
  while (!done()) {
    if (clock.elapsed() > deadline_ms) return false;
    QThread::msleep(40);
  }
  return true;
}

// Started by the tests below as a separate process on the X server: grabs
// the whole screen into the file KORVELIN_GRAB_OUT names.
TEST(ProgramUnderXvfb, DISABLED_GrabScreen) {
  const QString path = qEnvironmentVariable("KORVELIN_GRAB_OUT");
  ASSERT_FALSE(path.isEmpty());
  QScreen* screen = QGuiApplication::primaryScreen();
  ASSERT_NE(screen, nullptr);
  ASSERT_TRUE(screen->grabWindow(0).save(path, "PNG"));
}

class XServer {
 public:
  ~XServer() { Stop(server_); }
  bool Start(const QString& xvfb, const QString& screen = "1024x768x24") {
    for (int n = 71; n < 120; ++n) {
      if (QFile::exists(QString("/tmp/.X%1-lock").arg(n))) continue;
      if (QFile::exists(QString("/tmp/.X11-unix/X%1").arg(n))) continue;
      server_.start(xvfb, {QString(":%1").arg(n), "-screen", "0", screen, "-nolisten", "tcp"});
      server_.waitForStarted(5000);
      const QString socket = QString("/tmp/.X11-unix/X%1").arg(n);
      if (WaitUntil([&] { return QFile::exists(socket) || server_.state() != QProcess::Running; },
                    10000) &&
          server_.state() == QProcess::Running) {
        display_ = QString(":%1").arg(n);
        return true;
      }
      Stop(server_);
    }
    return false;
  }
  const QString& Display() const { return display_; }
  static void Stop(QProcess& process) {
    if (process.state() == QProcess::NotRunning) return;
    process.terminate();
    if (!process.waitForFinished(5000)) process.kill();
    process.waitForFinished(5000);
  }

 private:
  QProcess server_;
  QString display_;
};

QImage GrabScreen(const QString& display, const QString& path) {
  QProcess grab;
  grab.setProcessEnvironment(
      Environment({"DISPLAY=" + display, "QT_QPA_PLATFORM=xcb", "KORVELIN_GRAB_OUT=" + path}));
  grab.start(
      QFileInfo(QString("/proc/self/exe")).symLinkTarget(),
      {"--gtest_also_run_disabled_tests", "--gtest_filter=ProgramUnderXvfb.DISABLED_GrabScreen"});
  if (!grab.waitForFinished(20000) || grab.exitCode() != 0) return {};
  return QImage(path).convertToFormat(QImage::Format_RGB32);
}

// Runs xdotool on the display; its standard output, trimmed.
QString XDoTool(const QString& display, const QStringList& args) {
  QProcess tool;
  tool.setProcessEnvironment(Environment({"DISPLAY=" + display}));
  tool.start("xdotool", args);
  if (!tool.waitForFinished(10000)) return {};
  return QString::fromLocal8Bit(tool.readAllStandardOutput()).trimmed();
}

bool IsBlack(QRgb pixel) { return (pixel & 0xFFFFFF) == 0; }
bool IsRed(QRgb pixel) { return (pixel & 0xFFFFFF) == 0xFF0000; }
bool IsInk(QRgb pixel) { return qGray(pixel) < 128; }

// Length of the black run through (x, y), vertically or horizontally.
int BlackRun(const QImage& image, int x, int y, bool vertical) {
  if (!IsBlack(image.pixel(x, y))) return 0;
  int length = 1;
  for (int step : {-1, 1}) {
    for (int i = step;; i += step) {
      const int px = vertical ? x : x + i;
      const int py = vertical ? y + i : y;
      if (!image.valid(px, py) || !IsBlack(image.pixel(px, py))) break;
      ++length;
    }
  }
  return length;
}

// Walks from (x, y) by (dx, dy) to the first pixel of a frame side: a black
// line at least 48 pixels long across the walk (tick marks are shorter).
int FindFrame(const QImage& image, int x, int y, int dx, int dy) {
  while (image.valid(x, y)) {
    if (BlackRun(image, x, y, dx != 0) >= 48) return dx != 0 ? x : y;
    x += dx;
    y += dy;
  }
  return -1;
}

// The plot's frame around a point inside it; empty when none is found.
QRect FindPlot(const QImage& image, QPoint inside) {
  const int left = FindFrame(image, inside.x(), inside.y(), -1, 0);
  const int right = FindFrame(image, inside.x(), inside.y(), 1, 0);
  const int top = FindFrame(image, inside.x(), inside.y(), 0, -1);
  const int bottom = FindFrame(image, inside.x(), inside.y(), 0, 1);
  if (left < 0 || right <= left || top < 0 || bottom <= top) return {};
  return QRect(QPoint(left, top), QPoint(right, bottom));
}

// The smallest rectangle around the trace's colour: inside the plot.
QRect RedBounds(const QImage& screen) {
  QRect trace;
  for (int y = 0; y < screen.height(); ++y) {
    const auto* line = reinterpret_cast<const QRgb*>(screen.constScanLine(y));
    for (int x = 0; x < screen.width(); ++x) {
      if (IsRed(line[x])) trace |= QRect(x, y, 1, 1);
    }
  }
  return trace;
}

// The program's window showing a file on its own X server, and where its
// picture lies on the screen, found from the plot's frame: the layout a
// headless view gives the same file at the same size and ratio.
class ShownWindow {
 public:
  ShownWindow(const QString& xvfb, double ratio, const QString& screen = "1024x768x24")
      : ratio_(ratio) {
    if (!server_.Start(xvfb, screen)) return;
    red_ = dir_.Write("red.pat", DiagonalPattern());
    grab_path_ = QString::fromStdString(dir_.Path("screen.png"));
    QStringList env = {"DISPLAY=" + server_.Display()};
    if (ratio != 1) env << "QT_SCALE_FACTOR=" + QString::number(ratio);
    program_.setProcessEnvironment(Environment(env));
    program_.start(Binary(), {"--size", "640x480", QString::fromStdString(red_)});
    if (!document::LoadPatternFile(doc_, red_).accepted()) return;
    PlotView view(doc_);
    view.SetPixelRatio(ratio);
    view.Layout(DevicePixels({640, 480}, ratio));
    const QSize plot_size(doc_.PlotRect.Right - doc_.PlotRect.Left,
                          doc_.PlotRect.Bottom - doc_.PlotRect.Top);
    QRect plot;
    WaitUntil([&] {
      first_ = Grab();
      if (!first_.isNull()) plot = FindPlot(first_, RedBounds(first_).center());
      return plot.size() == plot_size;
    });
    if (plot.size() != plot_size) return;
    origin_ = plot.topLeft() - QPoint(doc_.PlotRect.Left, doc_.PlotRect.Top);
    picture_ = QRect(origin_, QSize(doc_.ClientSize.Width, doc_.ClientSize.Height));
    found_ = true;
  }
  ~ShownWindow() { XServer::Stop(program_); }

  // The program's peak resident memory so far, in MiB (0 when unknown).
  long PeakMiB() const {
    QFile status(QString("/proc/%1/status").arg(program_.processId()));
    if (!status.open(QIODevice::ReadOnly)) return 0;
    for (const QByteArray& line : status.readAll().split('\n')) {
      if (line.startsWith("VmHWM:")) return line.mid(6).trimmed().split(' ')[0].toLong() / 1024;
    }
    return 0;
  }

  bool Found() const { return found_; }
  QImage Grab() { return GrabScreen(server_.Display(), grab_path_); }
  // The picture as the screen shows it.
  QImage Picture() { return Grab().copy(picture_); }
  const QImage& First() const { return first_; }
  QRect PictureRect() const { return picture_; }
  const document::GraphDocument& Doc() const { return doc_; }
  PatternDir& Dir() { return dir_; }
  const std::string& File() const { return red_; }
  QString Tool(const QStringList& args) { return XDoTool(server_.Display(), args); }
  // The X window whose title starts with the caption; empty when none shows.
  QString WindowId() {
    QString id;
    WaitUntil([&] {
      id = Tool({"search", "--name", "^KORVELIN"}).section('\n', 0, 0);
      return !id.isEmpty();
    });
    return id;
  }
  // Moves the pointer onto picture pixel (x, y).
  void MoveTo(QPoint at) {
    Tool({"mousemove", QString::number(origin_.x() + at.x()),
          QString::number(origin_.y() + at.y())});
  }

 private:
  XServer server_;
  PatternDir dir_;
  QProcess program_;
  double ratio_;
  std::string red_;
  QString grab_path_;
  document::GraphDocument doc_;
  QImage first_;
  QPoint origin_;
  QRect picture_;
  bool found_ = false;
};

QString Xvfb() { return QStandardPaths::findExecutable("Xvfb"); }
bool HaveXDoTool() { return !QStandardPaths::findExecutable("xdotool").isEmpty(); }

TEST(ProgramUnderXvfb, ShowsTheTraceInsideThePlotAndNumbersOutside) {
  if (Xvfb().isEmpty()) GTEST_SKIP() << "Xvfb is not installed";
  ShownWindow window(Xvfb(), 1);
  ASSERT_TRUE(window.Found()) << "no plot of the expected size on the screen";
  const QImage& screen = window.First();
  const QRect trace = RedBounds(screen);
  ASSERT_FALSE(trace.isEmpty()) << "no trace colour on the screen";
  const QRect plot = FindPlot(screen, trace.center());
  ASSERT_FALSE(plot.isEmpty());
  EXPECT_TRUE(plot.contains(trace)) << "the trace leaves the plot area";

  // The y numbers stand left of the frame and the x numbers below it,
  // inside the window's margins (about 58 and 31 pixels).
  int ink_left = 0;
  int ink_below = 0;
  for (int y = plot.top(); y <= plot.bottom(); ++y) {
    for (int x = std::max(0, plot.left() - 40); x < plot.left(); ++x) {
      ink_left += IsInk(screen.pixel(x, y));
    }
  }
  for (int y = plot.bottom() + 1; y < std::min(screen.height(), plot.bottom() + 25); ++y) {
    for (int x = plot.left(); x <= plot.right(); ++x) ink_below += IsInk(screen.pixel(x, y));
  }
  EXPECT_GT(ink_left, 50);
  EXPECT_GT(ink_below, 50);
}

// The headless export of the window's client size is the window's picture
// pixel for pixel, wherever the client area lies on the screen: on a screen
// of ratio 1, and on one of ratio 2 against --scale 2 (sharp lines one
// device pixel wide and numbers drawn at twice the size, not a doubled
// picture).
// "Ratio125" for the ratio 1.25.
std::string RatioName(const ::testing::TestParamInfo<double>& info) {
  return "Ratio" + std::to_string(static_cast<int>(info.param * 100));
}

class WindowEqualsExport : public ::testing::TestWithParam<double> {};

TEST_P(WindowEqualsExport, PixelForPixel) {
  if (Xvfb().isEmpty()) GTEST_SKIP() << "Xvfb is not installed";
  const double ratio = GetParam();
  ShownWindow window(Xvfb(), ratio, "1600x1200x24");
  ASSERT_TRUE(window.Found()) << "no plot of the expected size on the screen";
  const QString exported = QString::fromStdString(window.Dir().Path("export.png"));
  ASSERT_EQ(RunProgram({"--export", exported, "--size", "640x480", "--scale",
                        QString::number(ratio), QString::fromStdString(window.File())},
                       Environment())
                .exit_code,
            0);
  const QImage picture = testing::PixelsOf(QImage(exported));
  ASSERT_EQ(picture.size(), window.PictureRect().size());
  const QImage shown = window.First().copy(window.PictureRect());
  if (shown != picture) shown.save(QString::fromStdString(window.Dir().Path("")) + "/../shown.png");
  EXPECT_EQ(shown, picture);
}

INSTANTIATE_TEST_SUITE_P(Ratios, WindowEqualsExport, ::testing::Values(1.0, 2.0, 1.5, 1.25),
                         RatioName);

// The caption as the window system reports it, the way a window list and
// scripts see it; the mouse and the keyboard as a user drives them, on an X
// server with no window manager to give the window its focus.
TEST(ProgramUnderXvfb, TheTitleIsExactlyTheCaptionAndShortcutsWorkAtOnce) {
  if (Xvfb().isEmpty() || !HaveXDoTool()) GTEST_SKIP() << "Xvfb or xdotool is not installed";
  ShownWindow window(Xvfb(), 1);
  ASSERT_TRUE(window.Found()) << "no plot of the expected size on the screen";
  const QString id = window.WindowId();
  ASSERT_FALSE(id.isEmpty()) << "no window";
  EXPECT_EQ(window.Tool({"getwindowname", id}), "KORVELIN");

  const document::GraphDocument& doc = window.Doc();
  render::MouseState expected;
  const QPoint at(doc.PlotRect.Left + 100, doc.PlotRect.Top + 100);
  render::PixelToData(at.x(), at.y(), doc.PlotRect, doc.AxisRange, expected.MouseDataX,
                      expected.MouseDataY);
  const QString caption = QString::fromStdString(render::ReadoutCaption(expected, '.'));
  ASSERT_TRUE(caption.startsWith("KORVELIN( ")) << caption.toStdString();
  window.MoveTo(at);
  EXPECT_TRUE(WaitUntil([&] { return window.Tool({"getwindowname", id}) == caption; }));

  // A drag zooms; Ctrl+U, sent with no window manager running, undoes it.
  const QImage first = window.First().copy(window.PictureRect());
  window.Tool({"mousedown", "1"});
  window.MoveTo(at + QPoint(200, 150));
  window.Tool({"mouseup", "1"});
  EXPECT_TRUE(WaitUntil([&] { return window.Picture() != first; })) << "no zoom";
  window.Tool({"key", "ctrl+u"});
  EXPECT_TRUE(WaitUntil([&] { return window.Picture() == first; })) << "no undo";
}

// The band's sides as the picture's Rectangle draws them, the far column
// and row left out: corners (a, b) give columns min .. max - 1 of the rows
// min and max - 1, and the rows between of the two outer columns.
std::vector<QPoint> BandPixels(QPoint a, QPoint b) {
  const int left = std::min(a.x(), b.x());
  const int right = std::max(a.x(), b.x()) - 1;
  const int top = std::min(a.y(), b.y());
  const int bottom = std::max(a.y(), b.y()) - 1;
  std::vector<QPoint> pixels;
  for (int x = left; x <= right; ++x) pixels.insert(pixels.end(), {{x, top}, {x, bottom}});
  for (int y = top; y <= bottom; ++y) pixels.insert(pixels.end(), {{left, y}, {right, y}});
  return pixels;
}

// How many of the pixels differ between the two pictures; exclusive-or in
// grey 127 changes every pixel it touches.
int Changed(const QImage& now, const QImage& before, const std::vector<QPoint>& pixels) {
  int changed = 0;
  for (const QPoint& p : pixels) changed += now.pixel(p) != before.pixel(p);
  return changed;
}

// The picture pixel the program sees for the pointer on screen pixel p: the
// window system reports whole window pixels, p / ratio rounded, which the
// window maps back to the first device pixel they cover. At ratios 1 and 2
// that is p itself; at 1.25 pixel 588 arrives as window pixel 470, 587.5.
QPoint Seen(QPoint p, double ratio) {
  const auto seen = [ratio](int v) {
    return static_cast<int>(std::floor(std::round(v / ratio) * ratio));
  };
  return QPoint(seen(p.x()), seen(p.y()));
}

class BandOnTheScreen : public ::testing::TestWithParam<double> {};

// While a drag goes on, all four sides of the band show wherever the
// pointer goes, the band drawn before is gone after the next move, and the
// release leaves no band.
TEST_P(BandOnTheScreen, ShowsFourSidesInEveryDirection) {
  if (Xvfb().isEmpty() || !HaveXDoTool()) GTEST_SKIP() << "Xvfb or xdotool is not installed";
  const double ratio = GetParam();
  ShownWindow window(Xvfb(), ratio, "1600x1200x24");
  ASSERT_TRUE(window.Found()) << "no plot of the expected size on the screen";
  const QImage before = window.First().copy(window.PictureRect());
  const QPoint start(before.width() / 2, before.height() / 2);
  for (const QPoint direction : {QPoint(1, 1), QPoint(-1, 1), QPoint(1, -1), QPoint(-1, -1)}) {
    window.MoveTo(start);
    window.Tool({"mousedown", "1"});
    const QPoint far = start + QPoint(direction.x() * 150, direction.y() * 100) * ratio;
    const QPoint near = start + QPoint(direction.x() * 70, direction.y() * 40) * ratio;
    window.MoveTo(far);
    const std::vector<QPoint> far_band = BandPixels(Seen(start, ratio), Seen(far, ratio));
    QImage now;
    EXPECT_TRUE(WaitUntil([&] {
      now = window.Picture();
      return Changed(now, before, far_band) == static_cast<int>(far_band.size());
    })) << "direction "
        << direction.x() << "," << direction.y() << ": " << Changed(now, before, far_band) << " of "
        << far_band.size() << " band pixels show";
    window.MoveTo(near);
    const std::vector<QPoint> near_band = BandPixels(Seen(start, ratio), Seen(near, ratio));
    // The far band's right (or left) column below the near band is the
    // picture again.
    std::vector<QPoint> far_only;
    for (const QPoint& p : far_band) {
      if (std::find(near_band.begin(), near_band.end(), p) == near_band.end())
        far_only.push_back(p);
    }
    EXPECT_TRUE(WaitUntil([&] {
      now = window.Picture();
      return Changed(now, before, near_band) == static_cast<int>(near_band.size()) &&
             Changed(now, before, far_only) == 0;
    })) << "after the next move: "
        << Changed(now, before, near_band) << " of " << near_band.size() << " show, "
        << Changed(now, before, far_only) << " of the old band remain";
    // The release zooms into the band and the plot is drawn anew; Ctrl+U
    // brings the first picture back for the next direction.
    window.Tool({"mouseup", "1"});
    EXPECT_TRUE(WaitUntil([&] {
      now = window.Picture();
      return Changed(now, before, near_band) < static_cast<int>(near_band.size()) / 2;
    })) << "the band stays after the release";
    window.Tool({"key", "ctrl+u"});
    EXPECT_TRUE(WaitUntil([&] { return window.Picture() == before; })) << "no undo";
  }
}

// A window stretched as far as the window system lets it (32767 pixels a
// side) is held to 8192 device pixels a side and its client area to the
// largest picture, 8192 x 4096: its memory stays near 300 MB and it goes on
// answering the pointer.
TEST(ProgramUnderXvfb, AWindowAsLargeAsTheScreenAllowsStaysSmallAndResponsive) {
  if (Xvfb().isEmpty() || !HaveXDoTool()) GTEST_SKIP() << "Xvfb or xdotool is not installed";
  ShownWindow window(Xvfb(), 1);
  ASSERT_TRUE(window.Found()) << "no plot of the expected size on the screen";
  const QString id = window.WindowId();
  ASSERT_FALSE(id.isEmpty()) << "no window";
  window.Tool({"windowsize", id, "32767", "32767"});
  QString geometry;
  EXPECT_TRUE(WaitUntil([&] {
    geometry = window.Tool({"getwindowgeometry", id});
    return geometry.contains("Geometry: 8192x");
  })) << geometry.toStdString();
  // The menu bar's height above the client area's 4096.
  const int height = geometry.section("Geometry: 8192x", 1).section('\n', 0, 0).toInt();
  EXPECT_GT(height, 4096);
  EXPECT_LT(height, 4096 + 100);
  window.MoveTo({200, 200});
  EXPECT_TRUE(WaitUntil([&] {
    return window.Tool({"getwindowname", id}).startsWith("KORVELIN( ");
  })) << "the window does not answer the pointer";
  // Two buffers of 128 MiB and the program; the address sanitizer's own
  // bookkeeping adds some tens of MiB.
#if defined(__SANITIZE_ADDRESS__)
  constexpr long kPeakMiB = 450;
#else
  constexpr long kPeakMiB = 350;
#endif
  EXPECT_LT(window.PeakMiB(), kPeakMiB);
}

INSTANTIATE_TEST_SUITE_P(Ratios, BandOnTheScreen, ::testing::Values(1.0, 2.0, 1.5, 1.25),
                         RatioName);

}  // namespace
}  // namespace korvelin::ui
