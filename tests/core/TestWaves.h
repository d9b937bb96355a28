#pragma once
// Waves made by hand for the drawing tests, each its own one-column block
// stored as the reader stores values; the points of a wave read back; the
// text of a pattern file joined from its lines; documents on the heap, the
// traces by name and files of the test's making for the reader tests.

#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "document/GraphDocument.h"

namespace korvelin::testing {

inline int32_t AddWave(document::GraphDocument& doc, const std::vector<double>& values) {
  const int32_t index = doc.WaveCount++;
  document::TWave& wave = doc.Waves[index];
  wave = document::TWave{};
  wave.first = doc.ValueCount;
  wave.stride = 1;
  wave.count = static_cast<int32_t>(values.size());
  for (double v : values) document::SetValue(doc.Values, doc.ValueCount++, v);
  return index;
}

// The first count points of a wave, all of them unless told.
inline std::vector<double> Points(const document::GraphDocument& doc, int32_t wave,
                                  int32_t count = -1) {
  const document::TWave& w = doc.Waves[wave];
  std::vector<double> points;
  for (int32_t i = 0; i < (count < 0 ? w.count : count); ++i) {
    points.push_back(document::GetValue(doc.Values, w.first + i * w.stride));
  }
  return points;
}

// The lines joined, each ended by end (CR LF unless told otherwise).
inline std::string Lines(const std::vector<std::string>& lines, std::string_view end = "\r\n") {
  std::string text;
  for (const std::string& line : lines) text.append(line).append(end);
  return text;
}

// Documents are large (30 KB plus pages), so tests keep them on the heap.
using Doc = std::unique_ptr<document::GraphDocument>;
inline Doc NewDoc() { return std::make_unique<document::GraphDocument>(); }

// Each trace as "y vs x" by the names of its waves.
inline std::vector<std::string> TraceNames(const document::GraphDocument& doc) {
  std::vector<std::string> names;
  for (int32_t t = 0; t < doc.TraceCount; ++t) {
    const document::TTrace& trace = doc.Traces[t];
    names.push_back(std::string(WaveName(doc.Waves[trace.YWave])) + " vs " +
                    std::string(WaveName(doc.Waves[trace.XWave])));
  }
  return names;
}

// A file in the temporary folder, its name ending in `name`, removed when
// the test ends.
class TempFile {
 public:
  explicit TempFile(const std::string& text, const std::string& name = "file")
      : path_((std::filesystem::temp_directory_path() /
               ("korvelin-" + std::to_string(getpid()) + "-" + std::to_string(counter_++) + "-" +
                name))
                  .string()) {
    Write(text);
  }
  ~TempFile() { std::filesystem::remove(path_); }
  void Write(const std::string& text) const { std::ofstream(path_, std::ios::binary) << text; }
  const std::string& path() const { return path_; }

 private:
  static inline int counter_ = 0;
  std::string path_;
};

}  // namespace korvelin::testing
