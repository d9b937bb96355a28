// The menu bar, built from one table whose rows read like the menu itself:
// menu, caption, item, caption, shortcut and handler, in display order; and
// the File, View and Help commands behind it. Every command runs through
// RunCommand, the one place an error becomes the standard error box.

#include <sys/stat.h>

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QFileInfo>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPrinter>
#include <new>
#include <optional>
#include <ostream>
#include <stdexcept>
#include <string>

#include "document/QuotedName.h"
#include "document/SettingsText.h"
#include "document/Stacking.h"
#include "document/TextNumbers.h"
#include "platform/AtomicFile.h"
#include "platform/Clipboard.h"
#include "platform/Dialogs.h"
#include "platform/FileWatch.h"
#include "platform/InputPrompt.h"
#include "platform/MessageBoxes.h"
#include "platform/PainterVectorCanvas.h"
#include "platform/PictureFile.h"
#include "platform/QtFont.h"
#include "render/VectorPlot.h"
#include "ui/ClipboardFormats.h"
#include "ui/MainUnit.h"
#include "ui/OutputFormats.h"

namespace korvelin::ui {
namespace {

using Handler = void (TMainForm::*)();

struct MenuRow {
  const char* menu;          // component of the menu
  const char* menu_caption;  // its caption
  const char* item;          // component of the item
  const char* caption;       // nullptr for a separator
  QKeyCombination shortcut;
  Handler handler;
  bool checkable = false;  // a check item, unchecked at start
  // The submenu of the menu the item sits in; the check items of one
  // submenu are radio items, one of them checked.
  const char* submenu = nullptr;
};

constexpr QKeyCombination kNone{};
constexpr char kSaveCaption[] = "Save Bitmap";
constexpr char kIntensityScale[] = "Intensity Scale";

// Every shortcut is Ctrl and a letter, including the unusual ones: Ctrl+C
// and Ctrl+V act on coordinates and strings, not on the picture, Ctrl+X
// copies the metafile and Ctrl+A shows the About box. The commands for a
// file that changes or belongs to a series come after each menu's first
// items, which keep their places: F5 reloads, Page Down and Page Up step
// through the folder as through pages, Ctrl+L follows the file live.
// Ctrl+Shift with Open's and Save's letters adds a file to the plot and
// stacks its traces.
const MenuRow kMenuRows[] = {
    {"miFile", "File", "miOpen", "Open", Qt::CTRL | Qt::Key_O, &TMainForm::miOpenClick},
    {"miFile", "File", "miSave", kSaveCaption, Qt::CTRL | Qt::Key_S, &TMainForm::miSaveClick},
    {"miFile", "File", "miBar1", nullptr, kNone, nullptr},
    {"miFile", "File", "miPrint", "Print", Qt::CTRL | Qt::Key_P, &TMainForm::miPrintClick},
    {"miFile", "File", "miBar2", nullptr, kNone, nullptr},
    {"miFile", "File", "miQuit", "Quit", Qt::CTRL | Qt::Key_Q, &TMainForm::miQuitClick},
    {"miFile", "File", "miBar6", nullptr, kNone, nullptr},
    {"miFile", "File", "miAddFile", "Add File\u2026", Qt::CTRL | Qt::SHIFT | Qt::Key_O,
     &TMainForm::miAddFileClick},
    {"miFile", "File", "miReload", "Reload", QKeyCombination(Qt::Key_F5),
     &TMainForm::miReloadClick},
    {"miFile", "File", "miNextFile", "Next File", QKeyCombination(Qt::Key_PageDown),
     &TMainForm::miNextFileClick},
    {"miFile", "File", "miPreviousFile", "Previous File", QKeyCombination(Qt::Key_PageUp),
     &TMainForm::miPreviousFileClick},
    {"miEdit", "Edit", "miUndo", "Undo Axis", Qt::CTRL | Qt::Key_U, &TMainForm::miUndoClick},
    {"miEdit", "Edit", "miBar3", nullptr, kNone, nullptr},
    {"miEdit", "Edit", "miCopy", "Copy Coordinate", Qt::CTRL | Qt::Key_C, &TMainForm::miCopyClick},
    {"miEdit", "Edit", "miPaste", "Paste String", Qt::CTRL | Qt::Key_V, &TMainForm::miPasteClick},
    {"miEdit", "Edit", "miBar4", nullptr, kNone, nullptr},
    {"miEdit", "Edit", "miCopyBitmap", "Copy Bitmap", Qt::CTRL | Qt::Key_B,
     &TMainForm::miCopyBitmapClick},
    {"miEdit", "Edit", "miCopyMetafile", "Copy Metafile", Qt::CTRL | Qt::Key_X,
     &TMainForm::miCopyMetafileClick},
    {"miView", "View", "miModify", "Modify", Qt::CTRL | Qt::Key_M, &TMainForm::miModifyClick},
    {"miView", "View", "miFont", "Font", Qt::CTRL | Qt::Key_F, &TMainForm::miFontClick},
    {"miView", "View", "miBar7", nullptr, kNone, nullptr},
    {"miView", "View", "miFollowFile", "Follow File", Qt::CTRL | Qt::Key_L,
     &TMainForm::miFollowFileClick, true},
    {"miView", "View", "miBar8", nullptr, kNone, nullptr},
    {"miView", "View", "miLinear", "Linear", Qt::CTRL | Qt::Key_1, &TMainForm::miLinearClick, true,
     kIntensityScale},
    {"miView", "View", "miSquareRoot", "Square Root", Qt::CTRL | Qt::Key_2,
     &TMainForm::miSquareRootClick, true, kIntensityScale},
    {"miView", "View", "miLogarithmic", "Logarithmic", Qt::CTRL | Qt::Key_3,
     &TMainForm::miLogarithmicClick, true, kIntensityScale},
    {"miView", "View", "miWavelength", "Wavelength\u2026", kNone, &TMainForm::miWavelengthClick},
    {"miView", "View", "miBar9", nullptr, kNone, nullptr},
    {"miView", "View", "miStack", "Stack Traces", Qt::CTRL | Qt::SHIFT | Qt::Key_S,
     &TMainForm::miStackClick},
    {"miView", "View", "miUnstack", "Unstack", kNone, &TMainForm::miUnstackClick},
    {"miView", "View", "miLegend", "Legend", kNone, &TMainForm::miLegendClick, true},
    {"miHelp", "Help", "miHelpMe", "Help", Qt::CTRL | Qt::Key_H, &TMainForm::miHelpMeClick},
    {"miHelp", "Help", "miBar5", nullptr, kNone, nullptr},
    {"miHelp", "Help", "miAbout", "About", Qt::CTRL | Qt::Key_A, &TMainForm::miAboutClick},
};

const platform::FileDialogRequest kOpenRequest{
    platform::FileDialogMode::Open,
    "Open Pattern File",
    {{"Igor Files (*.pat)", "pat"},
     {"Column Files (*.xy *.xye *.dat *.chi *.csv *.txt)", ""},
     {"All Files (*.*)", ""}}};

const platform::FileDialogRequest kAddRequest{platform::FileDialogMode::Open, "Add File",
                                              kOpenRequest.filters};

const platform::FileDialogRequest kSaveRequest{
    platform::FileDialogMode::Save, kSaveCaption, {{"Bitmap Files (*.bmp)", "bmp"}}};

constexpr char kAboutText[] =
    "KORVELIN, a viewer of Igor Text pattern files\n"
    "Version: " KORVELIN_VERSION
    "\n"
    "https://korvelin.example.org";

// Anything at all under the name, a dangling link too: writing there
// replaces something the user may want, so the user is asked first.
bool NameIsTaken(const std::string& path) {
  struct stat info {};
  return lstat(path.c_str(), &info) == 0;
}

// The vector plot is stretched onto a page of MetafileWidth x MetafileHeight
// hundredths of a millimetre; a page no container holds ends the command.
void CheckPage(const document::DisplaySettings& settings) {
  const document::Status page =
      render::VectorPageStatus(settings.MetafileWidth, settings.MetafileHeight);
  if (!page.ok()) throw std::runtime_error(page.reason());
}

}  // namespace

void TMainForm::CreateMenu() {
  QMenuBar* bar = menuBar();
  bar->setObjectName("MainMenu");
  // The menus keep the desktop's font: the window's font is the plot's, and
  // a 2,000-pixel plot font must not make the menu bar fill the screen.
  bar->setFont(QApplication::font(bar));
  QMenu* menu = nullptr;
  QMenu* submenu = nullptr;
  QActionGroup* group = nullptr;
  for (const MenuRow& row : kMenuRows) {
    if (menu == nullptr || menu->objectName() != row.menu) {
      menu = bar->addMenu(row.menu_caption);
      menu->setObjectName(row.menu);
    }
    if (row.caption == nullptr) {
      menu->addSeparator()->setObjectName(row.item);
      continue;
    }
    QMenu* into = menu;
    if (row.submenu != nullptr) {
      if (submenu == nullptr || submenu->title() != row.submenu || submenu->parent() != menu) {
        submenu = menu->addMenu(row.submenu);
        submenu->menuAction()->setObjectName("miIntensityScale");
        group = new QActionGroup(submenu);
      }
      into = submenu;
    }
    QAction* action = into->addAction(row.caption);
    if (row.submenu != nullptr) group->addAction(action);
    action->setObjectName(row.item);
    action->setShortcut(QKeySequence(row.shortcut));
    action->setCheckable(row.checkable);
    // Shortcuts act whenever the window has the keyboard focus, whatever
    // widget inside it holds it.
    action->setShortcutContext(Qt::WindowShortcut);
    connect(action, &QAction::triggered, this,
            [this, handler = row.handler] { RunCommand(handler); });
  }
  follow_action_ = findChild<QAction*>("miFollowFile");
  findChild<QAction*>("miLegend")->setChecked(doc_.View.Legend);
  SetIntensityScale(doc_.View.YScale);
}

void TMainForm::RunCommand(Handler handler) {
  RunGuarded([this, handler] { (this->*handler)(); });
}

// A failure while the box of an earlier one is up (a paint behind the box,
// a timer) is not shown again: the user sees one box and the window goes on.
void TMainForm::RunGuarded(const std::function<void()>& work) {
  std::string failure;
  try {
    work();
    return;
  } catch (const std::bad_alloc&) {
    failure = "Out of memory";
  } catch (const std::exception& error) {
    failure = error.what();
  } catch (...) {
    failure = "Unexpected error";
  }
  if (showing_error_) return;
  showing_error_ = true;
  boxes_->Error(this, failure);
  showing_error_ = false;
}

void TMainForm::miOpenClick() {
  const std::optional<std::string> path = file_dialogs_->Run(this, kOpenRequest);
  if (path) LoadFile(*path);
}

// The picture as it is on the screen, pasted text and all, as a BMP file
// whatever the name's extension. It is written beside the target and
// renamed into place, so answering No, a full disk or a folder that cannot
// be written leaves an existing file as it was; a failure says why.
void TMainForm::miSaveClick() {
  const std::optional<std::string> path = file_dialogs_->Run(this, kSaveRequest);
  if (!path) return;
  if (NameIsTaken(*path) && !boxes_->AskYesNo(this, kSaveCaption, "Overwrite?")) return;
  const document::Status saved = WritePlot(view_, *path, OutputFormat::Bmp, *file_calls_);
  if (!saved.ok()) {
    throw std::runtime_error("Cannot save the bitmap " + document::QuoteName(*path) + ": " +
                             saved.reason());
  }
}

// One page: the page of the vector plot stretched onto the printable area,
// without keeping its proportions (a landscape page on portrait paper is
// drawn tall unless landscape is chosen in the dialog).
void TMainForm::miPrintClick() {
  QPrinter* printer = print_dialog_->Run(this);
  if (printer == nullptr) return;
  const document::DisplaySettings& settings = doc_.Settings;
  CheckPage(settings);
  const render::VectorRecording recording = render::RecordVectorPlot(
      doc_, view_.Measurer(), view_.DrawingFont(), view_.DecimalSeparator());
  QPainter painter;
  if (!painter.begin(printer)) throw std::runtime_error("The printer cannot start a print job");
  // The printable area relative to where the painter's origin lies: the
  // paper's corner for a full-page printer, else the area's own corner.
  QRectF area = printer->pageRect(QPrinter::DevicePixel);
  if (!printer->fullPage()) area.moveTopLeft(QPointF(0, 0));
  platform::PlayVectorRecording(recording, painter, area, settings.MetafileWidth,
                                settings.MetafileHeight);
  if (!painter.end()) throw std::runtime_error("The print job could not be finished");
}

void TMainForm::miQuitClick() { FormClose(); }

void TMainForm::miCopyBitmapClick() {
  ClipboardCopy copy = BitmapCopy(view_.Picture(), 96 * view_.PixelRatio());
  if (!copy.ok()) throw std::runtime_error(copy.reason());
  clipboard_->SetData(std::move(copy.value()));
}

// A failure while the plot is drawn (no memory for a long trace) does not
// end the command: what was drawn before it is copied. A page no container
// holds, or a format that cannot be made, ends it with the clipboard as it
// was.
void TMainForm::miCopyMetafileClick() {
  const document::DisplaySettings& settings = doc_.Settings;
  CheckPage(settings);
  render::VectorRecording recording;
  try {
    render::RecordVectorPlot(doc_, view_.Measurer(), view_.DrawingFont(), view_.DecimalSeparator(),
                             recording);
  } catch (const std::exception&) {
    // The partial drawing is used.
  }
  ClipboardCopy copy = MetafileCopy(recording, settings.MetafileWidth, settings.MetafileHeight);
  if (!copy.ok()) throw std::runtime_error(copy.reason());
  clipboard_->SetData(std::move(copy.value()));
}

// Shows the Modify Graph dialog and brings it to the front, or closes it;
// the main window stays usable either way.
void TMainForm::miModifyClick() { form_modify_->ShowOrClose(); }

// The chosen font becomes the plot's (the label measures in it, the picture
// draws in it) and the window is laid out again, so the margins follow it.
// A huge font leaves the plot at its smallest, 64 x 64 pixels, and the menu
// bar as it was.
void TMainForm::miFontClick() {
  const std::optional<render::FontSpec> font = font_dialog_->Run(this);
  if (!font) return;
  view_.SetFont(*font);
  setFont(platform::ToQFont(*font));
  FormResize();
}

void TMainForm::miLinearClick() { SetIntensityScale(document::IntensityScale::Linear); }

void TMainForm::miSquareRootClick() { SetIntensityScale(document::IntensityScale::SquareRoot); }

void TMainForm::miLogarithmicClick() { SetIntensityScale(document::IntensityScale::Logarithmic); }

// The range, its history and the dialog stay in data units: only the
// drawing and the readout change.
void TMainForm::SetIntensityScale(document::IntensityScale scale) {
  static constexpr std::pair<document::IntensityScale, const char*> kItems[] = {
      {document::IntensityScale::Linear, "miLinear"},
      {document::IntensityScale::SquareRoot, "miSquareRoot"},
      {document::IntensityScale::Logarithmic, "miLogarithmic"}};
  for (const auto& [item_scale, item] : kItems) {
    if (QAction* action = findChild<QAction*>(item)) action->setChecked(item_scale == scale);
  }
  if (doc_.View.YScale == scale) return;
  doc_.View.YScale = scale;
  DrawScreenPlot();
}

// The wavelength in angstrom as the window writes numbers; 0 turns the d
// and Q of the readout off. A text that is not a wavelength says so and
// changes nothing.
void TMainForm::miWavelengthClick() {
  const char separator = view_.DecimalSeparator();
  const std::string current = document::FormatGeneral(doc_.View.Wavelength, separator);
  const std::optional<std::string> typed =
      prompt_->Ask("Wavelength", "Wavelength in angstrom (0 for none)", current);
  if (!typed) return;
  const std::optional<double> wavelength = document::WavelengthFromText(*typed, separator);
  if (!wavelength) {
    boxes_->Error(this, "'" + *typed + "' is not a wavelength from 0 to 1000 angstrom");
    return;
  }
  doc_.View.Wavelength = *wavelength;
}

void TMainForm::miHelpMeClick() { boxes_->Information(this, "Help", "Help me, please!"); }

void TMainForm::miAboutClick() { boxes_->Information(this, "About KORVELIN", kAboutText); }

// The picture names the file it shows in its tooltip, whole, so that the
// caption can keep to the readout.
void TMainForm::ShowFile(const document::LoadRecord& load) {
  shown_file_ = load.path;
  image_->setToolTip(QFileInfo(QString::fromStdString(load.path)).absoluteFilePath());
  // A file that shows nothing says so in the empty plot area, until a
  // redraw has a trace to show.
  view_.SetNotice(document::SavedFileNotice(load.saved));
  DrawScreenPlot();
  if (form_modify_ != nullptr) form_modify_->DocumentLoaded();
  FollowPlotFiles();
}

std::vector<std::string> TMainForm::PlotPaths() const {
  if (doc_.Files.empty()) return {shown_file_};
  std::vector<std::string> paths;
  for (const document::PlotFile& file : doc_.Files) paths.push_back(file.Name);
  return paths;
}

// While Follow File is checked the watch takes in the plot's files as they
// change (a file opened, added or stepped to); a read after a change leaves
// them as they were, so the watch goes on from its last look.
void TMainForm::FollowPlotFiles() {
  if (follow_action_->isChecked() && !shown_file_.empty() && file_watch_->Paths() != PlotPaths())
    file_watch_->Follow(PlotPaths());
}

// A shown file that is gone or no longer read whole leaves the picture as
// it was and says why; every file of the plot is read again.
void TMainForm::miReloadClick() {
  if (shown_file_.empty()) return;
  std::vector<document::AddRecord> adds;
  const document::LoadRecord load =
      document::ReloadPlot(doc_, reloader_, adder_, shown_file_, adds);
  if (load.result.status != document::LoadStatus::Loaded) {
    throw std::runtime_error(document::QuoteName(load.path) + ": " + load.result.reason);
  }
  ShowFile(load);
  for (const document::AddRecord& add : adds) TellAdd(add);
}

void TMainForm::miAddFileClick() {
  const std::optional<std::string> path = file_dialogs_->Run(this, kAddRequest);
  if (path) AddFiles({*path});
}

// With nothing shown the first file is opened the ordinary way. Several
// files dropped at once are drawn once, and then each says what it must.
void TMainForm::AddFiles(const std::vector<std::string>& paths) {
  std::vector<document::AddRecord> adds;
  for (const std::string& path : paths) {
    if (shown_file_.empty()) {
      LoadFile(path);
      continue;
    }
    adds.push_back(adder_.Add(doc_, shown_file_, path));
  }
  if (!adds.empty()) {
    DrawScreenPlot();
    if (form_modify_ != nullptr) form_modify_->DocumentLoaded();
  }
  for (const document::AddRecord& add : adds) TellAdd(add);
  FollowPlotFiles();
}

// A file refused or read in part says why, one box each, as an opened one
// does; so does one whose traces did not all fit.
void TMainForm::TellAdd(const document::AddRecord& add) {
  const document::LoadResult& result = add.load.result;
  if (result.status != document::LoadStatus::Loaded) {
    boxes_->Error(this, document::QuoteName(add.load.path) + ": " + result.reason);
  }
  const std::string left_out = document::AddMessage(add);
  if (!left_out.empty()) boxes_->Error(this, left_out);
}

void TMainForm::miStackClick() {
  document::StackTraces(doc_);
  DrawScreenPlot();
  if (form_modify_ != nullptr) form_modify_->DocumentLoaded();
}

void TMainForm::miUnstackClick() {
  document::UnstackTraces(doc_);
  DrawScreenPlot();
  if (form_modify_ != nullptr) form_modify_->DocumentLoaded();
}

// The item's check mark is the state, toggled by the menu before this runs.
void TMainForm::miLegendClick() {
  doc_.View.Legend = findChild<QAction*>("miLegend")->isChecked();
  DrawScreenPlot();
}

void TMainForm::miNextFileClick() { StepThroughFolder(document::SeriesStep::Next); }

void TMainForm::miPreviousFileClick() { StepThroughFolder(document::SeriesStep::Previous); }

// The nearest file that reads whole is shown; those on the way are named on
// standard error, as the command line names a rejected file. At either end
// of the folder nothing changes.
void TMainForm::StepThroughFolder(document::SeriesStep step) {
  if (shown_file_.empty()) return;
  for (const std::string& candidate : document::SeriesCandidates(shown_file_, step)) {
    const document::LoadRecord load = reloader_.Reload(doc_, candidate);
    if (load.result.status == document::LoadStatus::Loaded) {
      ShowFile(load);
      return;
    }
    *diagnostics_ << "korvelin: " << document::QuoteName(candidate) << ": " << load.result.reason
                  << '\n';
  }
}

// The item's check mark is the state, toggled by the menu before this runs:
// checked follows the plot's files (and every file shown after them),
// unchecked stops every timer of the watch.
void TMainForm::miFollowFileClick() {
  if (follow_action_->isChecked()) {
    FollowPlotFiles();
  } else {
    file_watch_->Stop();
  }
}

// A followed file that cannot be read whole just now (empty, cut short,
// refused) keeps the last good picture without a box: the writer's next
// change brings the next read.
void TMainForm::FollowedFileChanged(const std::string& path) {
  RunGuarded([&] {
    std::vector<document::AddRecord> adds;
    const document::LoadRecord load = document::ReloadPlot(doc_, reloader_, adder_, path, adds);
    if (load.result.status == document::LoadStatus::Loaded) ShowFile(load);
  });
}

}  // namespace korvelin::ui
