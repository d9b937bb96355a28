#pragma once
// The modal input prompt: a small window with a caption, a prompt text and
// one edit, pre-filled with a value and selected, that takes at most 255
// characters, with OK and Cancel. Callers hold the interface, so a test
// hands in a fake and never waits on a modal box. Texts are Latin-1 bytes,
// as the document keeps its names.

#include <QPointer>
#include <QWidget>
#include <optional>
#include <string>
#include <string_view>

namespace korvelin::platform {

inline constexpr int kMaxPromptLength = 255;

class InputPrompt {
 public:
  virtual ~InputPrompt() = default;
  // The edited text when OK is chosen, nothing on Cancel.
  virtual std::optional<std::string> Ask(std::string_view caption, std::string_view prompt,
                                         std::string_view value) = 0;
};

// The prompt as a modal dialog over the given parent, or over the active
// window when there is none.
class QtInputPrompt : public InputPrompt {
 public:
  explicit QtInputPrompt(QWidget* parent = nullptr) : parent_(parent) {}

  std::optional<std::string> Ask(std::string_view caption, std::string_view prompt,
                                 std::string_view value) override;

 private:
  QPointer<QWidget> parent_;
};

}  // namespace korvelin::platform
