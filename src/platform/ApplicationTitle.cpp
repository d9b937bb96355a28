#include "platform/ApplicationTitle.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QString>

namespace korvelin::platform {

// The application name, not the display name: X11 window managers and task
// bars read the name through the window class and the desktop file, and the
// captions stay exactly as set.
void SetApplicationTitle(const std::string& title) {
  QCoreApplication::setApplicationName(QString::fromStdString(title));
  QGuiApplication::setDesktopFileName("korvelin");
}

std::string ApplicationTitle() { return QCoreApplication::applicationName().toStdString(); }

}  // namespace korvelin::platform
