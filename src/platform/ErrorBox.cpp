#include "platform/ErrorBox.h"

#include <QMessageBox>
#include <QString>

namespace korvelin::platform {

void ShowErrorBox(QWidget* parent, const std::string& message) {
  QMessageBox::critical(parent, "KORVELIN", QString::fromStdString(message) + ".");
}

}  // namespace korvelin::platform
