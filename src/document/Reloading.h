#pragma once
// Reading the shown file again, or its neighbour in the folder, without
// losing what the user did on top of it: a zoom or an applied range stays
// with its undo history, styles set in the dialog stay on the waves that
// still exist, and the display settings are never touched. The new file is
// read aside and takes the document's place only when it was read whole, so
// a file that is gone, half-written or refused leaves the picture as it
// was. Telling the user, redrawing and watching the disk are the caller's.

#include <memory>
#include <string>
#include <vector>

#include "document/GraphDocument.h"
#include "document/Loading.h"

namespace korvelin::document {

// Whether the axis range or its history differ from what the last load
// left, which is every slot and the range equal to slot 15. A zoom or a
// range applied in the dialog makes it true; undoing back to the loaded range makes it
// false again, as the user is then looking at the file's own range.
bool ViewChosenByUser(const GraphDocument& doc);

// What the dialog's Waves tab sets on one wave, compared bit for bit (a
// NaN the file gave counts as the file's own), and copied from one wave to
// another; the wave's place in the value store stays.
bool SameStyle(const TWave& a, const TWave& b);
void CopyStyle(const TWave& from, TWave& to);

// Sets up a document a file is read aside into from the shown one's range,
// layout and settings, so that a file which sets no range reads as an
// ordinary load of it would.
void StartAside(GraphDocument& aside, const GraphDocument& doc);

// Reads files into a document that already shows one. It remembers the
// waves as the shown file gave them, so that a reload can tell the styles
// the user set in the dialog from the file's own, and keeps the second
// document the new file is read into.
class Reloader {
 public:
  Reloader();
  ~Reloader();
  Reloader(const Reloader&) = delete;
  Reloader& operator=(const Reloader&) = delete;

  // Notes the waves of a file just loaded into doc the ordinary way.
  void Loaded(const GraphDocument& doc);

  // Reads path aside; when it is read whole it replaces the document's
  // waves, values and traces, keeping the user's view and styles as above,
  // and becomes the file the styles are told apart from. Otherwise the
  // document is left exactly as it was and the record says why.
  LoadRecord Reload(GraphDocument& doc, const std::string& path);

 private:
  // Holds the file being read; its value store swaps with the document's,
  // so the two reservations take turns and memory stays flat.
  std::unique_ptr<GraphDocument> aside_;
  std::vector<TWave> loaded_waves_;
};

}  // namespace korvelin::document
