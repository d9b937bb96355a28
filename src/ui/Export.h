#pragma once
// Pictures of the plot written to files: one table from the file name's
// extension to the writer, used by --export, --export-each and, later, the
// window's commands. A batch draws many files on every core, each file in
// a document and plot view of its own, each picture written atomically.
// Parsing the command line and choosing the Qt platform are the caller's.

#include <QByteArray>
#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "document/GraphDocument.h"

namespace korvelin::ui {

class PlotView;

// Pictures of the window (PNG, BMP) and the vector plot on a page of
// MetafileWidth x MetafileHeight hundredths of a millimetre (EMF, SVG, PDF).
enum class OutputFormat { Png, Bmp, Emf, Svg, Pdf };

// The format named by the file's extension, case-insensitively; none for
// any other name.
std::optional<OutputFormat> OutputFormatOf(const std::string& path);
// The format called "png", "bmp", "emf", "svg" or "pdf", as --format names
// it, case-insensitively; none for any other text.
std::optional<OutputFormat> OutputFormatNamed(const std::string& name);
// The name that writes to standard output, as --export - does.
inline constexpr char kStandardOutputName[] = "-";
// Whether the format is a picture of the window, which needs the raster
// drawn, rather than the vector plot, which needs the layout alone.
bool IsWindowPicture(OutputFormat format);
// Lays the view out for the format: the whole layout and redraw for a
// picture of the window, the plot rectangle alone for the vector plot.
void LayOutFor(PlotView& view, OutputFormat format, document::PixelSize client);
// Why the settings make no page for the format, or the empty text: a vector
// page needs each side from 1 to 2,000,000 hundredths of a millimetre. A
// command line that asks for such a page is wrong, and nothing is drawn.
std::string PageError(OutputFormat format, const document::DisplaySettings& settings);
// The extensions a picture may have, for messages: ".png, .bmp, .emf, .svg or .pdf".
std::string OutputExtensions();

// The bytes of the file WritePlot writes in the format: empty on success
// with bytes set, else the reason nothing could be made.
std::string PlotBytes(PlotView& view, OutputFormat format, QByteArray& bytes);

// Writes what the laid-out view shows to path in the format of its
// extension, atomically: the window's picture, or the vector plot of the
// view's layout. Empty on success, else the reason; a vector page of no
// size is refused before any file is made.
std::string WritePlot(PlotView& view, const std::string& path);
// The same in the given format, whatever the name; "-" is standard output.
std::string WritePlot(PlotView& view, const std::string& path, OutputFormat format);

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
  double scale = 1.0;  // device pixels per window pixel, as --scale gives it
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
