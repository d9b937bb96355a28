#pragma once
// Adding a file to the plot the document shows, so that patterns can be
// compared in one frame: the new file is read aside into a second document
// and its waves and traces are appended to the shown ones, within the
// tables' capacities. Traces the file gave no colour take the next colour of
// a fixed palette. Telling the user and redrawing are the caller's.

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "document/GraphDocument.h"
#include "document/Loading.h"
#include "document/Reloading.h"

namespace korvelin::document {

// Ten colours that stay apart on white paper, on screen and in greyscale
// print as well as ten colours can; none of them is black, the colour of a
// file that sets none, so an added pattern never looks like the shown one.
inline constexpr std::array<uint32_t, 10> kTracePalette{0x1F77B4, 0xD62728, 0x2CA02C, 0xFF7F0E,
                                                        0x9467BD, 0x8C564B, 0xE377C2, 0x17BECF,
                                                        0xBCBD22, 0x7F7F7F};

// The palette colour of the n-th trace to take one, round the palette.
uint32_t PaletteColour(int32_t n);

// What an add did: the file's load, and of its traces how many came into the
// plot and how many were left out for want of room.
struct AddRecord {
  LoadRecord load;
  int32_t traces_added = 0;
  int32_t traces_left_out = 0;
};

// Appends the traces of `added`, a document just loaded, to doc, each with
// the waves it draws: values copied one after another (stride 1), wave
// indices remapped. A trace whose waves or values do not fit in what is left
// of 256 waves, 256 traces and 1,048,576 values is left out whole. The file
// list gets `shown_name` first (when doc lists no files yet) and `name`
// when any trace came in. The axis range grows to take in every added trace
// unless the user chose the view (a zoom or an applied range). Returns how
// many traces were left out; `added` is read only.
int32_t AppendDocument(GraphDocument& doc, const GraphDocument& added,
                       const std::string& shown_name, const std::string& name);

// "b.xy: 3 of 5 traces left out: the plot holds 256 waves, 256 traces and
// 1,048,576 values", or the empty text when everything came in.
std::string AddMessage(const AddRecord& add);

// Reads files aside and appends them; keeps the second document, whose
// memory stays reserved from one add to the next.
class Adder {
 public:
  Adder();
  ~Adder();
  Adder(const Adder&) = delete;
  Adder& operator=(const Adder&) = delete;

  // Reads path; a file that is not accepted leaves doc exactly as it was and
  // the record says why.
  AddRecord Add(GraphDocument& doc, const std::string& shown_path, const std::string& path);

 private:
  std::unique_ptr<GraphDocument> aside_;
};

// Reads every file of the plot again: the shown one through the reloader,
// which keeps the user's view and styles, then each added file in its
// order, and stacks the traces again when they were. When the shown file
// cannot be read whole the plot stays as it was. The adds' records are
// appended to `adds`.
LoadRecord ReloadPlot(GraphDocument& doc, Reloader& reloader, Adder& adder,
                      const std::string& shown_path, std::vector<AddRecord>& adds);

}  // namespace korvelin::document
