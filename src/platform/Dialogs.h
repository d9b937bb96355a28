#pragma once
// The standard dialogs the menu commands run: the open and save file
// dialogs, the font dialog and the print dialog, each behind an interface
// the window is handed at construction, so tests give it fakes and never
// wait on a modal dialog. The Qt implementations keep what the user chose
// between uses, as dialogs created once with the window would: the folder,
// file name and filter of each file dialog, the font of the font dialog and
// the printer of the print dialog. What is done with the answer is the
// window's.

#include <QPrinter>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "render/Canvas.h"

class QWidget;

namespace korvelin::platform {

// One entry of a file dialog's type list: its text, "Igor Files (*.pat)",
// and the extension ("pat") that completes a name typed without one while
// the entry is selected. An empty extension leaves names as typed.
struct FileFilter {
  std::string text;
  std::string extension;
  bool operator==(const FileFilter&) const = default;
};

enum class FileDialogMode { Open, Save };

struct FileDialogRequest {
  FileDialogMode mode = FileDialogMode::Open;
  std::string title;
  std::vector<FileFilter> filters;  // the first is selected at the first use
};

class FileDialogs {
 public:
  virtual ~FileDialogs() = default;
  // The chosen file's path in the local 8-bit encoding, none on cancel. An
  // open dialog chooses an existing file; a save dialog any name, without
  // asking about a file that exists (the caller asks).
  virtual std::optional<std::string> Run(QWidget* owner, const FileDialogRequest& request) = 0;
};

class FontDialog {
 public:
  virtual ~FontDialog() = default;
  // Runs the dialog at its own font, the last one chosen in it. The font
  // chosen on OK, which becomes its own; none on cancel.
  virtual std::optional<render::FontSpec> Run(QWidget* owner) = 0;
};

class PrintDialog {
 public:
  virtual ~PrintDialog() = default;
  // The printer chosen and set up in the dialog, ready for a job; nullptr on
  // cancel. The dialog keeps the printer, which stays valid until the next
  // run.
  virtual QPrinter* Run(QWidget* owner) = 0;
};

// The first use of each dialog opens in the current folder with the first
// filter. A filter whose only pattern is "*.*" lists every file, also those
// without an extension, as a list named "All Files" promises.
class QtFileDialogs : public FileDialogs {
 public:
  std::optional<std::string> Run(QWidget* owner, const FileDialogRequest& request) override;

 private:
  struct Memory {
    QString folder;
    QString file;
    int filter = 0;
  };
  Memory open_;
  Memory save_;
};

// Starts at "Arial" with a character height of 12 pixels, regular.
class QtFontDialog : public FontDialog {
 public:
  std::optional<render::FontSpec> Run(QWidget* owner) override;
  const render::FontSpec& Font() const { return font_; }

 private:
  render::FontSpec font_{"Arial", 12, false, false};
};

// The printer is made at the first print, not with the window: looking for
// printers can take a moment the start of the program should not wait for.
class QtPrintDialog : public PrintDialog {
 public:
  QPrinter* Run(QWidget* owner) override;

 private:
  std::unique_ptr<QPrinter> printer_;
};

}  // namespace korvelin::platform
