#pragma once
// The clipboard as the commands use it: plain 8-bit text in and out. The
// window is handed one at construction, so tests give it a fake and never
// touch the desktop's clipboard; the Qt implementation serves the program.

#include <string>

namespace korvelin::platform {

class Clipboard {
 public:
  virtual ~Clipboard() = default;
  // Replaces the clipboard's contents with text.
  virtual void SetText(const std::string& text) = 0;
  // The clipboard's text; empty when it holds none.
  virtual std::string Text() = 0;
};

// The desktop's clipboard. Text goes out and comes back as Latin-1, one
// byte a character; characters beyond it read as '?'.
class QtClipboard : public Clipboard {
 public:
  void SetText(const std::string& text) override;
  std::string Text() override;
};

}  // namespace korvelin::platform
