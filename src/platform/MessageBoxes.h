#pragma once
// The message boxes the window shows, behind an interface: the program uses
// the Qt boxes, tests a fake that records what would have been asked, so no
// test ever waits on a modal box. Texts are the local 8-bit bytes the
// program keeps its texts and file names in.

#include <string>

class QWidget;

namespace korvelin::platform {

class MessageBoxes {
 public:
  virtual ~MessageBoxes() = default;
  // The application's standard error box: title "KORVELIN", the message
  // followed by ".", a stop icon and an OK button.
  virtual void Error(QWidget* owner, const std::string& message) = 0;
  // A box with an information icon and an OK button. Lines of text are
  // separated by "\n".
  virtual void Information(QWidget* owner, const std::string& title, const std::string& text) = 0;
  // A question with Yes and No and no icon: true for Yes. Closing the box
  // without choosing answers No.
  virtual bool AskYesNo(QWidget* owner, const std::string& title, const std::string& text) = 0;
};

class QtMessageBoxes : public MessageBoxes {
 public:
  void Error(QWidget* owner, const std::string& message) override;
  void Information(QWidget* owner, const std::string& title, const std::string& text) override;
  bool AskYesNo(QWidget* owner, const std::string& title, const std::string& text) override;
};

}  // namespace korvelin::platform
