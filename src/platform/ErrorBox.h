#pragma once
// The application's standard error box: title "KORVELIN", the error's
// message followed by ".", a stop icon and an OK button. Commands that do
// not handle an error themselves show it here and the program goes on.

#include <string>

class QWidget;

namespace korvelin::platform {

void ShowErrorBox(QWidget* parent, const std::string& message);

}  // namespace korvelin::platform
