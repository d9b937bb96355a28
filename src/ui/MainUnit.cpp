// Start-up, layout and loading of the main window.

#include "ui/MainUnit.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QEvent>
#include <QMenuBar>
#include <QResizeEvent>
#include <QShowEvent>
#include <QTimer>
#include <algorithm>
#include <cmath>
#include <iostream>

#include "document/QuotedName.h"
#include "platform/ApplicationTitle.h"
#include "platform/AtomicFile.h"
#include "platform/Clipboard.h"
#include "platform/Dialogs.h"
#include "platform/FileDrop.h"
#include "platform/FileWatch.h"
#include "platform/InputPrompt.h"
#include "platform/MessageBoxes.h"
#include "platform/PictureControl.h"
#include "platform/QtFont.h"
#include "render/PlotLayout.h"

namespace korvelin::ui {

TMainForm::TMainForm(document::GraphDocument& doc, MainFormOptions options)
    : doc_(doc), view_(doc, options.measurer) {
  clipboard_ = options.services.clipboard;
  if (clipboard_ == nullptr) {
    own_clipboard_ = std::make_unique<platform::QtClipboard>();
    clipboard_ = own_clipboard_.get();
  }
  boxes_ = options.services.boxes;
  if (boxes_ == nullptr) {
    own_boxes_ = std::make_unique<platform::QtMessageBoxes>();
    boxes_ = own_boxes_.get();
  }
  file_dialogs_ = options.services.file_dialogs;
  if (file_dialogs_ == nullptr) {
    own_file_dialogs_ = std::make_unique<platform::QtFileDialogs>();
    file_dialogs_ = own_file_dialogs_.get();
  }
  font_dialog_ = options.services.font_dialog;
  if (font_dialog_ == nullptr) {
    own_font_dialog_ = std::make_unique<platform::QtFontDialog>();
    font_dialog_ = own_font_dialog_.get();
  }
  print_dialog_ = options.services.print_dialog;
  if (print_dialog_ == nullptr) {
    own_print_dialog_ = std::make_unique<platform::QtPrintDialog>();
    print_dialog_ = own_print_dialog_.get();
  }
  file_calls_ = options.services.file_calls != nullptr ? options.services.file_calls
                                                       : &platform::SystemFileCalls();
  platform::InputPrompt* prompt = options.services.prompt;
  if (prompt == nullptr) {
    own_prompt_ = std::make_unique<platform::QtInputPrompt>(this);
    prompt = own_prompt_.get();
  }
  prompt_ = prompt;
  diagnostics_ = options.diagnostics != nullptr ? options.diagnostics : &std::cerr;
  file_watch_ = std::make_unique<platform::FileWatch>(
      [this](const std::string& path) { FollowedFileChanged(path); },
      std::move(options.follow_clock));
  view_.SetDecimalSeparator(LocaleDecimalSeparator());
  CreateComponents();
  CreateMenu();
  PlaceClientArea(options.client_size);
  doc_.View = options.view;
  FormCreate(options.files, options.settings);
  // After the window and its files, as the program starts: hidden.
  form_modify_ = new TFormModify(doc_, *this, *prompt, view_.DecimalSeparator(), this);
}

TMainForm::~TMainForm() = default;

void TMainForm::CreateComponents() {
  setObjectName("MainForm");
  setWindowTitle(kCaption);
  setFont(platform::ToQFont(view_.Font()));

  // The client area is the central widget, so the menu bar sits above it and
  // the layout and the mouse see only the area below.
  client_ = new QWidget(this);
  client_->setObjectName("ClientArea");
  setCentralWidget(client_);
  client_->installEventFilter(this);

  image_ = new platform::PictureControl(view_.Canvas(), client_);
  image_->setObjectName("Image");
  image_->SetGuard([this](const std::function<void()>& work) { RunGuarded(work); });
  image_->setGeometry(0, 0, 0, 0);
  // The readout follows the pointer without a button held.
  image_->setMouseTracking(true);
  image_->installEventFilter(this);
  view_.Canvas().OnVisibilityChange([this](bool visible) {
    image_->setVisible(visible);
    if (visible) image_->update();
  });

  // Text is measured by the view in the window's font; the label is kept as
  // the component the window's layout is defined by, hidden.
  label_x_ = new QLabel(" ", client_);
  label_x_->setObjectName("LabelX");
  label_x_->setTextFormat(Qt::PlainText);
  label_x_->hide();
}

void TMainForm::FormCreate(const std::vector<std::string>& files,
                           const document::DisplaySettings& settings) {
  document::InitValueStore(doc_.Values);
  document::ResetDocument(doc_);
  document::SetDefaults(doc_);
  doc_.Settings = settings;
  mouse_ = {};
  mouse_moved_ = false;
  delete drop_hook_;
  drop_hook_ =
      new platform::FileDropHook(this, [this](const std::vector<std::string>& paths, bool shift) {
        RunGuarded([&] { shift ? AddFiles(paths) : AppMessage(paths); });
      });
  // Qt sends no size notification before the window is shown, so the window
  // is laid out here once: the first file is then drawn at the right size.
  FormResize();
  creating_ = true;
  for (const std::string& path : files) LoadFile(path);
  creating_ = false;
}

// The picture is made at device pixels: on a screen of ratio 2 a client area
// of 640 x 480 window pixels gets a picture of 1280 x 960, drawn in the font
// at twice its size, and the control shows it one device pixel per pixel.
void TMainForm::FormResize() {
  image_->hide();
  update();
  const double ratio = PixelRatio();
  HoldToLargestSize(ratio);
  const QSize client = ClientSize();
  view_.SetPixelRatio(ratio);
  const document::PixelSize picture = render::BoundWindowPicture(
      DevicePixels({std::max(0, client.width()), std::max(0, client.height())}, ratio));
  image_->SetPixelRatio(ratio);
  image_->setGeometry(0, 0, static_cast<int>(std::ceil(picture.Width / ratio)),
                      static_cast<int>(std::ceil(picture.Height / ratio)));
  view_.Layout(picture);
}

double TMainForm::PixelRatio() const { return client_->devicePixelRatioF(); }

// The client area, and the window with its menu bar, are held to
// kMaxWindowDeviceSide device pixels a side. A window manager keeps the
// window within that; without one the window system gives the window any
// size asked for, and resizeEvent takes it back before anything is painted
// at that size.
void TMainForm::HoldToLargestSize(double ratio) {
  const int largest = static_cast<int>(render::kMaxWindowDeviceSide / ratio);
  if (client_->maximumSize() == QSize(largest, largest)) return;
  client_->setMaximumSize(largest, largest);
  const int menu_height = menuWidget() != nullptr ? menuWidget()->sizeHint().height() : 0;
  setMaximumSize(largest, largest + menu_height);
}

// Past the sides, the client area's height is held so that it has no more
// device pixels than the largest picture (8192 x 4096, more than an 8K
// screen in either orientation): the window's backing store and its picture
// then take 128 MB each at most, and every pixel of the client area is
// picture.
void TMainForm::resizeEvent(QResizeEvent* event) {
  QMainWindow::resizeEvent(event);
  QSize held = size().boundedTo(maximumSize());
  const double ratio = PixelRatio();
  const QSize client = client_->size().boundedTo(client_->maximumSize());
  const auto device_width = static_cast<int64_t>(std::ceil(client.width() * ratio));
  if (device_width > 0) {
    const auto tallest = static_cast<int>(
        static_cast<double>(render::kMaxWindowPicturePixels / device_width) / ratio);
    if (client.height() > tallest) held.setHeight(held.height() - (client.height() - tallest));
  }
  if (held != size()) resize(held);
}

void TMainForm::FormClose() { QCoreApplication::exit(0); }

void TMainForm::AppMessage(const std::vector<std::string>& dropped_paths) {
  for (const std::string& path : dropped_paths) LoadFile(path);
}

document::LoadResult TMainForm::LoadFile(const std::string& path) {
  loads_.push_back(document::LoadFile(doc_, path));
  const document::LoadResult& result = loads_.back().result;
  if (result.accepted()) {
    platform::SetApplicationTitle(kCaption);
    reloader_.Loaded(doc_);
    ShowFile(loads_.back());
  }
  const bool stopped = result.status == document::LoadStatus::Failed ||
                       result.status == document::LoadStatus::Incomplete;
  if (stopped) {
    // The load stopped part-way; the user hears of it once, the program goes
    // on. Headless runs name it on standard error instead.
    const std::string message = document::QuoteName(path) + ": " + result.reason;
    if (creating_) {
      startup_errors_.push_back(message);
    } else {
      boxes_->Error(this, message);
    }
  }
  return result;
}

void TMainForm::DrawScreenPlot() { view_.Redraw(); }

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

// A move to a screen of another ratio lays the picture out again at the new
// device pixels.
bool TMainForm::eventFilter(QObject* watched, QEvent* event) {
  if (watched == client_ &&
      (event->type() == QEvent::Resize ||
       (event->type() == QEvent::ScreenChangeInternal && PixelRatio() != view_.PixelRatio()))) {
    RunGuarded([this] { FormResize(); });
  }
  if (watched == image_) {
    bool handled = false;
    RunGuarded([&] { handled = ImageEvent(event); });
    if (handled) return true;
  }
  return QMainWindow::eventFilter(watched, event);
}

void TMainForm::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (startup_errors_.empty()) return;
  // After the window has been mapped and painted.
  QTimer::singleShot(0, this, [this] {
    const std::vector<std::string> errors = std::move(startup_errors_);
    startup_errors_.clear();
    for (const std::string& error : errors) boxes_->Error(this, error);
  });
}

void TMainForm::closeEvent(QCloseEvent* event) {
  FormClose();
  event->accept();
}

}  // namespace korvelin::ui
