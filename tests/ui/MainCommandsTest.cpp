// The menu commands of the window on the offscreen platform, with every
// desktop service replaced by a fake: the menu table, each shortcut, the
// dialogs' settings, the files and clipboard formats the commands make
// (each read back as a program that pastes or opens it would), the printed
// page, and the error box for what fails.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QAction>
#include <QApplication>
#include <QBuffer>
#include <QCheckBox>
#include <QClipboard>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QImage>
#include <QMenu>
#include <QMenuBar>
#include <QPageLayout>
#include <QPrinter>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QXmlStreamReader>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "EmfRecords.h"
#include "PixelsOf.h"
#include "platform/AtomicFile.h"
#include "platform/InputPrompt.h"
#include "platform/IntSpinEdit.h"
#include "platform/ListBox.h"
#include "render/VectorRecording.h"
#include "ui/ClipboardFormats.h"
#include "ui/FakeServices.h"
#include "ui/MainUnit.h"
#include "ui/PatternFiles.h"
#include "ui/ProgramRun.h"
#include "ui/WindowFixture.h"

namespace korvelin::ui {
namespace {

using korvelin::testing::DiagonalPattern;
using korvelin::testing::NoPrompt;
using korvelin::testing::PatternDir;

std::string ReadAll(const std::string& path) {
  QFile file(QString::fromStdString(path));
  return file.open(QIODevice::ReadOnly) ? file.readAll().toStdString() : std::string("(missing)");
}

// The pages pdfinfo counts in a PDF file; -1 when it cannot read it.
int PdfPages(const QString& path) {
  const std::string info = RunTool("pdfinfo", {path});
  const size_t at = info.find("Pages:");
  return at == std::string::npos ? -1 : std::stoi(info.substr(at + 6));
}

// The moves and lines of a metafile, "M x y" and "L x y", in order.
std::vector<std::string> EmfStrokes(const QByteArray& file) {
  std::vector<std::string> strokes =
      korvelin::testing::Drawing(korvelin::testing::ReadRecords(file));
  std::erase_if(strokes, [](const std::string& op) { return op[0] == 'T'; });
  return strokes;
}

// The first stroke of the frame, its top edge, in page units: the window's
// plot rectangle scaled by page / client size, rounded halves to even.
std::vector<std::string> FrameTopEdge(const document::GraphDocument& doc) {
  const double sx = double(doc.Settings.MetafileWidth) / doc.ClientSize.Width;
  const double sy = double(doc.Settings.MetafileHeight) / doc.ClientSize.Height;
  const auto round = [](double v) { return std::to_string(int64_t(std::nearbyint(v))); };
  const std::string top = round(doc.PlotRect.Top * sy);
  const std::string left = round(doc.PlotRect.Left * sx);
  const std::string right = std::to_string(
      std::stoll(left) + int64_t(std::nearbyint((doc.PlotRect.Right - doc.PlotRect.Left) * sx)));
  return {"M " + left + " " + top, "L " + right + " " + top};
}

QImage Decoded(const QByteArray& bytes, const char* format) {
  return testing::PixelsOf(QImage::fromData(bytes, format));
}

class CommandsTest : public WindowFixture {
 protected:
  template <class T>
  T* Find(const char* name) {
    return form_->findChild<T*>(name);
  }
  void LoadDiagonal() { form_->LoadFile(files_.Write("red.pat", DiagonalPattern())); }
  // Prints through a PDF printer, as the dialog's "print to file" does.
  QString PrintToPdf(const char* name) {
    const QString path = QString::fromStdString(files_.Path(name));
    printer_.setOutputFormat(QPrinter::PdfFormat);
    printer_.setOutputFileName(path);
    fakes_.print_dialog.printer = &printer_;
    Trigger("miPrint");
    return path;
  }

