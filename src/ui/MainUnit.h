#pragma once
// The main window `TMainForm`: a thin shell over the plot view and the core.
// It shows the view's picture in the component `Image` at the client area's
// top-left corner, lays the view out whenever the client area changes size,
// loads command-line and dropped files, turns mouse events into the core's
// zoom and readout, and runs the menu commands. Its handlers are split by
// subject: MainUnit.cpp (start-up, layout, loading), MainMouse.cpp (mouse
// and the Edit commands), MainCommands.cpp (the menu bar from one table).

#include <QLabel>
#include <QMainWindow>
#include <QSize>
#include <cstdint>
#include <functional>
#include <iosfwd>
#include <memory>
#include <string>
#include <vector>

#include "document/Adding.h"
#include "document/FileSeries.h"
#include "document/GraphDocument.h"
#include "document/IgorReader.h"
#include "document/Loading.h"
#include "document/Reloading.h"
#include "render/Canvas.h"
#include "render/MouseZoom.h"
#include "render/PlotLayout.h"
#include "ui/PlotView.h"
#include "ui/UnitMod.h"

class QAction;
class QCloseEvent;
class QMenu;

namespace korvelin::platform {
class Clipboard;
class FileCalls;
class FileDialogs;
class FileDropHook;
class FileWatch;
class FontDialog;
class InputPrompt;
class MessageBoxes;
class PictureControl;
class PrintDialog;
}  // namespace korvelin::platform

namespace korvelin::ui {

inline constexpr char kCaption[] = "KORVELIN";
using render::kReferenceText;

// The services the window reaches the desktop through. Any left empty is
// served by the Qt implementation; tests hand in fakes.
struct MainFormServices {
  platform::Clipboard* clipboard = nullptr;
  platform::MessageBoxes* boxes = nullptr;
  platform::InputPrompt* prompt = nullptr;  // the Modify Graph dialog's
  platform::FileDialogs* file_dialogs = nullptr;
  platform::FontDialog* font_dialog = nullptr;
  platform::PrintDialog* print_dialog = nullptr;
  platform::FileCalls* file_calls = nullptr;  // the system calls Save Bitmap writes with
};

struct MainFormOptions {
  // Loaded in this order by FormCreate, after the window's first layout.
  std::vector<std::string> files;
  // The client area (below the menu bar) the window is first laid out at.
  QSize client_size{640, 480};
  // Replaces the measurement of LabelX when set; the window does not own it.
  render::TextMeasurer* measurer = nullptr;
  MainFormServices services{};
  // The display settings the window starts with.
  document::DisplaySettings settings{};
  // The view options (intensity scale, wavelength) it starts with.
  document::ViewOptions view{};
  // Where Next File and Previous File name the files they skip; standard
  // error when not set.
  std::ostream* diagnostics = nullptr;
  // The milliseconds Follow File measures its quiet wait in; a steady clock
  // when not set.
  std::function<int64_t()> follow_clock{};
};

class TFormModify;

class TMainForm : public QMainWindow, public ModifyHost {
  Q_OBJECT

 public:
  // Builds the window and runs FormCreate. The document outlives the window.
  explicit TMainForm(document::GraphDocument& doc, MainFormOptions options = {});
  ~TMainForm() override;

  // MainUnit.cpp
  // Every default (then `settings`), the drop hook, one layout, then the
  // files in order.
  void FormCreate(const std::vector<std::string>& files,
                  const document::DisplaySettings& settings = {});
  // The layout step: the view laid out at the client area's size.
  void FormResize() override;
  // Ends the program's event loop with exit code 0.
  void FormClose();
  // The application-wide drop hook's handler: loads the files dropped on the
  // window in the order given. Paths arrive whole, however long.
  void AppMessage(const std::vector<std::string>& dropped_paths);
  // A drop with Shift held: the files drawn on top of the shown one.
  void AddFiles(const std::vector<std::string>& paths);
  void TellAdd(const document::AddRecord& add);
  // Hands one file to the reader; an accepted file sets the application's
  // title and is drawn, a rejected one changes nothing.
  document::LoadResult LoadFile(const std::string& path);
  // The one redraw of the plot at the current layout.
  void DrawScreenPlot();

  // MainMouse.cpp: positions are picture pixels.
  void ImageMouseDown(render::MouseButton button, int x, int y);
  void ImageMouseMove(int x, int y);
  void ImageMouseUp(render::MouseButton button, int x, int y);
  void miUndoClick();
  void miCopyClick();
  void miPasteClick();

