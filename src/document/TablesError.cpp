// The invariant's rules, in the order a reader builds the document: the
// counts first, since the other rules index the tables by them.

#include "document/TablesError.h"

#include <cstdint>

namespace korvelin::document {
namespace {

std::string CountError(const char* name, int32_t count, int32_t table_size) {
  if (count >= 0 && count <= table_size) return {};
  return std::string(name) + " " + std::to_string(count) + " outside 0 .. " +
         std::to_string(table_size);
}

// The last point is computed in 64 bits, so a count times a stride that
// leaves 32 bits cannot wrap back inside the values.
std::string WaveError(const GraphDocument& doc, int32_t i) {
  const TWave& wave = doc.Waves[static_cast<size_t>(i)];
  const std::string name = "wave " + std::to_string(i);
  if (wave.count < 0) return name + " has count " + std::to_string(wave.count);
  if (wave.count == 0) return {};
  if (wave.stride < 1) return name + " has stride " + std::to_string(wave.stride);
  const int64_t first = wave.first;
  const int64_t last = first + int64_t{wave.count - 1} * wave.stride;
  if (first >= 0 && last < doc.ValueCount) return {};
  return name + " reads values " + std::to_string(first) + " .. " + std::to_string(last) + " of " +
         std::to_string(doc.ValueCount);
}

}  // namespace

std::string TablesError(const GraphDocument& doc) {
  for (const std::string& error : {CountError("ValueCount", doc.ValueCount, kMaxValues),
                                   CountError("WaveCount", doc.WaveCount, kMaxWaves),
                                   CountError("TraceCount", doc.TraceCount, kMaxTraces)}) {
    if (!error.empty()) return error;
  }
  for (int32_t i = 0; i < doc.TraceCount; ++i) {
    const TTrace& trace = doc.Traces[static_cast<size_t>(i)];
    for (const int32_t wave : {trace.XWave, trace.YWave}) {
      if (wave < -1 || wave >= doc.WaveCount) {
        return "trace " + std::to_string(i) + " names wave " + std::to_string(wave) + " of " +
               std::to_string(doc.WaveCount);
      }
    }
  }
  for (int32_t i = 0; i < doc.WaveCount; ++i) {
    std::string error = WaveError(doc, i);
    if (!error.empty()) return error;
  }
  return {};
}

}  // namespace korvelin::document