  QPrinter printer_{QPrinter::HighResolution};
};

TEST_F(CommandsTest, TheMenuBarHoldsEveryRowInOrder) {
  std::vector<std::string> menus;
  for (QAction* entry : Find<QMenuBar>("MainMenu")->actions()) {
    const QMenu* menu = entry->menu();
    QString line = menu->objectName() + " " + menu->title() + ":";
    for (QAction* action : menu->actions()) {
      line += " " + action->objectName();
      if (!action->isSeparator()) {
        line += " \"" + action->text() + "\" " + action->shortcut().toString();
      }
    }
    menus.push_back(line.toStdString());
  }
  EXPECT_EQ(menus,
            (std::vector<std::string>{
                "miFile File: miOpen \"Open\" Ctrl+O miSave \"Save Bitmap\" Ctrl+S miBar1 "
                "miPrint \"Print\" Ctrl+P miBar2 miQuit \"Quit\" Ctrl+Q miBar6 miAddFile "
                "\"Add File\u2026\" Ctrl+Shift+O miReload \"Reload\" F5 miNextFile \"Next File\" "
                "PgDown miPreviousFile "
                "\"Previous File\" PgUp",
                "miEdit Edit: miUndo \"Undo Axis\" Ctrl+U miBar3 miCopy \"Copy Coordinate\" "
                "Ctrl+C miPaste \"Paste String\" Ctrl+V miBar4 miCopyBitmap \"Copy Bitmap\" "
                "Ctrl+B miCopyMetafile \"Copy Metafile\" Ctrl+X",
                "miView View: miModify \"Modify\" Ctrl+M miFont \"Font\" Ctrl+F miBar7 "
                "miFollowFile \"Follow File\" Ctrl+L miBar8 miIntensityScale \"Intensity "
                "Scale\"  miWavelength \"Wavelength\u2026\"  miBar9 miStack \"Stack Traces\" "
                "Ctrl+Shift+S miUnstack \"Unstack\"  miLegend \"Legend\" ",
                "miHelp Help: miHelpMe \"Help\" Ctrl+H miBar5 miAbout \"About\" Ctrl+A",
            }));
}

struct ShortcutCase {
  Qt::Key key;
  const char* reaches;  // the first thing the command asks of the services
};

class ShortcutTest : public CommandsTest, public ::testing::WithParamInterface<ShortcutCase> {};

TEST_P(ShortcutTest, ReachesItsHandler) {
  ShowAndActivate();
  QTest::keyClick(form_.get(), GetParam().key, Qt::ControlModifier);
  ASSERT_FALSE(fakes_.log.empty());
  EXPECT_EQ(fakes_.log.front(), GetParam().reaches);
}

INSTANTIATE_TEST_SUITE_P(
    Table, ShortcutTest,
    ::testing::Values(ShortcutCase{Qt::Key_O, "open Open Pattern File"},
                      ShortcutCase{Qt::Key_S, "save Save Bitmap"}, ShortcutCase{Qt::Key_P, "print"},
                      ShortcutCase{Qt::Key_C, "text (0.00,0)"},
                      ShortcutCase{Qt::Key_B, "clipboard image/png image/bmp"},
                      ShortcutCase{
                          Qt::Key_X,
                          "clipboard application/x-openoffice-emf;windows_formatname=\"Image EMF\" "
                          "image/svg+xml"},
                      ShortcutCase{Qt::Key_F, "font"}, ShortcutCase{Qt::Key_H, "info Help"},
                      ShortcutCase{Qt::Key_A, "info About KORVELIN"}));

class ViewCommands : public CommandsTest {};

// The three scales are radio items: the checked one draws, Linear draws as
// before any was chosen, and the range stays in data units. The wavelength
// is typed as the window writes numbers; a wrong text says so.
TEST_F(ViewCommands, IntensityScaleAndWavelength) {
  LoadDiagonal();
  const QImage linear = form_->Picture();
  const document::TRealRect range = doc_.AxisRange;
  const auto checked = [&] {
    std::string names;
    for (const char* item : {"miLinear", "miSquareRoot", "miLogarithmic"}) {
      if (Item(item)->isChecked()) names += item;
    }
    return names;
  };
  EXPECT_EQ(checked(), "miLinear");
  EXPECT_EQ(Item("miLogarithmic")->shortcut().toString(), "Ctrl+3");
  Trigger("miLogarithmic");
  EXPECT_EQ(doc_.View.YScale, document::IntensityScale::Logarithmic);
  EXPECT_EQ(checked(), "miLogarithmic");
  EXPECT_NE(form_->Picture(), linear);
  EXPECT_EQ(doc_.AxisRange, range);
  Trigger("miSquareRoot");
  EXPECT_EQ(checked(), "miSquareRoot");
  Trigger("miLinear");
  EXPECT_EQ(form_->Picture(), linear);

  prompt_.answers = {"1.5406", "fast", "0"};
  Trigger("miWavelength");
  EXPECT_EQ(doc_.View.Wavelength, 1.5406);
  Trigger("miWavelength");
  EXPECT_EQ(doc_.View.Wavelength, 1.5406) << "a wrong text changes nothing";
  ASSERT_FALSE(fakes_.boxes.errors.empty());
  EXPECT_EQ(fakes_.boxes.errors.back(), "'fast' is not a wavelength from 0 to 1000 angstrom");
  Trigger("miWavelength");
  EXPECT_EQ(doc_.View.Wavelength, 0);
  EXPECT_EQ(prompt_.asked_with, (std::vector<std::string>{"0", "1.5406", "1.5406"}));
}

TEST_F(CommandsTest, QuitEndsTheEventLoop) {
  ShowAndActivate();
  QEventLoop loop;
  QTimer guard;
  guard.setSingleShot(true);
  QObject::connect(&guard, &QTimer::timeout, &loop, [&loop] { loop.exit(7); });
  guard.start(10000);
  QTimer::singleShot(0, form_.get(),
                     [this] { QTest::keyClick(form_.get(), Qt::Key_Q, Qt::ControlModifier); });
  EXPECT_EQ(loop.exec(), 0);
}

TEST_F(CommandsTest, HelpAndAboutShowTheirTexts) {
  Trigger("miHelpMe");
  Trigger("miAbout");
  using Box = std::pair<std::string, std::string>;
  EXPECT_EQ(fakes_.boxes.infos,
            (std::vector<Box>{{"Help", "Help me, please!"},
                              {"About KORVELIN",
                               "KORVELIN, a viewer of Igor Text pattern files\nVersion: "
                               "0.2.0\nhttps://korvelin.example.org"}}));
}

TEST_F(CommandsTest, OpenAsksForAPatternFileAndLoadsIt) {
  Trigger("miOpen");
  ASSERT_EQ(fakes_.file_dialogs.requests.size(), 1u);
  const platform::FileDialogRequest& request = fakes_.file_dialogs.requests[0];
  EXPECT_EQ(request.mode, platform::FileDialogMode::Open);
  EXPECT_EQ(request.title, "Open Pattern File");
  EXPECT_EQ(request.filters, (std::vector<platform::FileFilter>{
                                 {"Igor Files (*.pat)", "pat"},
                                 {"Column Files (*.xy *.xye *.dat *.chi *.csv *.txt)", ""},
                                 {"All Files (*.*)", ""}}));
  EXPECT_EQ(doc_.TraceCount, 0) << "cancelled";

  fakes_.file_dialogs.answer = files_.Write("plain.txt", "just text\n");
  Trigger("miOpen");
  EXPECT_EQ(doc_.TraceCount, 0);
  EXPECT_TRUE(fakes_.boxes.errors.empty()) << "a rejected file is left alone without a word";

  fakes_.file_dialogs.answer = files_.Write("red.pat", DiagonalPattern());
  Trigger("miOpen");
  EXPECT_EQ(doc_.TraceCount, 1);
  EXPECT_GT(korvelin::testing::CountColour(form_->Picture(), doc_.PlotRect, 0xFF0000), 20);

  fakes_.file_dialogs.answer = files_.Write("scan.xy", "# tth I I2\n10 1 2\n11 2 3\n12 3 4\n");
  Trigger("miOpen");
  EXPECT_EQ(doc_.TraceCount, 2) << "a column file opens as well";
  EXPECT_EQ(doc_.AxisRange, document::RealRect(10, 4, 12, 1));
}

TEST_F(CommandsTest, SaveBitmapWritesThePictureWithThePastedText) {
  LoadDiagonal();
  const QImage before_paste = form_->Picture().convertToFormat(QImage::Format_RGB32);
  form_->ImageMouseMove(200, 120);
  fakes_.clipboard.text = "Hello";
  form_->miPasteClick();
  const std::string path = files_.Path("plot.bmp");
  fakes_.file_dialogs.answer = path;
  Trigger("miSave");

  const platform::FileDialogRequest& request = fakes_.file_dialogs.requests.at(0);
  EXPECT_EQ(request.mode, platform::FileDialogMode::Save);
  EXPECT_EQ(request.title, "Save Bitmap");
  EXPECT_EQ(request.filters, (std::vector<platform::FileFilter>{{"Bitmap Files (*.bmp)", "bmp"}}));
  EXPECT_TRUE(fakes_.boxes.questions.empty()) << "a new file is not asked about";
  EXPECT_TRUE(ReadAll(path).starts_with("BM"));
  const QImage saved = testing::PixelsOf(QImage(QString::fromStdString(path)));
  EXPECT_EQ(saved, form_->Picture().convertToFormat(QImage::Format_RGB32));
  EXPECT_NE(saved.copy(190, 110, 80, 40), before_paste.copy(190, 110, 80, 40)) << "the text";

  // A name of another kind still gets a bitmap file.
  fakes_.file_dialogs.answer = files_.Path("plot.png");
  Trigger("miSave");
  EXPECT_TRUE(ReadAll(files_.Path("plot.png")).starts_with("BM"));
}

TEST_F(CommandsTest, SaveBitmapOverAFileAsksAndNoLeavesItByteIdentical) {
  const std::string path = files_.Write("old.bmp", "earlier work");
  fakes_.file_dialogs.answer = path;
  fakes_.boxes.answer = false;
  Trigger("miSave");
  ASSERT_EQ(fakes_.boxes.questions.size(), 1u);
  EXPECT_EQ(fakes_.boxes.questions[0],
            std::make_pair(std::string("Save Bitmap"), std::string("Overwrite?")));
  EXPECT_EQ(ReadAll(path), "earlier work");
  EXPECT_EQ(fakes_.file_dialogs.requests.size(), 1u) << "the dialog is not shown again";

  fakes_.boxes.answer = true;
  Trigger("miSave");
  EXPECT_TRUE(ReadAll(path).starts_with("BM"));
  EXPECT_TRUE(fakes_.boxes.errors.empty());
}

// The system calls of a write that fails at one step, as a folder that
// cannot be written, a full disk or a failing device would make it fail.
class FailingCalls : public platform::FileCalls {
 public:
  enum class Step { MakeTemporary, Write, Sync };
  FailingCalls(Step step, int error) : step_(step), error_(error) {}
  int MakeTemporary(char* name_template) override {
    return step_ == Step::MakeTemporary ? Fail() : FileCalls::MakeTemporary(name_template);
  }
  ssize_t Write(int fd, const void* data, size_t size) override {
    return step_ == Step::Write ? Fail() : FileCalls::Write(fd, data, size);
  }
  int Sync(int fd) override { return step_ == Step::Sync ? Fail() : FileCalls::Sync(fd); }

