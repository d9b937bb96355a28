#pragma once
// The formats the plot is written in, one row each: its extension, its MIME
// type, whether it is the window's picture (PNG, BMP: the raster drawn at
// the layout) or the vector plot on a page of MetafileWidth x MetafileHeight
// hundredths of a millimetre (EMF, SVG, PDF), how its bytes are made and how
// it reaches a file. --export, the batch, Save Bitmap, Copy Bitmap and Copy
// Metafile all choose and make their formats here; the format is chosen once,
// when the command line is read or the user names a file.

#include <QByteArray>
#include <optional>
#include <string>

#include "document/GraphDocument.h"
#include "document/Status.h"

namespace korvelin::platform {
class FileCalls;
}

namespace korvelin::ui {

class PlotView;

enum class OutputFormat { Png, Bmp, Emf, Svg, Pdf };

// The format named by the file's extension, case-insensitively; none for
// any other name.
std::optional<OutputFormat> OutputFormatOf(const std::string& path);
// The format called "png", "bmp", "emf", "svg" or "pdf", as --format names
// it, case-insensitively; none for any other text.
std::optional<OutputFormat> OutputFormatNamed(const std::string& name);
// The name office suites on this system look for an enhanced metafile under.
inline constexpr char kEmfMimeType[] =
    "application/x-openoffice-emf;windows_formatname=\"Image EMF\"";
// What the clipboard offers the format as: "image/png", "image/bmp",
// kEmfMimeType, "image/svg+xml", "application/pdf".
const char* MimeTypeOf(OutputFormat format);
// The name that writes to standard output, as --export - does.
inline constexpr char kStandardOutputName[] = "-";
// Whether the format is a picture of the window, which needs the raster
// drawn, rather than the vector plot, which needs the layout alone.
bool IsWindowPicture(OutputFormat format);
// Lays the view out for the format: the whole layout and redraw for a
// picture of the window, the plot rectangle alone for the vector plot.
void LayOutFor(PlotView& view, OutputFormat format, document::PixelSize client);
// Whether the settings make a page for the format: a vector page needs each
// side from 1 to 2,000,000 hundredths of a millimetre, a picture of the
// window needs none. A command line that asks for no page is wrong, and
// nothing is drawn.
document::Status PageStatus(OutputFormat format, const document::DisplaySettings& settings);
// The extensions a picture may have, for messages: ".png, .bmp, .emf, .svg or .pdf".
std::string OutputExtensions();

// The bytes of the file WritePlot writes in the format, or why none could
// be made.
document::Result<QByteArray> PlotBytes(PlotView& view, OutputFormat format);

// Writes what the laid-out view shows to path in the format, atomically:
// the window's picture as it is (pasted text included), or the vector plot
// of the view's layout; "-" is standard output. A vector page of no size is
// refused before any file is made.
document::Status WritePlot(PlotView& view, const std::string& path, OutputFormat format);
document::Status WritePlot(PlotView& view, const std::string& path, OutputFormat format,
                           platform::FileCalls& calls);

}  // namespace korvelin::ui
