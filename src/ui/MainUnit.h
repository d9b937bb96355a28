#pragma once
// The main window `TMainForm`: it owns the picture control `Image` (the
// client area's bitmap), the invisible measuring label `LabelX`, the raster
// surface and the drop hook, and it keeps the layout. On every change of
// the client area it works out the margins and `PlotRect`, re-creates the
// picture and the surface and redraws; it loads command-line and dropped
// files through the reader. Drawing the plot is the screen plot's business,
// reading files the reader's; the menus, mouse handling and the Modify Graph
// dialog are added around it.

#include <QLabel>
#include <QMainWindow>
#include <QSize>
#include <memory>
#include <string>
#include <vector>

#include "document/GraphDocument.h"
#include "document/IgorReader.h"
#include "render/Canvas.h"
#include "render/PlotMapping.h"
#include "render/RasterImage.h"

class QCloseEvent;

namespace korvelin::platform {
class FileDropHook;
class LabelMeasurer;
class PictureControl;
class PictureControlCanvas;
}  // namespace korvelin::platform

namespace korvelin::ui {

inline constexpr char kCaption[] = "KORVELIN";
// The text whose size in the window's font sets the automatic margins.
inline constexpr char kReferenceText[] = "-000000";

struct MainFormOptions {
  // Loaded in this order by FormCreate, after the window's first layout.
  std::vector<std::string> files;
  // The client area (below the menu bar) the window is first laid out at.
  QSize client_size{640, 480};
  // Replaces the measurement of LabelX when set; the window does not own it.
  render::TextMeasurer* measurer = nullptr;
};

// One file handed to the reader, with the reader's verdict.
struct LoadRecord {
  std::string path;
  document::LoadResult result;
};

class TMainForm : public QMainWindow {
  Q_OBJECT

 public:
  // Builds the window and runs FormCreate. The document outlives the window.
  explicit TMainForm(document::GraphDocument& doc, MainFormOptions options = {});
  ~TMainForm() override;

  // Every default, the drop hook, one layout, then the files in order.
  void FormCreate(const std::vector<std::string>& files);
  // The layout step: margins, PlotRect, a new picture and surface, a redraw.
  void FormResize();
  // Ends the program's event loop with exit code 0.
  void FormClose();
  // The application-wide drop hook's handler: loads the files dropped on the
  // window in the order given. Paths arrive whole, however long.
  void AppMessage(const std::vector<std::string>& dropped_paths);

  // Hands one file to the reader; an accepted file sets the application's
  // title and is drawn, a rejected one changes nothing.
  document::LoadResult LoadFile(const std::string& path);
  // The one redraw of the plot at the current layout.
  void DrawScreenPlot();

  // Resizes the window so that its client area becomes size; a window that
  // is not shown yet is laid out at once, a shown one when Qt delivers the
  // resize.
  void SetClientSize(QSize size);
  QSize ClientSize() const;

  // The size of the reference text "-000000" in the window's font.
  render::TextSize MeasureReference();

  const document::GraphDocument& Document() const { return doc_; }
  const render::RasterImage& Raster() const { return raster_; }
  const QImage& Picture() const;
  platform::PictureControlCanvas& Canvas() { return *canvas_; }
  const render::FontSpec& Font() const { return font_; }
  // The command-line files of FormCreate and every dropped file, in order.
  const std::vector<LoadRecord>& Loads() const { return loads_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void CreateComponents();
  void PlaceClientArea(QSize size);

  document::GraphDocument& doc_;
  render::FontSpec font_{};
  QWidget* client_ = nullptr;
  platform::PictureControl* image_ = nullptr;
  QLabel* label_x_ = nullptr;
  std::unique_ptr<platform::LabelMeasurer> label_measurer_;
  render::TextMeasurer* measurer_ = nullptr;
  std::unique_ptr<platform::PictureControlCanvas> canvas_;
  platform::FileDropHook* drop_hook_ = nullptr;
  render::RasterImage raster_;
  render::PlotMapping mapping_{};
  std::vector<LoadRecord> loads_;
};

}  // namespace korvelin::ui
