#include "platform/MessageBoxes.h"

#include <QMessageBox>
#include <QString>

namespace korvelin::platform {

void QtMessageBoxes::Error(QWidget* owner, const std::string& message) {
  QMessageBox::critical(owner, "KORVELIN", QString::fromLocal8Bit(message.c_str()) + ".");
}

}  // namespace korvelin::platform