  // MainCommands.cpp: the File, View and Help commands. Each runs through
  // RunCommand when chosen from the menu.
  void miOpenClick();
  void miSaveClick();
  void miPrintClick();
  void miQuitClick();
  void miCopyBitmapClick();
  void miCopyMetafileClick();
  void miModifyClick();
  void miFontClick();
  void miHelpMeClick();
  void miAboutClick();
  // Reading the shown file again and stepping through its folder; each
  // keeps the view the user chose (Reloading.h). miFollowFileClick acts on
  // the check mark its menu item has just been given.
  void miAddFileClick();
  void miStackClick();
  void miUnstackClick();
  void miLegendClick();
  void miReloadClick();
  void miNextFileClick();
  void miPreviousFileClick();
  void miFollowFileClick();
  // The intensity scale of the y axis, one radio item each, and the
  // wavelength the readout turns 2-theta into d-spacing and Q with.
  void miLinearClick();
  void miSquareRootClick();
  void miLogarithmicClick();
  void miWavelengthClick();
  void SetIntensityScale(document::IntensityScale scale);
  // Runs one command to its end through RunGuarded.
  void RunCommand(void (TMainForm::*handler)());
  // The one error path of the window: every command and every event's work
  // (resize, the dialog's apply, a drop, a paint, the mouse) runs here. An
  // error it raises ends that work and is shown in the standard error box,
  // one box at a time; the window goes on with the last good picture.
  void RunGuarded(const std::function<void()>& work) override;
  // Device pixels per window pixel of the screen the window is on.
  double PixelRatio() const;

  // Resizes the window so that its client area becomes size; a window that
  // is not shown yet is laid out at once, a shown one when Qt delivers the
  // resize.
  void SetClientSize(QSize size);
  QSize ClientSize() const;
  // The size of the reference text "-000000" in the window's font.
  render::TextSize MeasureReference() { return view_.MeasureReference(); }

  const document::GraphDocument& Document() const { return doc_; }
  PlotView& View() { return view_; }
  const render::RasterImage& Raster() const { return view_.Raster(); }
  const QImage& Picture() const { return view_.Picture(); }
  const render::FontSpec& Font() const { return view_.Font(); }
  const render::MouseState& Mouse() const { return mouse_; }
  TFormModify& FormModify() { return *form_modify_; }
  // The file the picture shows, as it was named; empty before the first.
  const std::string& ShownFile() const { return shown_file_; }
  // What Follow File watches; nothing is watched while it is unchecked.
  platform::FileWatch& Watch() { return *file_watch_; }
  // The command-line files of FormCreate and every dropped file, in order.
  const std::vector<document::LoadRecord>& Loads() const { return loads_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  void CreateComponents();
  // MainCommands.cpp: the menu bar, built from one table of rows.
  void CreateMenu();
  void PlaceClientArea(QSize size);
  void HoldToLargestSize(double ratio);
  bool ImageEvent(QEvent* event);
  // Repaints the picture where the band of a drag may have changed it.
  void RepaintBand(const document::PixelRect& before, const document::PixelRect& after);
  // A pointer position in window pixels as a pixel of the picture.
  QPoint PicturePixel(QPointF position) const;
  // MainCommands.cpp: after a file came into the document, whichever way.
  void ShowFile(const document::LoadRecord& load);
  // The files the plot shows, the shown one first: what Follow File follows.
  std::vector<std::string> PlotPaths() const;
  void FollowPlotFiles();
  void StepThroughFolder(document::SeriesStep step);
  void FollowedFileChanged(const std::string& path);

  document::GraphDocument& doc_;
  PlotView view_;
  QWidget* client_ = nullptr;
  platform::PictureControl* image_ = nullptr;
  QLabel* label_x_ = nullptr;
  platform::FileDropHook* drop_hook_ = nullptr;
  std::unique_ptr<platform::Clipboard> own_clipboard_;
  platform::Clipboard* clipboard_ = nullptr;
  std::unique_ptr<platform::MessageBoxes> own_boxes_;
  platform::MessageBoxes* boxes_ = nullptr;
  std::unique_ptr<platform::InputPrompt> own_prompt_;
  platform::InputPrompt* prompt_ = nullptr;
  std::unique_ptr<platform::FileDialogs> own_file_dialogs_;
  platform::FileDialogs* file_dialogs_ = nullptr;
  std::unique_ptr<platform::FontDialog> own_font_dialog_;
  platform::FontDialog* font_dialog_ = nullptr;
  std::unique_ptr<platform::PrintDialog> own_print_dialog_;
  platform::PrintDialog* print_dialog_ = nullptr;
  platform::FileCalls* file_calls_ = nullptr;
  TFormModify* form_modify_ = nullptr;
  render::MouseState mouse_;
  bool mouse_moved_ = false;
  bool showing_error_ = false;
  std::vector<document::LoadRecord> loads_;
  // The boxes of command-line files read in part, shown once the window is:
  // the window comes first, and the program names the files on standard
  // error before any box waits for OK.
  bool creating_ = false;
  std::vector<std::string> startup_errors_;
  std::string shown_file_;
  document::Reloader reloader_;
  document::Adder adder_;
  std::ostream* diagnostics_ = nullptr;
  QAction* follow_action_ = nullptr;
  // Last of the members: its timers stop before anything they reach goes.
  std::unique_ptr<platform::FileWatch> file_watch_;
};

}  // namespace korvelin::ui
