#pragma once
// The program's command line: `korvelin [--] FILE...` opens the window,
// `--export OUT [--size WxH] FILE...` draws the window's picture or the
// vector plot without a display and writes it, `--export-each PATTERN`
// does so for every file alone, `--dump [--size WxH] FILE...` prints the
// loaded document as JSON; `--set NAME=VALUE` changes a display setting;
// `--add FILE` draws a file on top of the others. This unit parses the line
// and runs the two headless modes; the window mode and the choice of Qt platform are the program
// entry's.

#include <functional>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "document/GraphDocument.h"
#include "document/IgorReader.h"
#include "document/Loading.h"
#include "document/SavedWaves.h"
#include "ui/Batch.h"
#include "ui/OutputFormats.h"

namespace korvelin::ui {

enum class RunMode { Window, Export, ExportEach, Dump, Help, Version };

struct CommandLine {
  RunMode mode = RunMode::Window;
  std::string export_path;  // --export's file ("-": standard output), or --export-each's pattern
  std::optional<document::PixelSize> size;
  std::vector<std::string> files;
  // --add FILE, in order: files drawn on top of the last file loaded.
  std::vector<std::string> added{};
  // The defaults with every --set NAME=VALUE applied, in order.
  document::DisplaySettings settings{};
  // The view options every --set YScale= and Wavelength= gave.
  document::ViewOptions view{};
  std::optional<OutputFormat> format{};  // --format; none: by export_path's extension
  // --scale: the picture a window of `size` shows on a screen of this many
  // device pixels per window pixel, from 1 to kMaxScale.
  double scale = 1.0;
  bool newer = false;  // --newer: --export-each leaves out files whose output is newer
};

// The line, or why it is wrong.
using ParsedCommandLine = document::Result<CommandLine>;

// The client size an export is drawn at when --size is not given.
inline constexpr document::PixelSize kDefaultExportSize{640, 480};
inline constexpr int kMaxSizeSide = 16384;
inline constexpr double kMaxScale = 4.0;

// args are the arguments after the program's own path. Options may stand
// anywhere before "--"; everything after "--" is a file.
ParsedCommandLine ParseCommandLine(const std::vector<std::string>& args);

// "WxH" with each side from 0 to kMaxSizeSide, e.g. "1920x1080".
std::optional<document::PixelSize> ParseSize(const std::string& text);

std::string UsageText();

// Whether a window could be opened: the platform was chosen explicitly, or
// an X11 or Wayland display is named.
bool HasDisplay();
std::string NoDisplayMessage();

using document::LoadRecord;

// Names every file that was rejected or not read whole on err, one line
// each with the reader's reason; 1 if there was one, else 0. With
// `saved_files`, also one line for each file read the second way or showing
// nothing, which does not change the result.
int ReportRejected(const std::vector<LoadRecord>& loads, std::ostream& err,
                   bool saved_files = true);

// The document of a run, loaded with the line's settings, and each file's
// verdict. Loading needs no toolkit, so the program can load while the
// toolkit starts.
struct LoadedFiles {
  std::unique_ptr<document::GraphDocument> doc;
  std::vector<LoadRecord> loads;  // the files, then the added files
  // One line for each added file whose traces did not all fit.
  std::vector<std::string> left_out{};
};
LoadedFiles LoadForRun(const CommandLine& line);

// --dump: loads the files in order and prints the JSON. Rejected files are
// named on err with the reason and make the result 1, otherwise it is 0.
// Without a size it touches no Qt object at all; with one a QApplication
// must exist (the layout is measured in the window's font).
int RunDump(const CommandLine& line, std::ostream& out, std::ostream& err);
int RunDump(const CommandLine& line, LoadedFiles loaded, std::ostream& out, std::ostream& err);

// --export: loads the files, lays out the window's picture at the size and
// writes it. Needs a QApplication. 1 when a file was rejected (the picture of
// what was loaded is still written) or the picture could not be written.
int RunExport(const CommandLine& line, std::ostream& err);
int RunExport(const CommandLine& line, LoadedFiles loaded, std::ostream& err);

// --export-each: draws every file alone and writes its picture, on every
// core; `progress` adds a "files done of total" line. Needs a
// QGuiApplication, or start_toolkit to make one as ExportEach runs it.
int RunExportEach(const CommandLine& line, std::ostream& err, bool progress,
                  const std::function<void()>& start_toolkit = {});

}  // namespace korvelin::ui
