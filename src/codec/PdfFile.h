#pragma once
// The frame of a PDF file: the header, the numbered objects and streams as
// they are added, the table of where each object starts, and the trailer
// that points to that table. What the objects say (the page, its drawing,
// its fonts) and how a stream's data is compressed are the caller's.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace korvelin::codec {

class PdfFile {
 public:
  // A file of the given version ("1.4") of about expected_size bytes.
  PdfFile(const char* version, size_t expected_size);

  // Adds the next object, numbered from 1, with body as its content.
  void Object(const std::string& body);
  // Adds the next object as a stream of data, its dictionary's entries
  // before the /Length that is added here.
  void Stream(const std::string& dictionary, const std::string& data);
  // Ends the file with its table and trailer, whose root is object 1 and
  // whose document information is info_object, and gives its bytes.
  std::string Finish(int info_object);

 private:
  void Append(std::string_view text) { bytes_.append(text); }

  std::string bytes_;
  std::vector<size_t> offsets_;
};

}  // namespace korvelin::codec
