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

}  // namespace korvelin::platform
