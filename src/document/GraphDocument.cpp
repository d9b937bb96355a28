#include "document/GraphDocument.h"

#include <algorithm>
#include <cstring>

namespace korvelin::document {

void InitValueStore(ValueStore& store) { FreeValueStore(store); }

void FreeValueStore(ValueStore& store) {
  for (auto& page : store.pages) page.reset();
  store.allocated_pages = 0;
}

double* AllocatePage(ValueStore& store, int32_t page) {
  // Pages are written before they are read, so they need no clearing.
  store.pages[page] = std::make_unique_for_overwrite<double[]>(kPageSize);
  ++store.allocated_pages;
  return store.pages[page].get();
}

std::string_view WaveName(const TWave& wave) {
  const void* nul = std::memchr(wave.name, 0, kNameLength);
  size_t length = nul ? static_cast<const char*>(nul) - wave.name : kNameLength;
  return std::string_view(wave.name, length);
}

void SetWaveName(TWave& wave, std::string_view name) {
  std::memset(wave.name, 0, kNameLength);
  std::memcpy(wave.name, name.data(), std::min<size_t>(name.size(), kNameLength));
}

namespace {
char UpperAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c; }

bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (UpperAscii(a[i]) != UpperAscii(b[i])) return false;
  }
  return true;
}
}  // namespace

int32_t FindWave(const GraphDocument& doc, std::string_view name) {
  int32_t result = -1;
  if (name.empty() || name.size() > kNameLength) return result;
  for (int32_t i = 0; i < doc.WaveCount; ++i) {
    if (EqualsIgnoringAsciiCase(WaveName(doc.Waves[i]), name)) result = i;
  }
  return result;
}

void ResetDocument(GraphDocument& doc) {
  doc.ValueCount = 0;
  doc.WaveCount = 0;
  doc.TraceCount = 0;
  doc.InBlock = false;
  doc.BlockFirstWave = 0;
  doc.BlockDeclared = false;
}

void SetDefaults(GraphDocument& doc) {
  doc.Settings = DisplaySettings{};
  doc.PlotRect = kDefaultPlotRect;
  doc.AxisRange = kDefaultAxisRange;
  doc.AxisHistory = FilledHistory(doc.AxisRange);
}

}  // namespace korvelin::document
