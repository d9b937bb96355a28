#pragma once
// An enhanced metafile read back record by record, as any reader of the
// format would: the records, the header's checks and the drawing in order.

#include <QByteArray>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace korvelin::testing {

// The record types the tests look at.
namespace emf {
enum : uint32_t {
  kHeader = 1,
  kSetWindowExt = 9,
  kSetViewportExt = 11,
  kEof = 14,
  kSetMapMode = 17,
  kSetBkMode = 18,
  kSetTextAlign = 22,
  kSetTextColor = 24,
  kMoveTo = 27,
  kSelectObject = 37,
  kCreatePen = 38,
  kDeleteObject = 40,
  kLineTo = 54,
  kCreateFont = 82,
  kTextOutW = 84,
  kPolylineTo16 = 89,
};
}  // namespace emf

struct Record {
  uint32_t type = 0;
  QByteArray data;  // the whole record, type and size included
  // The value at offset; 0 past the record's end.
  template <class T = int32_t>
  T At(int offset) const {
    T v{};
    if (offset >= 0 && offset + static_cast<int>(sizeof v) <= data.size()) {
      std::memcpy(&v, data.constData() + offset, sizeof v);
    }
    return v;
  }
  // The characters of an ExtTextOutW record.
  std::string Text() const {
    std::string text;
    for (int i = 0; i < At(44); ++i) text += static_cast<char>(At<uint16_t>(At(48) + 2 * i));
    return text;
  }
};

// Splits the file into records; stops at the first size that does not fit,
// which the checks then see as a missing end record.
inline std::vector<Record> ReadRecords(const QByteArray& file) {
  std::vector<Record> records;
  for (qsizetype offset = 0; offset + 8 <= file.size();) {
    uint32_t head[2];
    std::memcpy(head, file.constData() + offset, 8);
    if (head[1] < 8 || head[1] % 4 != 0 || offset + head[1] > file.size()) break;
    records.push_back({head[0], file.mid(offset, head[1])});
    offset += head[1];
  }
  return records;
}

inline std::vector<Record> OfType(const std::vector<Record>& records, uint32_t type) {
  std::vector<Record> out;
  for (const Record& r : records) {
    if (r.type == type) out.push_back(r);
  }
  return out;
}

// Moves and lines as "M x y" and "L x y", texts as "T x y text", in order.
inline std::vector<std::string> Drawing(const std::vector<Record>& records) {
  std::vector<std::string> out;
  for (const Record& r : records) {
    const auto xy = [&r](int at) {
      return std::to_string(r.At(at)) + " " + std::to_string(r.At(at + 4));
    };
    if (r.type == emf::kMoveTo) out.push_back("M " + xy(8));
    if (r.type == emf::kLineTo) out.push_back("L " + xy(8));
    if (r.type == emf::kTextOutW) out.push_back("T " + xy(36) + " " + r.Text());
  }
  return out;
}

// A whole metafile: its header says " EMF" and the file's size, and its
// records, each within the file, run to the end record at the file's end.
inline bool WellFormed(const QByteArray& file) {
  const std::vector<Record> records = ReadRecords(file);
  qsizetype read = 0;
  for (const Record& r : records) read += r.data.size();
  return !records.empty() && records.front().type == emf::kHeader &&
         records.front().At(40) == 0x464D4520 && records.front().At(48) == file.size() &&
         read == file.size() && records.back().type == emf::kEof;
}

}  // namespace korvelin::testing