 private:
  int Fail() {
    errno = error_;
    return -1;
  }
  Step step_;
  int error_;
};

struct WriteFailure {
  const char* name;
  FailingCalls::Step step;
  int error;
  const char* reason;
};

class SaveBitmapFailure : public ::testing::TestWithParam<WriteFailure> {};

TEST_P(SaveBitmapFailure, ShowsTheReasonAndLeavesTheFolderAsItWas) {
  FailingCalls calls(GetParam().step, GetParam().error);
  korvelin::testing::FakeServices fakes;
  NoPrompt prompt;
  MainFormOptions options{{}, {320, 240}};
  options.services = fakes.Services(&prompt);
  options.services.file_calls = &calls;
  document::GraphDocument doc;
  TMainForm form(doc, options);
  PatternDir dir;
  const std::string path = dir.Write("old.bmp", "earlier work");
  fakes.file_dialogs.answer = path;
  form.findChild<QAction*>("miSave")->trigger();
  EXPECT_EQ(fakes.boxes.errors,
            std::vector<std::string>{"Cannot save the bitmap " + path + ": " + GetParam().reason});
  EXPECT_EQ(ReadAll(path), "earlier work");
  const QStringList left = QFileInfo(QString::fromStdString(path))
                               .dir()
                               .entryList(QDir::Files | QDir::Hidden | QDir::System);
  EXPECT_EQ(left, QStringList{"old.bmp"}) << "no temporary file is left";
  EXPECT_TRUE(form.isEnabled()) << "the program goes on";
}

INSTANTIATE_TEST_SUITE_P(Table, SaveBitmapFailure,
                         ::testing::Values(WriteFailure{"ReadOnlyFolder",
                                                        FailingCalls::Step::MakeTemporary, EACCES,
                                                        "Permission denied"},
                                           WriteFailure{"FullDisk", FailingCalls::Step::Write,
                                                        ENOSPC, "No space left on device"},
                                           WriteFailure{"DeviceError", FailingCalls::Step::Sync,
                                                        EIO, "Input/output error"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(CommandsTest, CopyMetafileOffersEveryFormatOfOneGraph) {
  LoadDiagonal();
  Trigger("miCopyMetafile");
  ASSERT_NE(fakes_.clipboard.data, nullptr);
  const QMimeData& data = *fakes_.clipboard.data;
  EXPECT_EQ(data.formats(), (QStringList{kEmfMimeType, "image/svg+xml"}));

  EXPECT_TRUE(korvelin::testing::WellFormed(data.data(kEmfMimeType)));
  const std::vector<std::string> strokes = EmfStrokes(data.data(kEmfMimeType));
  ASSERT_GE(strokes.size(), 2u);
  EXPECT_EQ(std::vector<std::string>(strokes.begin(), strokes.begin() + 2), FrameTopEdge(doc_));

  QXmlStreamReader svg(data.data("image/svg+xml"));
  QString view_box;
  int texts = 0;
  while (!svg.atEnd()) {
    svg.readNext();
    if (svg.isStartElement() && svg.name() == u"svg") {
      view_box = svg.attributes().value("viewBox").toString();
    }
    if (svg.isStartElement() && svg.name() == u"text") ++texts;
  }
  EXPECT_FALSE(svg.hasError()) << svg.errorString().toStdString();
  EXPECT_EQ(view_box, "0 0 29700 21000");
  EXPECT_GT(texts, 4);
}

// With no width or an endless range there is no scale and no trace to map;
// the frame is still drawn, and each output ends whole.
TEST_F(CommandsTest, ADegenerateRangeStillGivesTheFrameOnEveryOutput) {
  LoadDiagonal();
  for (const document::TRealRect range :
       {document::RealRect(5, 10, 5, 0), document::RealRect(0, 10, INFINITY, 0)}) {
    doc_.AxisRange = range;
    form_->DrawScreenPlot();
    Trigger("miCopyMetafile");
    ASSERT_NE(fakes_.clipboard.data, nullptr);
    const QByteArray emf = fakes_.clipboard.data->data(kEmfMimeType);
    EXPECT_TRUE(korvelin::testing::WellFormed(emf));
    const std::vector<std::string> strokes = EmfStrokes(emf);
    ASSERT_GE(strokes.size(), 8u);
    EXPECT_EQ(std::vector<std::string>(strokes.begin(), strokes.begin() + 2), FrameTopEdge(doc_));
    EXPECT_EQ(PdfPages(PrintToPdf("degenerate.pdf")), 1);
  }
  EXPECT_TRUE(fakes_.boxes.errors.empty());
}

// The page stretched onto the printable area of an A4 portrait sheet: read
// back at 72 dpi, each edge of the frame lies where the window's plot
// rectangle falls on that area, to a pixel.
TEST_F(CommandsTest, PrintDrawsOnePageStretchedOntoThePrintableArea) {
  Trigger("miPrint");
  EXPECT_EQ(fakes_.log, korvelin::testing::Log{"print"}) << "cancelled: nothing printed";
  doc_.Settings.ScaleOn = false;
  form_->FormResize();
  const QString pdf = PrintToPdf("page.pdf");
  ASSERT_EQ(PdfPages(pdf), 1);
  QTemporaryDir dir;
  RunTool("pdftoppm", {"-r", "72", "-gray", "-singlefile", "-png", pdf, dir.filePath("page")});
  const QImage page(dir.filePath("page.png"));
  ASSERT_FALSE(page.isNull());
  const QRectF area = printer_.pageLayout().paintRect(QPageLayout::Point);
  const document::PixelRect& plot = doc_.PlotRect;
  const double w = doc_.ClientSize.Width;
  const double h = doc_.ClientSize.Height;
  const QRectF frame(QPointF(area.left() + plot.Left / w * area.width(),
                             area.top() + plot.Top / h * area.height()),
                     QPointF(area.left() + plot.Right / w * area.width(),
                             area.top() + plot.Bottom / h * area.height()));
  // A pixel within one of p, across the edge, is ink.
  const auto ink_near = [&](QPointF p, bool vertical_edge) {
    for (int d = -1; d <= 1; ++d) {
      const QPoint at(int(p.x()) + (vertical_edge ? d : 0), int(p.y()) + (vertical_edge ? 0 : d));
      if (qGray(page.pixel(at)) < 128) return true;
    }
    return false;
  };
  const QPointF mid = frame.center();
  EXPECT_TRUE(ink_near({frame.left(), mid.y()}, true)) << frame.left();
  EXPECT_TRUE(ink_near({frame.right(), mid.y()}, true)) << frame.right();
  EXPECT_TRUE(ink_near({mid.x(), frame.top()}, false)) << frame.top();
  EXPECT_TRUE(ink_near({mid.x(), frame.bottom()}, false)) << frame.bottom();
  EXPECT_FALSE(ink_near(mid, true));

  doc_.Settings.MetafileHeight = render::kMaxVectorPageSide + 1;
  Trigger("miPrint");
  EXPECT_EQ(fakes_.boxes.errors,
            std::vector<std::string>{render::VectorPageStatus(29700, 2000001).reason()});
}

TEST_F(CommandsTest, FontGrowsTheMarginsWithTheScaleOn) {
  const document::PixelRect before = doc_.PlotRect;
  const int raster_width = form_->Raster().Width();
  Trigger("miFont");
  EXPECT_EQ(doc_.PlotRect, before) << "cancelled: nothing changes";

  const render::FontSpec larger{"Times New Roman", 32, false, false};
  fakes_.font_dialog.answer = larger;
  Trigger("miFont");
  EXPECT_EQ(form_->Font(), larger);
  EXPECT_EQ(form_->font().pixelSize(), 32);
  const document::PixelRect& after = doc_.PlotRect;
  EXPECT_GT(after.Left, before.Left);
  EXPECT_GT(after.Top, before.Top);
  EXPECT_GT(640 - after.Right, 640 - before.Right);
  EXPECT_GT(480 - after.Bottom, 480 - before.Bottom);
  EXPECT_LT(form_->Raster().Width(), raster_width);
}

// A 2,000-pixel font leaves the plot at its smallest and a 1-pixel one at
// nearly the whole window; either way the menu bar keeps its size and every
// command still runs.
class FontSizeTest : public CommandsTest, public ::testing::WithParamInterface<int> {};

TEST_P(FontSizeTest, KeepsTheWindowUsable) {
  LoadDiagonal();
  const int menu_height = Find<QMenuBar>("MainMenu")->sizeHint().height();
  fakes_.font_dialog.answer = render::FontSpec{"Times New Roman", GetParam(), false, false};
  Trigger("miFont");
  EXPECT_EQ(Find<QMenuBar>("MainMenu")->sizeHint().height(), menu_height);
  EXPECT_EQ(form_->Picture().size(), QSize(640, 480));
  EXPECT_GE(form_->Raster().Width(), 64);
  EXPECT_GE(form_->Raster().Height(), 64);
  Trigger("miCopyBitmap");
  Trigger("miCopyMetafile");
  EXPECT_EQ(fakes_.clipboard.data->formats().size(), 2);
  EXPECT_EQ(PdfPages(PrintToPdf("font.pdf")), 1);
  EXPECT_TRUE(fakes_.boxes.errors.empty());
}

INSTANTIATE_TEST_SUITE_P(HugeAndTiny, FontSizeTest, ::testing::Values(2000, 1));

TEST_F(CommandsTest, ModifyShowsHidesAndShowsTheDialogAgain) {
  QAction* modify = Find<QAction>("miModify");
  ASSERT_NE(modify, nullptr);
  TFormModify& dialog = form_->FormModify();
  EXPECT_FALSE(dialog.isVisible()) << "created hidden";

  ShowAndActivate();
  QTest::keyClick(form_.get(), Qt::Key_M, Qt::ControlModifier);
  EXPECT_TRUE(dialog.isVisible());
  form_->miModifyClick();
  EXPECT_FALSE(dialog.isVisible());
  form_->miModifyClick();
  EXPECT_TRUE(dialog.isVisible());
  EXPECT_TRUE(form_->isEnabled()) << "the main window stays usable";
}

TEST_F(CommandsTest, AnApplyLaysTheWindowOutAnew) {
  form_->miModifyClick();
  TFormModify& dialog = form_->FormModify();
  dialog.findChild<QCheckBox*>("CheckBoxMargin")->click();
  dialog.findChild<platform::IntSpinEdit*>("SpinEditLeft")->SetValue(100);
  QTimer* timer = dialog.findChild<QTimer*>("Timer");
  ASSERT_TRUE(timer->isActive());
  dialog.TimerTimer();
  EXPECT_TRUE(doc_.Settings.MarginOn);
  EXPECT_EQ(doc_.PlotRect.Left, 100) << "the window was laid out with the new margin";
  EXPECT_EQ(form_->Raster().Width(), (640 - 100 - 8) & ~3);
}

TEST_F(CommandsTest, ALoadWhileTheDialogIsShownRefreshesItsLists) {
  form_->miModifyClick();
  platform::ListBox* waves = form_->FormModify().findChild<platform::ListBox*>("ListBoxWaves");
  ASSERT_NE(waves, nullptr);
  EXPECT_EQ(waves->count(), 0);
  LoadDiagonal();
  EXPECT_EQ(waves->count(), 2);
  platform::ListBox* traces = form_->FormModify().findChild<platform::ListBox*>("ListBoxTraces");
  ASSERT_EQ(traces->count(), 1);
  EXPECT_EQ(traces->item(0)->text(), "py vs px");
}

// The desktop's clipboard as a program that pastes sees it: the coordinate
// as text, the bitmap as PNG and BMP of the picture, the metafile in all
// its formats; a copy that fails leaves what was there.
TEST(DesktopClipboard, HoldsWhatEachCopyPutAndKeepsItWhenACopyFails) {
  document::GraphDocument doc;
  NoPrompt prompt;
  korvelin::testing::RecordingBoxes boxes;
  MainFormOptions options{{}, {320, 240}};
  options.services.prompt = &prompt;
  options.services.boxes = &boxes;
  TMainForm form(doc, options);
  const QClipboard& clipboard = *QGuiApplication::clipboard();
  const auto trigger = [&form](const char* item) { form.findChild<QAction*>(item)->trigger(); };

  trigger("miCopy");
  EXPECT_EQ(clipboard.text(), "(0.00,0)");
  trigger("miCopyBitmap");
  EXPECT_EQ(clipboard.mimeData()->formats(), (QStringList{"image/png", "image/bmp"}));
  const QImage picture = form.Picture().convertToFormat(QImage::Format_RGB32);
  EXPECT_EQ(Decoded(clipboard.mimeData()->data("image/png"), "png"), picture);
  EXPECT_EQ(Decoded(clipboard.mimeData()->data("image/bmp"), "bmp"), picture);
  trigger("miCopyMetafile");
  const QStringList metafile{kEmfMimeType, "image/svg+xml"};
  EXPECT_EQ(clipboard.mimeData()->formats(), metafile);

  doc.Settings.MetafileWidth = 0;
  trigger("miCopyMetafile");
  EXPECT_EQ(boxes.errors, std::vector<std::string>{render::VectorPageStatus(0, 21000).reason()});
  EXPECT_EQ(clipboard.mimeData()->formats(), metafile) << "the earlier copy is still there";
}

}  // namespace
}  // namespace korvelin::ui
