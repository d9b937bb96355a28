#include "platform/MessageBoxes.h"

#include <QMessageBox>
#include <QString>

namespace korvelin::platform {
namespace {

QString Local(const std::string& text) { return QString::fromLocal8Bit(text.c_str()); }

// Texts are shown as they are: a file name with "<b>" in it is no markup.
QMessageBox::StandardButton Show(QWidget* owner, QMessageBox::Icon icon, const QString& title,
                                 const QString& text, QMessageBox::StandardButtons buttons) {
  QMessageBox box(icon, title, text, buttons, owner);
  box.setTextFormat(Qt::PlainText);
  return static_cast<QMessageBox::StandardButton>(box.exec());
}

}  // namespace

void QtMessageBoxes::Error(QWidget* owner, const std::string& message) {
  Show(owner, QMessageBox::Critical, "KORVELIN", Local(message) + ".", QMessageBox::Ok);
}

void QtMessageBoxes::Information(QWidget* owner, const std::string& title,
                                 const std::string& text) {
  Show(owner, QMessageBox::Information, Local(title), Local(text), QMessageBox::Ok);
}

bool QtMessageBoxes::AskYesNo(QWidget* owner, const std::string& title, const std::string& text) {
  // Escape and the close button answer No, the one button of the two that
  // changes nothing.
  return Show(owner, QMessageBox::NoIcon, Local(title), Local(text),
              QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

}  // namespace korvelin::platform
