#include "codec/PdfFile.h"

#include <cstdio>
#include <utility>

namespace korvelin::codec {

// The second line's bytes above 127 tell a reader the file is binary.
PdfFile::PdfFile(const char* version, size_t expected_size) {
  bytes_.reserve(expected_size);
  bytes_.append("%PDF-").append(version).append("\n%\xE2\xE3\xCF\xD3\n");
}

void PdfFile::Object(const std::string& body) {
  offsets_.push_back(bytes_.size());
  Append(std::to_string(offsets_.size()) + " 0 obj\n" + body + "\nendobj\n");
}

void PdfFile::Stream(const std::string& dictionary, const std::string& data) {
  offsets_.push_back(bytes_.size());
  Append(std::to_string(offsets_.size()) + " 0 obj\n<< " + dictionary + " /Length " +
         std::to_string(data.size()) + " >>\nstream\n");
  Append(data);
  Append("\nendstream\nendobj\n");
}

// Each line of the table is exactly 20 bytes, as readers count on; entry 0
// heads the list of free objects.
std::string PdfFile::Finish(int info_object) {
  const size_t table = bytes_.size();
  Append("xref\n0 " + std::to_string(offsets_.size() + 1) + "\n0000000000 65535 f \n");
  for (const size_t offset : offsets_) {
    char line[21];
    std::snprintf(line, sizeof line, "%010zu 00000 n \n", offset);
    Append(line);
  }
  Append("trailer\n<< /Size " + std::to_string(offsets_.size() + 1) + " /Root 1 0 R /Info " +
         std::to_string(info_object) + " 0 R >>\nstartxref\n" + std::to_string(table) +
         "\n%%EOF\n");
  return std::move(bytes_);
}

}  // namespace korvelin::codec
