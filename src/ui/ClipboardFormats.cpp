// Each copy is a table of formats: the name a program asks the clipboard
// for, what the bytes are, and how they are made from the copy's sources.

#include "ui/ClipboardFormats.h"

#include <QByteArray>
#include <span>

#include "platform/EmfVectorCanvas.h"
#include "platform/PainterVectorCanvas.h"
#include "platform/PictureFile.h"

namespace korvelin::ui {
namespace {

// What one copy is made from. The picture is made once in the form it is
// written in, so PNG and BMP share its palette image.
struct CopySources {
  const render::VectorRecording* recording = nullptr;
  int width = 0;
  int height = 0;
  QImage picture;
  double dots_per_inch = platform::kScreenDotsPerInch;
};

struct ClipboardFormat {
  OutputFormat format;
  const char* what;  // for the message when the bytes cannot be made
  document::Result<QByteArray> (*make)(const CopySources&);
};

document::Result<QByteArray> Png(const CopySources& s) {
  return platform::PictureBytes(s.picture, platform::PictureFormat::Png, s.dots_per_inch);
}
document::Result<QByteArray> Bmp(const CopySources& s) {
  return platform::PictureBytes(s.picture, platform::PictureFormat::Bmp);
}
document::Result<QByteArray> Emf(const CopySources& s) {
  return platform::EmfBytes(*s.recording, s.width, s.height);
}
document::Result<QByteArray> Svg(const CopySources& s) {
  return platform::SvgBytes(*s.recording, s.width, s.height);
}

constexpr ClipboardFormat kBitmapFormats[] = {
    {OutputFormat::Png, "PNG picture", Png},
    {OutputFormat::Bmp, "BMP picture", Bmp},
};

// The vector plot only, the richest first. Office suites choose by their
// own ranking, not by this order: offered a PDF they take it and break it
// into closed shapes and texts in a stand-in face, offered a PNG a word
// processor takes the picture. With the metafile and SVG alone, every one
// pastes the metafile, a drawing that breaks into the frame's lines, the
// numbers in the plot's own font and the trace as one line; drawing
// programs take the SVG. The picture is Copy Bitmap's.
constexpr ClipboardFormat kMetafileFormats[] = {
    {OutputFormat::Emf, "metafile", Emf},
    {OutputFormat::Svg, "SVG picture", Svg},
};

// The copy's own words for a format that cannot be made, whatever the
// encoder's reason: the user asked for the clipboard, not for a file.
ClipboardCopy Build(std::span<const ClipboardFormat> formats, const CopySources& sources) {
  auto data = std::make_unique<QMimeData>();
  for (const ClipboardFormat& format : formats) {
    const document::Result<QByteArray> bytes = format.make(sources);
    if (!bytes.ok()) {
      return document::Status::Failure(std::string("The ") + format.what +
                                       " for the clipboard could not be made");
    }
    data->setData(MimeTypeOf(format.format), bytes.value());
  }
  return data;
}

}  // namespace

ClipboardCopy BitmapCopy(const QImage& picture, double dots_per_inch) {
  if (picture.isNull()) return document::Status::Failure("The window has no picture to copy");
  return Build(kBitmapFormats, {nullptr, 0, 0, platform::PictureToWrite(picture), dots_per_inch});
}

ClipboardCopy MetafileCopy(const render::VectorRecording& recording, int width, int height) {
  const document::Status page = render::VectorPageStatus(width, height);
  if (!page.ok()) return page;
  return Build(kMetafileFormats, {&recording, width, height, QImage()});
}

}  // namespace korvelin::ui
