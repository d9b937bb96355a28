#include "document/SavedWavesPlan.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <string>
#include <string_view>

namespace korvelin::document::saved {
namespace {

int32_t SeriesOf(const SavedWave& wave) { return wave.columns > 0 ? wave.columns : 1; }

// One past the last buffer value of the first n rows (n >= 1) of the wave.
int64_t EndOfRows(const SavedWave& wave, int32_t n) {
  return wave.first + int64_t{n - 1} * wave.stride + (wave.columns > 0 ? wave.columns : 1);
}

// The name cut so that the suffix still fits the document's 16 characters:
// ("finecut", "_x") gives finecut_x, ("Detector_3_2_long", "_x") gives
// Detector_3_2_l_x.
std::string Suffixed(std::string_view name, std::string_view suffix) {
  std::string text(name.substr(0, kNameLength - suffix.size()));
  text.append(suffix);
  return text;
}

int32_t AddWave(GraphDocument& doc, std::string_view name, int32_t first, int32_t stride,
                int32_t count) {
  TWave& wave = doc.Waves[static_cast<size_t>(doc.WaveCount)];
  wave = TWave{};
  SetWaveName(wave, name);
  wave.first = first;
  wave.stride = stride;
  wave.count = count;
  return doc.WaveCount++;
}

// The y waves of one saved wave: itself, each of its columns (finecut_0,
// finecut_1, ...), or its row sums (Detector_3_2_sum).
void AddYWaves(GraphDocument& doc, const SavedWave& wave, int32_t rows) {
  if (wave.sums) {
    AddWave(doc, Suffixed(wave.name, "_sum"), wave.first, 1, rows);
  } else if (wave.columns > 0) {
    char suffix[8];
    for (int32_t k = 0; k < wave.columns; ++k) {
      const int length = std::snprintf(suffix, sizeof suffix, "_%d", k);
      AddWave(doc, Suffixed(wave.name, std::string_view(suffix, static_cast<size_t>(length))),
              wave.first + k, wave.stride, rows);
    }
  } else {
    AddWave(doc, wave.name, wave.first, wave.stride, rows);
  }
}

// The x wave after the values, named after the first wave drawn against it.
int32_t AddXWave(GraphDocument& doc, const XGroup& group, std::string_view owner) {
  const int32_t first = doc.ValueCount;
  for (int32_t i = 0; i < group.count; ++i) {
    SetValue(doc.Values, first + i, group.x.start + i * group.x.step);
  }
  doc.ValueCount += group.count;
  return AddWave(doc, Suffixed(owner, "_x"), first, 1, group.count);
}

// A flat range is widened by half its value on each side (1000 shows 500 to
// 1500), one at 0 or at a value too small to halve by 1 (0 shows -1 .. 1),
// so that ticks and numbers have room; both ends stay finite.
void Widen(double& low, double& high) {
  if (low < high) return;
  if (low > high) {
    low = kDefaultAxisRange.Left;
    high = kDefaultAxisRange.Right;
    return;
  }
  const double value = low;
  const double half = std::fabs(value) / 2;
  low = std::max(value - half, -DBL_MAX);
  high = std::min(value + half, DBL_MAX);
  if (!(low < high)) {
    // Zero, or so small that half of it vanishes (4.9E-324).
    low = value - 1;
    high = value + 1;
  }
}

// x from the smallest to the largest x value drawn (x waves are linear, so
// their ends suffice), y from the lowest to the highest y value.
void FitAxisRange(GraphDocument& doc) {
  double left = DBL_MAX, right = -DBL_MAX, bottom = DBL_MAX, top = -DBL_MAX;
  for (int32_t t = 0; t < doc.TraceCount; ++t) {
    const TTrace& trace = doc.Traces[static_cast<size_t>(t)];
    const TWave& x = doc.Waves[static_cast<size_t>(trace.XWave)];
    const TWave& y = doc.Waves[static_cast<size_t>(trace.YWave)];
    const int32_t n = std::min(x.count, y.count);
    if (n <= 0) continue;
    const double x0 = GetValue(doc.Values, x.first);
    const double x1 = GetValue(doc.Values, x.first + (n - 1) * x.stride);
    left = std::min({left, x0, x1});
    right = std::max({right, x0, x1});
    for (int32_t i = 0, index = y.first; i < n; ++i, index += y.stride) {
      const double v = GetValue(doc.Values, index);
      bottom = std::min(bottom, v);
      top = std::max(top, v);
    }
  }
  SetFittedRange(doc, left, right, bottom, top);
}

// Waves with the same x values share one x wave: the groups, in the order
// their first wave comes, and each wave's group (-1 for a wave of no rows).
void GroupByX(const std::vector<SavedWave>& waves, Plan& plan) {
  plan.group_of.assign(waves.size(), -1);
  for (size_t i = 0; i < waves.size(); ++i) {
    const SavedWave& wave = waves[i];
    if (wave.count == 0) continue;
    const LinearX x = ResolveScale(wave.scale, wave.count);
    auto same = [&x](const XGroup& g) { return g.x.start == x.start && g.x.step == x.step; };
    auto group = std::find_if(plan.groups.begin(), plan.groups.end(), same);
    if (group == plan.groups.end()) group = plan.groups.insert(group, XGroup{x});
    plan.group_of[i] = static_cast<int32_t>(group - plan.groups.begin());
  }
}

// The most rows, up to count, whose values still fit the table; needed(n),
// the values taken with n rows kept, grows with n.
template <class Needed>
int32_t MostRowsThatFit(int32_t count, Needed needed) {
  int32_t lo = 0;
  int32_t hi = count;
  while (lo < hi) {
    const int32_t mid = hi - (hi - lo) / 2;
    if (needed(mid) <= kMaxValues) {
      lo = mid;
    } else {
      hi = mid - 1;
    }
  }
  return lo;
}

}  // namespace

// Decides, in file order, which waves fit the 256 waves and 256 traces of
// the document, and how many of their rows fit its 1,048,576 values: the
// buffer up to the last row kept, and the x values. Like the plain reading,
// the first rows are kept: the wave whose x values would pass the table
// keeps as many rows as fit with their x values, and a wave with no room
// for a single row is left out.
Plan MakePlan(const std::vector<SavedWave>& waves, SavedFileReport& report) {
  Plan plan;
  GroupByX(waves, plan);
  auto count = [&report](LeftOut reason) { ++report.left_out[static_cast<int>(reason)]; };
  std::vector<bool> made(plan.groups.size(), false);
  int32_t wave_slots = 0;
  int32_t traces = 0;
  int64_t x_values = 0;
  for (size_t i = 0; i < waves.size(); ++i) {
    const SavedWave& wave = waves[i];
    if (wave.count == 0) {
      count(LeftOut::NoValues);
      continue;
    }
    const auto g = static_cast<size_t>(plan.group_of[i]);
    const int32_t series = SeriesOf(wave);
    const int32_t new_x = made[g] ? 0 : 1;
    const int64_t x_count = plan.groups[g].count;
    const int32_t lo = MostRowsThatFit(wave.count, [&](int32_t n) {
      return std::max(plan.values, EndOfRows(wave, n)) + x_values +
             std::max<int64_t>(n - x_count, 0);
    });
    if (wave_slots + series + new_x > kMaxWaves || traces + series > kMaxTraces || lo == 0) {
      count(LeftOut::OverCapacity);
      continue;
    }
    if (lo < wave.rows) {
      report.kept_points += lo;
      report.points_in_file += wave.rows;
    }
    plan.values = std::max(plan.values, EndOfRows(wave, lo));
    x_values += std::max<int64_t>(lo - x_count, 0);
    plan.groups[g].count = std::max(plan.groups[g].count, lo);
    made[g] = true;
    wave_slots += series + new_x;
    traces += series;
    plan.drawn.push_back(static_cast<int32_t>(i));
    plan.kept.push_back(lo);
  }
  return plan;
}

void SetFittedRange(GraphDocument& doc, double left, double right, double bottom, double top) {
  Widen(left, right);
  Widen(bottom, top);
  doc.AxisRange = RealRect(left, top, right, bottom);
  doc.AxisHistory = FilledHistory(doc.AxisRange);
}

// Replaces the document with the planned waves and traces: the buffer up
// to the last row kept, then the x waves.
void ApplyPlan(GraphDocument& doc, const std::vector<double>& values,
               const std::vector<SavedWave>& waves, Plan& plan) {
  FreeValueStore(doc.Values);
  ResetDocument(doc);
  for (int32_t i = 0; i < plan.values; ++i) {
    SetValue(doc.Values, i, values[static_cast<size_t>(i)]);
  }
  doc.ValueCount = static_cast<int32_t>(plan.values);
  for (size_t d = 0; d < plan.drawn.size(); ++d) {
    const auto i = static_cast<size_t>(plan.drawn[d]);
    const SavedWave& wave = waves[i];
    XGroup& group = plan.groups[static_cast<size_t>(plan.group_of[i])];
    const int32_t first_y = doc.WaveCount;
    AddYWaves(doc, wave, plan.kept[d]);
    const int32_t end_y = doc.WaveCount;
    if (group.wave < 0) group.wave = AddXWave(doc, group, wave.name);
    for (int32_t y = first_y; y < end_y; ++y) {
      doc.Traces[static_cast<size_t>(doc.TraceCount++)] = TTrace{group.wave, y};
    }
  }
  FitAxisRange(doc);
}

}  // namespace korvelin::document::saved
