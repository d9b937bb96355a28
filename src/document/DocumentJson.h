#pragma once
// The document as one JSON object, for `korvelin --dump`: every declared wave
// with its attributes and points, the traces, the axis range and its history.
// Users script with it; tests compare documents through it.

#include <optional>
#include <string>

#include "document/GraphDocument.h"

namespace korvelin::document {

// The window layout that `--dump --size WxH` adds under "layout".
struct LayoutJson {
  PixelSize client;
  PixelSize label;  // measured size of "-000000"
  PixelRect plot_rect;
};

// Numbers in shortest round-trip form; names as their stored bytes read as
// Latin-1 and JSON-escaped; rgb as an unsigned integer. Ends with a newline.
std::string DumpDocumentJson(const GraphDocument& doc,
                             const std::optional<LayoutJson>& layout = std::nullopt);

}  // namespace korvelin::document
