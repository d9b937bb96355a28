#pragma once
// The application-wide hook for files dropped from a file manager. It watches
// every event the application delivers, acts only on drops addressed to one
// window (the window itself or any widget inside it), and hands the drop's
// local paths, in the order the drop lists them, and whether Shift was held,
// to a callback. Loading the
// files is the callback's business; the hook never stops an event from
// reaching its receiver.

#include <QObject>
#include <QPointer>
#include <QWidget>
#include <functional>
#include <string>
#include <vector>

class QMimeData;

namespace korvelin::platform {

// The local file paths of a drop in their order, as the bytes the file system
// knows them by; URLs that are not local files are left out. Paths are whole,
// however long.
std::vector<std::string> DroppedLocalPaths(const QMimeData* mime);

class FileDropHook : public QObject {
  Q_OBJECT

 public:
  using FileHandler = std::function<void(const std::vector<std::string>& paths, bool shift)>;

  // Installs itself on the application and lets window accept drops.
  FileDropHook(QWidget* window, FileHandler handler);
  ~FileDropHook() override;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  bool AddressedToWindow(QObject* receiver) const;

  QPointer<QWidget> window_;
  FileHandler handler_;
};

}  // namespace korvelin::platform
