#pragma once
// The clipboard as the commands use it: plain 8-bit text in and out, and a
// picture put as one set of formats at once. The window is handed one at
// construction, so tests give it a fake and never touch the desktop's
// clipboard; the Qt implementation serves the program.

#include <QMimeData>
#include <memory>
#include <string>

namespace korvelin::platform {

class Clipboard {
 public:
  virtual ~Clipboard() = default;
  // Replaces the clipboard's contents with text.
  virtual void SetText(const std::string& text) = 0;
  // The clipboard's text; empty when it holds none.
  virtual std::string Text() = 0;
  // Replaces the clipboard's contents with every format of data at once, so
  // a program that pastes takes the one it reads best. The caller builds
  // data whole first: a copy that fails never reaches the clipboard.
  virtual void SetData(std::unique_ptr<QMimeData> data) = 0;
};

// The desktop's clipboard. Text goes out and comes back as Latin-1, one
// byte a character; characters beyond it read as '?'.
class QtClipboard : public Clipboard {
 public:
  void SetText(const std::string& text) override;
  std::string Text() override;
  void SetData(std::unique_ptr<QMimeData> data) override;
};

}  // namespace korvelin::platform
