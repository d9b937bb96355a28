#include "document/Reloading.h"

#include <bit>
#include <cstdint>
#include <utility>

namespace korvelin::document {
namespace {

bool SameBits(double a, double b) {
  return std::bit_cast<uint64_t>(a) == std::bit_cast<uint64_t>(b);
}

// Everything a load writes into a document, moved from the document it was
// read into. Display settings and the layout are not the file's.
void TakeFileContents(GraphDocument& doc, GraphDocument& read) {
  SwapValueStores(doc.Values, read.Values);
  doc.ValueCount = read.ValueCount;
  doc.Waves = read.Waves;
  doc.WaveCount = read.WaveCount;
  doc.Traces = read.Traces;
  doc.TraceCount = read.TraceCount;
  doc.InBlock = read.InBlock;
  doc.BlockFirstWave = read.BlockFirstWave;
  doc.BlockDeclared = read.BlockDeclared;
  doc.AxisRange = read.AxisRange;
  doc.AxisHistory = read.AxisHistory;
}

}  // namespace

bool SameStyle(const TWave& a, const TWave& b) {
  return SameBits(a.lsize, b.lsize) && a.marker == b.marker && a.mode == b.mode &&
         SameBits(a.mrkThick, b.mrkThick) && a.msize == b.msize && SameBits(a.offsetx, b.offsetx) &&
         SameBits(a.offsety, b.offsety) && a.rgb == b.rgb;
}

void CopyStyle(const TWave& from, TWave& to) {
  to.lsize = from.lsize;
  to.marker = from.marker;
  to.mode = from.mode;
  to.mrkThick = from.mrkThick;
  to.msize = from.msize;
  to.offsetx = from.offsetx;
  to.offsety = from.offsety;
  to.rgb = from.rgb;
}

void StartAside(GraphDocument& aside, const GraphDocument& doc) {
  aside.AxisRange = doc.AxisRange;
  aside.AxisHistory = doc.AxisHistory;
  aside.PlotRect = doc.PlotRect;
  aside.ClientSize = doc.ClientSize;
  aside.Settings = doc.Settings;
}

bool ViewChosenByUser(const GraphDocument& doc) {
  const TRealRect& loaded = doc.AxisHistory[kHistorySlots - 1];
  if (!(doc.AxisRange == loaded)) return true;
  for (const TRealRect& slot : doc.AxisHistory) {
    if (!(slot == loaded)) return true;
  }
  return false;
}

Reloader::Reloader() : aside_(std::make_unique<GraphDocument>()) {}

Reloader::~Reloader() = default;

void Reloader::Loaded(const GraphDocument& doc) {
  loaded_waves_.assign(doc.Waves.begin(), doc.Waves.begin() + doc.WaveCount);
}

LoadRecord Reloader::Reload(GraphDocument& doc, const std::string& path) {
  GraphDocument& aside = *aside_;
  StartAside(aside, doc);
  LoadRecord record = LoadFile(aside, path);
  if (record.result.status != LoadStatus::Loaded) return record;

  const bool keep_view = ViewChosenByUser(doc);
  const TRealRect range = doc.AxisRange;
  const std::array<TRealRect, kHistorySlots> history = doc.AxisHistory;
  std::vector<TWave> styled;
  for (size_t i = 0; i < loaded_waves_.size() && i < size_t(doc.WaveCount); ++i) {
    const TWave& wave = doc.Waves[i];
    if (WaveName(wave) == WaveName(loaded_waves_[i]) && !SameStyle(wave, loaded_waves_[i])) {
      styled.push_back(wave);
    }
  }

  TakeFileContents(doc, aside);
  // The new file is shown alone; a plot of several files is read again by
  // reloading each of them on top of it.
  doc.Files.clear();
  doc.PaletteUsed = 0;
  doc.UnstackedOffsets.clear();
  if (keep_view) {
    doc.AxisRange = range;
    doc.AxisHistory = history;
  }
  Loaded(doc);
  for (const TWave& wave : styled) {
    const int32_t found = FindWave(doc, WaveName(wave));
    if (found >= 0) CopyStyle(wave, doc.Waves[found]);
  }
  return record;
}

}  // namespace korvelin::document
