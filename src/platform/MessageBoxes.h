#pragma once
// The message boxes the window shows, behind an interface: the program uses
// the Qt boxes, tests a fake that records what would have been asked, so no
// test ever waits on a modal box.

#include <string>

class QWidget;

namespace korvelin::platform {

class MessageBoxes {
 public:
  virtual ~MessageBoxes() = default;
  // The application's standard error box: title "KORVELIN", the message
  // followed by ".", a stop icon and an OK button.
  virtual void Error(QWidget* owner, const std::string& message) = 0;
};

class QtMessageBoxes : public MessageBoxes {
 public:
  void Error(QWidget* owner, const std::string& message) override;
};

}  // namespace korvelin::platform
