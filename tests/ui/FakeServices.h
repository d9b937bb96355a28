#pragma once
// Fakes of the window's desktop services for the toolkit tests: each
// records what it was asked and answers what the test set, and every call
// is also written to one log in order, "open Open Pattern File", "info
// Help", "clipboard image/png image/bmp", so a test can tell which command
// ran. No fake ever shows a window.

#include <QMimeData>
#include <QPrinter>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/Clipboard.h"
#include "platform/Dialogs.h"
#include "platform/InputPrompt.h"
#include "platform/MessageBoxes.h"
#include "ui/MainUnit.h"

namespace korvelin::testing {

using Log = std::vector<std::string>;

class FakeClipboard : public platform::Clipboard {
 public:
  explicit FakeClipboard(Log* log = nullptr) : log_(log) {}
  void SetText(const std::string& text) override {
    this->text = text;
    data.reset();
    Note("text", text);
  }
  std::string Text() override { return text; }
  void SetData(std::unique_ptr<QMimeData> data) override {
    std::string formats;
    for (const QString& format : data->formats()) formats.append(" ").append(format.toStdString());
    this->data = std::move(data);
    text.clear();
    Note("clipboard", formats.empty() ? formats : formats.substr(1));
  }

  std::string text;
  std::unique_ptr<QMimeData> data;

 private:
  void Note(const char* what, const std::string& detail) {
    if (log_ != nullptr) log_->push_back(std::string(what).append(" ").append(detail));
  }
  Log* log_;
};

class RecordingBoxes : public platform::MessageBoxes {
 public:
  explicit RecordingBoxes(Log* log = nullptr) : log_(log) {}
  void Error(QWidget*, const std::string& message) override {
    errors.push_back(message);
    if (log_ != nullptr) log_->push_back(std::string("error ").append(message));
  }
  void Information(QWidget*, const std::string& title, const std::string& text) override {
    infos.emplace_back(title, text);
    if (log_ != nullptr) log_->push_back(std::string("info ").append(title));
  }
  bool AskYesNo(QWidget*, const std::string& title, const std::string& text) override {
    questions.emplace_back(title, text);
    if (log_ != nullptr) log_->push_back(std::string("ask ").append(title));
    return answer;
  }

  std::vector<std::string> errors;
  std::vector<std::pair<std::string, std::string>> infos;      // title, text
  std::vector<std::pair<std::string, std::string>> questions;  // title, text
  bool answer = true;

 private:
  Log* log_;
};

class FakeFileDialogs : public platform::FileDialogs {
 public:
  explicit FakeFileDialogs(Log* log = nullptr) : log_(log) {}
  std::optional<std::string> Run(QWidget*, const platform::FileDialogRequest& request) override {
    requests.push_back(request);
    const bool save = request.mode == platform::FileDialogMode::Save;
    if (log_ != nullptr)
      log_->push_back(std::string(save ? "save " : "open ").append(request.title));
    return answer;
  }

  std::vector<platform::FileDialogRequest> requests;
  std::optional<std::string> answer;  // none: cancelled

 private:
  Log* log_;
};

class FakeFontDialog : public platform::FontDialog {
 public:
  explicit FakeFontDialog(Log* log = nullptr) : log_(log) {}
  std::optional<render::FontSpec> Run(QWidget*) override {
    if (log_ != nullptr) log_->push_back("font");
    return answer;
  }

  std::optional<render::FontSpec> answer;

 private:
  Log* log_;
};

class FakePrintDialog : public platform::PrintDialog {
 public:
  explicit FakePrintDialog(Log* log = nullptr) : log_(log) {}
  QPrinter* Run(QWidget*) override {
    if (log_ != nullptr) log_->push_back("print");
    return printer;
  }

  QPrinter* printer = nullptr;  // nullptr: cancelled

 private:
  Log* log_;
};

// The Modify Graph dialog's prompt, cancelled whenever it is asked.
class NoPrompt : public platform::InputPrompt {
 public:
  std::optional<std::string> Ask(std::string_view, std::string_view, std::string_view) override {
    return std::nullopt;
  }
};

// Every fake, logging into one list, ready to hand to a window.
struct FakeServices {
  Log log;
  FakeClipboard clipboard{&log};
  RecordingBoxes boxes{&log};
  FakeFileDialogs file_dialogs{&log};
  FakeFontDialog font_dialog{&log};
  FakePrintDialog print_dialog{&log};

  ui::MainFormServices Services(platform::InputPrompt* prompt) {
    ui::MainFormServices services;
    services.clipboard = &clipboard;
    services.boxes = &boxes;
    services.prompt = prompt;
    services.file_dialogs = &file_dialogs;
    services.font_dialog = &font_dialog;
    services.print_dialog = &print_dialog;
    return services;
  }
};

}  // namespace korvelin::testing
