#include "platform/Clipboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QString>

namespace korvelin::platform {

void QtClipboard::SetText(const std::string& text) {
  QGuiApplication::clipboard()->setText(
      QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size())));
}

std::string QtClipboard::Text() {
  const QByteArray bytes = QGuiApplication::clipboard()->text().toLatin1();
  return std::string(bytes.constData(), static_cast<size_t>(bytes.size()));
}

void QtClipboard::SetData(std::unique_ptr<QMimeData> data) {
  // The clipboard owns the data from here on.
  QGuiApplication::clipboard()->setMimeData(data.release());
}

}  // namespace korvelin::platform
