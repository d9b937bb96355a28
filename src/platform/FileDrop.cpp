#include "platform/FileDrop.h"

#include <QCoreApplication>
#include <QDragEnterEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QFile>
#include <QMimeData>
#include <QUrl>

namespace korvelin::platform {

std::vector<std::string> DroppedLocalPaths(const QMimeData* mime) {
  std::vector<std::string> paths;
  if (mime == nullptr || !mime->hasUrls()) return paths;
  for (const QUrl& url : mime->urls()) {
    if (!url.isLocalFile()) continue;
    const QByteArray bytes = QFile::encodeName(url.toLocalFile());
    paths.emplace_back(bytes.constData(), static_cast<size_t>(bytes.size()));
  }
  return paths;
}

FileDropHook::FileDropHook(QWidget* window, FileHandler handler)
    : QObject(window), window_(window), handler_(std::move(handler)) {
  window->setAcceptDrops(true);
  if (QCoreApplication* app = QCoreApplication::instance()) app->installEventFilter(this);
}

FileDropHook::~FileDropHook() {
  if (QCoreApplication* app = QCoreApplication::instance()) app->removeEventFilter(this);
}

bool FileDropHook::AddressedToWindow(QObject* receiver) const {
  if (!window_ || !receiver->isWidgetType()) return false;
  return static_cast<QWidget*>(receiver)->window() == window_;
}

bool FileDropHook::eventFilter(QObject* watched, QEvent* event) {
  const QEvent::Type type = event->type();
  if (type != QEvent::DragEnter && type != QEvent::DragMove && type != QEvent::Drop) return false;
  if (!AddressedToWindow(watched)) return false;
  auto* drop = static_cast<QDropEvent*>(event);
  if (!drop->mimeData() || !drop->mimeData()->hasUrls()) return false;
  // A file manager offers a drop only to a target that accepts the entering drag.
  drop->acceptProposedAction();
  if (type != QEvent::Drop) return false;
  const std::vector<std::string> paths = DroppedLocalPaths(drop->mimeData());
  if (!paths.empty()) handler_(paths, drop->modifiers().testFlag(Qt::ShiftModifier));
  return false;
}

}  // namespace korvelin::platform
