#include "ui/MainUnit.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QLocale>
#include <algorithm>
#include <cstdint>

#include "platform/ErrorBox.h"
#include "platform/FileDrop.h"
#include "platform/LabelMeasurer.h"
#include "platform/PictureControl.h"
#include "platform/QtFont.h"
#include "render/ScreenPlot.h"

namespace korvelin::ui {
namespace {

// The plot is at least 64 x 64 pixels however small the client area is.
constexpr int64_t kMinPlotSide = 64;
// Margins typed into the dialog can be any 32-bit number; beyond these bounds
// the plot would be too large to allocate or its edges would overflow, and
// nothing of it could be seen anyway.
constexpr int64_t kMaxPlotSide = 16384;
constexpr int64_t kMaxMargin = 1 << 20;

struct Margins {
  int64_t left = 8;
  int64_t top = 8;
  int64_t right = 8;
  int64_t bottom = 8;
};

// Automatic margins from the reference text's size w x h: room for the y
// numbers on the left, half a number on the right for the last x number,
// three quarters of a line on top for the top y number and one and a half
// lines below for the x numbers. For 56 x 19: L = 60, T = 14, R = 28, B = 32.
Margins ScaleMargins(render::TextSize text, const document::DisplaySettings& settings) {
  return {int64_t{text.width} + settings.DistanceY, (3 * int64_t{text.height}) / 4,
          int64_t{text.width} / 2, (3 * int64_t{text.height}) / 2 + settings.DistanceX};
}

int64_t ClampMargin(int64_t margin) { return std::clamp(margin, -kMaxMargin, kMaxMargin); }

// The plot width has its two lowest bits cleared so that every surface row
// is whole 32-bit words: 85 becomes 84, and 60 becomes 64 by the minimum.
int32_t PlotWidth(int64_t room) {
  const int64_t width = room & ~int64_t{3};
  return static_cast<int32_t>(std::clamp(width, kMinPlotSide, kMaxPlotSide));
}

int32_t PlotHeight(int64_t room) {
  return static_cast<int32_t>(std::clamp(room, kMinPlotSide, kMaxPlotSide));
}

char LocaleDecimalSeparator() {
  const QString point = QLocale().decimalPoint();
  const char separator = point.isEmpty() ? '.' : point.at(0).toLatin1();
  return separator == 0 ? '.' : separator;
}

}  // namespace

TMainForm::TMainForm(document::GraphDocument& doc, MainFormOptions options) : doc_(doc) {
  CreateComponents();
  measurer_ = options.measurer != nullptr ? options.measurer : label_measurer_.get();
  PlaceClientArea(options.client_size);
  FormCreate(options.files);
}

TMainForm::~TMainForm() = default;

void TMainForm::CreateComponents() {
  setObjectName("MainForm");
  setWindowTitle(kCaption);
  setFont(platform::ToQFont(font_));

  // The client area is the central widget, so a menu bar set later sits
  // above it and the layout keeps seeing only the area below.
  client_ = new QWidget(this);
  client_->setObjectName("ClientArea");
  setCentralWidget(client_);
  client_->installEventFilter(this);

  image_ = new platform::PictureControl(client_);
  image_->setObjectName("Image");
  image_->setGeometry(0, 0, 0, 0);

  label_x_ = new QLabel(" ", client_);
  label_x_->setObjectName("LabelX");
  label_x_->setTextFormat(Qt::PlainText);
  label_x_->hide();

  label_measurer_ = std::make_unique<platform::LabelMeasurer>(label_x_);
  canvas_ = std::make_unique<platform::PictureControlCanvas>(*image_);
}

void TMainForm::FormCreate(const std::vector<std::string>& files) {
  document::InitValueStore(doc_.Values);
  document::ResetDocument(doc_);
  render::ReleaseRasterImage(raster_);
  document::SetDefaults(doc_);
  delete drop_hook_;
  drop_hook_ = new platform::FileDropHook(
      this, [this](const std::vector<std::string>& paths) { AppMessage(paths); });
  // Qt sends no size notification before the window is shown, so the window
  // is laid out here once: the first file is then drawn at the right size.
  FormResize();
  for (const std::string& path : files) LoadFile(path);
}

void TMainForm::FormResize() {
  image_->hide();
  update();
  const QSize client = ClientSize();
  const int cw = std::max(0, client.width());
  const int ch = std::max(0, client.height());
  image_->setGeometry(0, 0, cw, ch);
  doc_.ClientSize = {cw, ch};
  image_->NewPicture(cw, ch);
  canvas_->SetFont(font_);
  measurer_->SetFont(font_);

  const document::DisplaySettings& settings = doc_.Settings;
  Margins m;
  if (settings.ScaleOn) m = ScaleMargins(measurer_->Measure(kReferenceText), settings);
  if (settings.MarginOn) {
    m = {settings.Margin.Left, settings.Margin.Top, settings.Margin.Right, settings.Margin.Bottom};
  }
  m = {ClampMargin(m.left), ClampMargin(m.top), ClampMargin(m.right), ClampMargin(m.bottom)};
  const int32_t width = PlotWidth(cw - m.left - m.right);
  const int32_t height = PlotHeight(ch - m.top - m.bottom);
  const auto left = static_cast<int32_t>(m.left);
  const auto top = static_cast<int32_t>(m.top);
  doc_.PlotRect = {left, top, left + width, top + height};

  render::ReleaseRasterImage(raster_);
  render::NewRasterImage(raster_, width, height);
  render::SetPaletteEntry(raster_, 0, 0xFFFFFF);
  render::SetPaletteEntry(raster_, 1, 0x000000);
  DrawScreenPlot();
}

void TMainForm::FormClose() { QCoreApplication::exit(0); }

void TMainForm::AppMessage(const std::vector<std::string>& dropped_paths) {
  for (const std::string& path : dropped_paths) LoadFile(path);
}

document::LoadResult TMainForm::LoadFile(const std::string& path) {
  document::LoadResult result = document::LoadPatternFile(doc_, path);
  loads_.push_back({path, result});
  if (result.accepted()) {
    QGuiApplication::setApplicationDisplayName(kCaption);
    DrawScreenPlot();
  }
  const bool stopped = result.status == document::LoadStatus::Failed ||
                       result.status == document::LoadStatus::Incomplete;
  if (stopped && isVisible()) {
    // The load stopped part-way; the user hears of it, the program goes on.
    // Headless runs name it on standard error instead.
    platform::ShowErrorBox(this, result.reason);
  }
  return result;
}

void TMainForm::DrawScreenPlot() {
  render::ScreenPlotTarget target{raster_,  *canvas_, *measurer_,
                                  mapping_, font_,    LocaleDecimalSeparator()};
  render::DrawScreenPlot(doc_, target);
}

void TMainForm::SetClientSize(QSize size) {
  size = size.expandedTo(QSize(0, 0));
  if (isVisible()) {
    resize(this->size() + (size - client_->size()));
    return;
  }
  // Hidden widgets get no resize events, so the hidden window lays out here.
  PlaceClientArea(size);
  FormResize();
}

void TMainForm::PlaceClientArea(QSize size) {
  // A hidden main window places its central widget only when it is shown;
  // until then the client area is put below the menu bar by hand, at the
  // place the window's own layout will give it.
  const int menu_height = menuWidget() != nullptr ? menuWidget()->sizeHint().height() : 0;
  resize(size.width(), size.height() + menu_height);
  client_->setGeometry(0, menu_height, size.width(), size.height());
}

QSize TMainForm::ClientSize() const { return client_->size(); }

render::TextSize TMainForm::MeasureReference() {
  measurer_->SetFont(font_);
  return measurer_->Measure(kReferenceText);
}

const QImage& TMainForm::Picture() const { return image_->Picture(); }

bool TMainForm::eventFilter(QObject* watched, QEvent* event) {
  if (watched == client_ && event->type() == QEvent::Resize) FormResize();
  return QMainWindow::eventFilter(watched, event);
}

void TMainForm::closeEvent(QCloseEvent* event) {
  FormClose();
  event->accept();
}

}  // namespace korvelin::ui
