#pragma once
// --export-each: every file drawn alone and written to a name of its own.
// The output plan (names, collisions, format) is made before anything is
// drawn; files are read and drawn on every core, each in a document and plot
// view of its own, and written by one thread of their own, so no core waits
// on the disk; a line counts the files done. Parsing the command line and
// choosing the Qt platform are the caller's.

#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "document/GraphDocument.h"
#include "ui/OutputFormats.h"

namespace korvelin::ui {

// The output name for one input: {name} becomes the input's file name
// without its extension, {dir} its folder ("." when it names none).
// ("out/{name}.png", "data/run 7.pat") gives "out/run 7.png".
std::string OutputNameFor(const std::string& pattern, const std::string& input);

struct BatchJob {
  std::string pattern;
  document::PixelSize client;
  std::vector<std::string> files;
  int threads = 0;        // 0: one per core
  bool progress = false;  // a "files done of total" line on err
  document::DisplaySettings settings{};
  std::optional<OutputFormat> format{};  // none: by the pattern's extension
  double scale = 1.0;                    // device pixels per window pixel, as --scale gives it
  // Leaves out every file whose output exists and was modified after it
  // (--newer), so a run over a folder that keeps filling draws the new ones.
  bool newer = false;
  document::ViewOptions view{};  // the intensity scale each picture is drawn with
};

// Draws every file alone and writes its picture. A file that is rejected or
// whose picture cannot be written is named on err and the others go on; 1 if
// any failed. Two inputs that would make one output name are an error
// before anything is written (2).
//
// start_toolkit, when given, is run on the calling thread once the workers
// have begun reading their first files, and no picture is drawn before it
// returns: the program starts the toolkit while the files are read.
int ExportEach(const BatchJob& job, std::ostream& err,
               const std::function<void()>& start_toolkit = {});

}  // namespace korvelin::ui
