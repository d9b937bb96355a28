#include "ui/OutputFormats.h"

#include <algorithm>
#include <cctype>
#include <mutex>

#include "platform/AtomicFile.h"
#include "platform/EmfVectorCanvas.h"
#include "platform/PainterVectorCanvas.h"
#include "platform/PdfWriter.h"
#include "platform/PictureFile.h"
#include "render/VectorPlot.h"
#include "render/VectorRecording.h"
#include "ui/PlotView.h"

namespace korvelin::ui {
namespace {

struct FormatRow {
  OutputFormat format;
  const char* extension;
  const char* mime_type;
  bool window_picture;
};

// The one table of output formats.
constexpr FormatRow kFormats[] = {
    {OutputFormat::Png, "png", "image/png", true},
    {OutputFormat::Bmp, "bmp", "image/bmp", true},
    {OutputFormat::Emf, "emf", kEmfMimeType, false},
    {OutputFormat::Svg, "svg", "image/svg+xml", false},
    {OutputFormat::Pdf, "pdf", "application/pdf", false},
};

const FormatRow& RowOf(OutputFormat format) {
  for (const FormatRow& row : kFormats) {
    if (row.format == format) return row;
  }
  return kFormats[0];
}

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

platform::PictureFormat PictureFormatFor(OutputFormat format) {
  return format == OutputFormat::Png ? platform::PictureFormat::Png : platform::PictureFormat::Bmp;
}

// The vector plot of the view's layout on its page, in the format. The PDF
// is drawn straight onto its operators; the other containers play a
// recording, as the clipboard and the printer do.
document::Result<QByteArray> VectorBytes(PlotView& view, OutputFormat format, int width,
                                         int height) {
  const document::GraphDocument& doc = view.Document();
  if (format == OutputFormat::Pdf) {
    const auto draw = [&](render::VectorCanvas& canvas) {
      render::PlotMapping mapping;
      render::VectorPlotTarget target{canvas, view.Measurer(), mapping, view.DrawingFont(),
                                      view.DecimalSeparator()};
      render::DrawVectorPlot(doc, target);
    };
    return platform::PdfBytes(draw, render::EstimatedOperations(doc), width, height);
  }
  const render::VectorRecording recording =
      render::RecordVectorPlot(doc, view.Measurer(), view.DrawingFont(), view.DecimalSeparator());
  if (format == OutputFormat::Emf) return platform::EmfBytes(recording, width, height);
  return platform::SvgBytes(recording, width, height);
}

document::Result<QByteArray> PageBytes(PlotView& view, OutputFormat format) {
  const document::DisplaySettings& settings = view.Document().Settings;
  const int width = settings.MetafileWidth;
  const int height = settings.MetafileHeight;
  const document::Status page = render::VectorPageStatus(width, height);
  if (!page.ok()) return page;
  // The metafile library keeps one table of drawing objects for the whole
  // process, and the page containers share the toolkit's font engine: one
  // vector picture is made at a time.
  static std::mutex one_at_a_time;
  std::lock_guard<std::mutex> lock(one_at_a_time);
  return VectorBytes(view, format, width, height);
}

}  // namespace

std::optional<OutputFormat> OutputFormatOf(const std::string& path) {
  const size_t dot = path.find_last_of("./");
  if (dot == std::string::npos || path[dot] != '.') return std::nullopt;
  return OutputFormatNamed(path.substr(dot + 1));
}

std::optional<OutputFormat> OutputFormatNamed(const std::string& name) {
  const std::string extension = Lower(name);
  for (const FormatRow& row : kFormats) {
    if (extension == row.extension) return row.format;
  }
  return std::nullopt;
}

const char* MimeTypeOf(OutputFormat format) { return RowOf(format).mime_type; }

bool IsWindowPicture(OutputFormat format) { return RowOf(format).window_picture; }

void LayOutFor(PlotView& view, OutputFormat format, document::PixelSize client) {
  if (!IsWindowPicture(format)) {
    view.Arrange(client);
  } else {
    view.Layout(client);
  }
}

document::Status PageStatus(OutputFormat format, const document::DisplaySettings& settings) {
  if (IsWindowPicture(format)) return {};
  return render::VectorPageStatus(settings.MetafileWidth, settings.MetafileHeight);
}

std::string OutputExtensions() {
  std::string text;
  const size_t count = std::size(kFormats);
  for (size_t i = 0; i < count; ++i) {
    if (i > 0) text += i + 1 == count ? " or " : ", ";
    text += std::string(".") + kFormats[i].extension;
  }
  return text;
}

// A PNG says the resolution of the screen the picture was made for: 96
// pixels to the inch times its ratio.
document::Result<QByteArray> PlotBytes(PlotView& view, OutputFormat format) {
  if (!IsWindowPicture(format)) return PageBytes(view, format);
  if (format == OutputFormat::Png) {
    return platform::PictureBytes(view.Picture(), platform::PictureFormat::Png,
                                  platform::kScreenDotsPerInch * view.PixelRatio());
  }
  return platform::PictureBytes(platform::PictureToWrite(view.Picture()),
                                platform::PictureFormat::Bmp);
}

document::Status WritePlot(PlotView& view, const std::string& path, OutputFormat format) {
  return WritePlot(view, path, format, platform::SystemFileCalls());
}

// The window's picture is streamed into the file (the BMP of a 16384 x 16384
// picture is a quarter of a gigabyte or more); the vector plot is made in
// memory first.
document::Status WritePlot(PlotView& view, const std::string& path, OutputFormat format,
                           platform::FileCalls& calls) {
  if (IsWindowPicture(format)) {
    return platform::WritePictureFile(view.Picture(), path, PictureFormatFor(format), calls,
                                      platform::kScreenDotsPerInch * view.PixelRatio());
  }
  const document::Result<QByteArray> bytes = PlotBytes(view, format);
  if (!bytes.ok()) return bytes.status();
  return platform::WriteFileAtomically(
      path, std::string_view(bytes.value().constData(), static_cast<size_t>(bytes.value().size())),
      calls);
}

}  // namespace korvelin::ui
