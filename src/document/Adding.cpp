#include "document/Adding.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "document/QuotedName.h"
#include "document/Stacking.h"

namespace korvelin::document {
namespace {

// What one add has placed so far: where each wave of the added file went
// (-1 while not copied) and the extent of the values drawn, offsets included.
struct Placement {
  std::array<int32_t, kMaxWaves> wave_at{};
  double left = INFINITY, right = -INFINITY, bottom = INFINITY, top = -INFINITY;
  Placement() { wave_at.fill(-1); }
};

// The room a trace needs beyond what this add has already copied.
struct Need {
  int32_t waves = 0;
  int64_t values = 0;
};

Need TraceNeed(const GraphDocument& added, const TTrace& trace, const Placement& placed) {
  Need need;
  // A trace may draw a wave against itself; that wave is one copy.
  const int32_t y_wave = trace.YWave == trace.XWave ? -1 : trace.YWave;
  for (const int32_t w : {trace.XWave, y_wave}) {
    if (w < 0 || placed.wave_at[w] >= 0) continue;
    ++need.waves;
    need.values += StoredPoints(added.Waves[w], added.ValueCount);
  }
  return need;
}

// Copies a wave's stored points one after another at the end of the values;
// points the file declared but never stored are not carried over.
int32_t CopyWave(GraphDocument& doc, const GraphDocument& added, int32_t w) {
  const TWave& from = added.Waves[w];
  const auto count = static_cast<int32_t>(StoredPoints(from, added.ValueCount));
  const int32_t index = doc.WaveCount++;
  TWave& to = doc.Waves[index];
  to = from;
  to.first = doc.ValueCount;
  to.stride = 1;
  to.count = count;
  for (int32_t i = 0, at = from.first; i < count; ++i, at += from.stride) {
    SetValue(doc.Values, doc.ValueCount++, GetValue(added.Values, at));
  }
  return index;
}

// Takes in the finite points of a trace as the plots draw them, the y
// wave's offsets added; a trace short of a wave draws nothing. Both waves
// were copied with stride 1.
void TakeInTrace(const GraphDocument& doc, const TTrace& trace, Placement& placed) {
  if (trace.YWave < 0 || trace.XWave < 0) return;
  const TWave& y = doc.Waves[trace.YWave];
  const TWave& x = doc.Waves[trace.XWave];
  const int32_t n = std::min(x.count, y.count);
  for (int32_t i = 0; i < n; ++i) {
    const double px = GetValue(doc.Values, x.first + i) + y.offsetx;
    const double py = GetValue(doc.Values, y.first + i) + y.offsety;
    if (!std::isfinite(px) || !std::isfinite(py)) continue;
    placed.left = std::min(placed.left, px);
    placed.right = std::max(placed.right, px);
    placed.bottom = std::min(placed.bottom, py);
    placed.top = std::max(placed.top, py);
  }
}

// Widens the ends of one axis, in whichever order they stand, to take in
// low .. high: a reversed x axis (Left > Right) grows its left end upwards.
void GrowEnds(double& a, double& b, double low, double high) {
  double& lower = a <= b ? a : b;
  double& upper = a <= b ? b : a;
  lower = std::min(lower, low);
  upper = std::max(upper, high);
}

void GrowRange(TRealRect& range, const Placement& placed) {
  if (!(placed.left <= placed.right)) return;
  GrowEnds(range.Left, range.Right, placed.left, placed.right);
  GrowEnds(range.Bottom, range.Top, placed.bottom, placed.top);
}

// The waves of each added file (by its place in the plot's files) whose
// style differs from what its add left: the styles set in the dialog.
std::vector<std::vector<TWave>> AddedFilesStyles(const GraphDocument& doc) {
  std::vector<std::vector<TWave>> styled(doc.Files.size());
  for (size_t f = 1; f < doc.Files.size(); ++f) {
    const PlotFile& file = doc.Files[f];
    for (size_t i = 0; i < file.AsAdded.size(); ++i) {
      const int64_t w = int64_t{file.FirstWave} + static_cast<int64_t>(i);
      if (w < doc.WaveCount && !SameStyle(doc.Waves[w], file.AsAdded[i])) {
        styled[f].push_back(doc.Waves[w]);
      }
    }
  }
  return styled;
}

// Sets the styles on the waves of the same name that the file brought
// again; a wave the file no longer has is passed over.
void RestoreStyles(GraphDocument& doc, const PlotFile& file, const std::vector<TWave>& styled) {
  const int32_t end =
      std::min(doc.WaveCount, file.FirstWave + static_cast<int32_t>(file.AsAdded.size()));
  for (const TWave& wave : styled) {
    for (int32_t w = file.FirstWave; w < end; ++w) {
      if (WaveName(doc.Waves[w]) != WaveName(wave)) continue;
      CopyStyle(wave, doc.Waves[w]);
      break;
    }
  }
}

}  // namespace

uint32_t PaletteColour(int32_t n) {
  const auto size = static_cast<int32_t>(kTracePalette.size());
  return kTracePalette[static_cast<size_t>(((n % size) + size) % size)];
}

int32_t AppendDocument(GraphDocument& doc, const GraphDocument& added,
                       const std::string& shown_name, const std::string& name) {
  if (doc.Files.empty()) doc.Files.push_back(PlotFile{shown_name, 0, doc.TraceCount});
  PlotFile file{name, doc.TraceCount, 0, doc.WaveCount};
  Placement placed;
  int32_t left_out = 0;
  for (int32_t t = 0; t < added.TraceCount; ++t) {
    const TTrace& trace = added.Traces[t];
    const Need need = TraceNeed(added, trace, placed);
    if (doc.TraceCount >= kMaxTraces || doc.WaveCount + need.waves > kMaxWaves ||
        doc.ValueCount + need.values > kMaxValues) {
      ++left_out;
      continue;
    }
    for (const int32_t w : {trace.XWave, trace.YWave}) {
      if (w < 0 || placed.wave_at[w] >= 0) continue;
      placed.wave_at[w] = CopyWave(doc, added, w);
      // Only a y wave's colour is drawn; it takes the palette's next colour
      // on its first trace when its file gave it none.
      TWave& wave = doc.Waves[placed.wave_at[w]];
      if (w == trace.YWave && !wave.rgb_given) wave.rgb = PaletteColour(doc.PaletteUsed++);
    }
    const TTrace copied{trace.XWave < 0 ? -1 : placed.wave_at[trace.XWave],
                        trace.YWave < 0 ? -1 : placed.wave_at[trace.YWave]};
    doc.Traces[doc.TraceCount++] = copied;
    TakeInTrace(doc, copied, placed);
  }
  if (doc.TraceCount > file.FirstTrace) {
    file.TraceCount = doc.TraceCount - file.FirstTrace;
    file.AsAdded.assign(doc.Waves.begin() + file.FirstWave, doc.Waves.begin() + doc.WaveCount);
    doc.Files.push_back(std::move(file));
  }
  if (!ViewChosenByUser(doc)) {
    GrowRange(doc.AxisRange, placed);
    doc.AxisHistory = FilledHistory(doc.AxisRange);
  }
  return left_out;
}

std::string AddMessage(const AddRecord& add) {
  if (add.traces_left_out == 0) return {};
  return QuoteName(add.load.path) + ": " + std::to_string(add.traces_left_out) + " of " +
         std::to_string(add.traces_added + add.traces_left_out) +
         " traces left out: the plot holds 256 waves, 256 traces and 1,048,576 values";
}

Adder::Adder() : aside_(std::make_unique<GraphDocument>()) {}

Adder::~Adder() = default;

AddRecord Adder::Add(GraphDocument& doc, const std::string& shown_path, const std::string& path) {
  GraphDocument& aside = *aside_;
  StartAside(aside, doc);
  AddRecord add{LoadFile(aside, path)};
  if (!add.load.result.accepted()) return add;
  const int32_t traces_before = doc.TraceCount;
  add.traces_left_out = AppendDocument(doc, aside, shown_path, path);
  add.traces_added = doc.TraceCount - traces_before;
  return add;
}

LoadRecord ReloadPlot(GraphDocument& doc, Reloader& reloader, Adder& adder,
                      const std::string& shown_path, std::vector<AddRecord>& adds) {
  const std::vector<PlotFile> files = doc.Files;
  const bool stacked = Stacked(doc);
  // The user's styles are told from the files' by the offsets too, so they
  // are looked at with the files' own offsets, not the stack's.
  UnstackTraces(doc);
  const std::vector<std::vector<TWave>> styled = AddedFilesStyles(doc);
  LoadRecord record = reloader.Reload(doc, shown_path);
  if (record.result.status == LoadStatus::Loaded) {
    for (size_t i = 1; i < files.size(); ++i) {
      const size_t before = doc.Files.size();
      adds.push_back(adder.Add(doc, shown_path, files[i].Name));
      if (doc.Files.size() > before) RestoreStyles(doc, doc.Files.back(), styled[i]);
    }
  }
  if (stacked) StackTraces(doc);
  return record;
}

}  // namespace korvelin::document
