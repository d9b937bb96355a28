// The Modify Graph dialog's rules. The apply writes settings and nothing
// else; the window's relayout after it is the dialog's to ask for.

#include "document/DialogValues.h"

#include <algorithm>
#include <cstdio>
#include <limits>

#include "document/TextNumbers.h"

namespace korvelin::document {
namespace {

constexpr int kRgbRow = 7;

// Where each parameter lives in a wave: a double with the value stored for
// text that is no number, or a 32-bit integer whose default is 0. The rgb
// row has neither; it reads hexadecimal.
struct ParameterField {
  double TWave::*real = nullptr;
  double real_default = 0.0;
  int32_t TWave::*integer = nullptr;
};

constexpr std::array<ParameterField, kParameterCount> kParameterFields = {{
    {&TWave::lsize, 1.0, nullptr},
    {nullptr, 0.0, &TWave::marker},
    {nullptr, 0.0, &TWave::mode},
    {&TWave::mrkThick, 1.0, nullptr},
    {nullptr, 0.0, &TWave::msize},
    {&TWave::offsetx, 0.0, nullptr},
    {&TWave::offsety, 0.0, nullptr},
    {nullptr, 0.0, nullptr},
}};

bool IsParameterRow(int row) { return row >= 0 && row < kParameterCount; }

std::string WaveNameAt(const GraphDocument& doc, int32_t wave) {
  if (wave < 0 || wave >= doc.WaveCount || wave >= kMaxWaves) return {};
  return std::string(WaveName(doc.Waves[static_cast<size_t>(wave)]));
}

}  // namespace

AxisTabValues FillAxisTab(const GraphDocument& doc, char decimal_separator) {
  AxisTabValues v;
  v.settings = doc.Settings;
  v.axis_left = FormatGeneral(doc.AxisRange.Left, decimal_separator);
  v.axis_top = FormatGeneral(doc.AxisRange.Top, decimal_separator);
  v.axis_right = FormatGeneral(doc.AxisRange.Right, decimal_separator);
  v.axis_bottom = FormatGeneral(doc.AxisRange.Bottom, decimal_separator);
  return v;
}

void ApplyAxisTab(GraphDocument& doc, const AxisTabValues& values, char decimal_separator) {
  DisplaySettings settings = values.settings;
  settings.MetafileWidth = doc.Settings.MetafileWidth;
  settings.MetafileHeight = doc.Settings.MetafileHeight;
  doc.Settings = settings;
  if (values.axis_on) {
    const std::optional<TRealRect> range =
        AxisRangeFromTexts(values.axis_left, values.axis_top, values.axis_right, values.axis_bottom,
                           decimal_separator);
    if (range) doc.AxisRange = *range;
  }
}

std::optional<TRealRect> AxisRangeFromTexts(std::string_view left, std::string_view top,
                                            std::string_view right, std::string_view bottom,
                                            char decimal_separator) {
  const double l = ToFloatDef(left, 0, decimal_separator);
  const double t = ToFloatDef(top, 0, decimal_separator);
  const double r = ToFloatDef(right, 0, decimal_separator);
  const double b = ToFloatDef(bottom, 0, decimal_separator);
  // An equal pair is an empty span and a falling one a reversed axis; both
  // are refused as a whole. A span too wide for a double (-1E308 to 1E308)
  // is infinite and still counts as increasing.
  if (!(r - l > 0) || !(t - b > 0)) return std::nullopt;
  return RealRect(l, t, r, b);
}

int32_t MetafileFromMillimetres(int32_t millimetres) {
  const int64_t hundredths = int64_t{millimetres} * 100;
  if (hundredths > std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
  if (hundredths < std::numeric_limits<int32_t>::min()) return std::numeric_limits<int32_t>::min();
  return static_cast<int32_t>(hundredths);
}

int32_t MillimetresFromMetafile(int32_t hundredths) { return hundredths / 100; }

std::string ParameterValueText(const TWave& wave, int row, char decimal_separator) {
  if (!IsParameterRow(row)) return {};
  const ParameterField& field = kParameterFields[static_cast<size_t>(row)];
  if (field.real != nullptr) return FormatGeneral(wave.*field.real, decimal_separator);
  if (field.integer != nullptr) return std::to_string(wave.*field.integer);
  char hex[16];
  std::snprintf(hex, sizeof hex, "%06X", static_cast<unsigned>(wave.rgb));
  return hex;
}

std::array<std::string, kParameterCount> ParameterLines(const TWave& wave, char decimal_separator) {
  std::array<std::string, kParameterCount> lines;
  for (int row = 0; row < kParameterCount; ++row) {
    lines[static_cast<size_t>(row)] = std::string(kParameterLabels[static_cast<size_t>(row)]) +
                                      ParameterValueText(wave, row, decimal_separator);
  }
  return lines;
}

std::string_view ParameterName(std::string_view line) { return GetToken(line, 1); }

std::string_view ParameterValue(std::string_view line) {
  // The label's "= " ends the name part; everything after it is the value,
  // a comma separator included, which the token rule would cut off.
  if (line.size() < static_cast<size_t>(kParameterLabelLength)) return GetToken(line, 2);
  return line.substr(static_cast<size_t>(kParameterLabelLength));
}

void SetParameter(TWave& wave, int row, std::string_view text, char decimal_separator) {
  if (!IsParameterRow(row)) return;
  const ParameterField& field = kParameterFields[static_cast<size_t>(row)];
  if (field.real != nullptr) {
    wave.*field.real = ToFloatDef(text, field.real_default, decimal_separator);
  } else if (field.integer != nullptr) {
    wave.*field.integer = ToIntDef(text, 0);
  } else if (row == kRgbRow) {
    // The user types bare hexadecimal digits; "$" makes ToIntDef read them
    // so. A prefix of the user's own ("$FF", "0xFF") is then no number.
    std::string hex(1, '$');
    hex.append(text);
    wave.rgb = static_cast<uint32_t>(ToIntDef(hex, 0));
  }
}

bool EditParameter(GraphDocument& doc, int32_t wave, int row, std::string_view text,
                   char decimal_separator) {
  if (wave < 0 || wave >= doc.WaveCount || wave >= kMaxWaves || !IsParameterRow(row)) return false;
  SetParameter(doc.Waves[static_cast<size_t>(wave)], row, text, decimal_separator);
  return true;
}

std::string WaveLine(const GraphDocument& doc, int32_t wave) { return WaveNameAt(doc, wave); }

std::string TraceLine(const GraphDocument& doc, int32_t trace) {
  if (trace < 0 || trace >= kMaxTraces) return {};
  const TTrace& t = doc.Traces[static_cast<size_t>(trace)];
  return WaveNameAt(doc, t.YWave) + " vs " + WaveNameAt(doc, t.XWave);
}

bool AppendTrace(GraphDocument& doc, int32_t x_wave, int32_t y_wave) {
  if (doc.TraceCount < 0 || doc.TraceCount >= kMaxTraces) return false;
  const int32_t waves = std::min(doc.WaveCount, kMaxWaves);
  if (x_wave < 0 || x_wave >= waves || y_wave < 0 || y_wave >= waves) return false;
  doc.Traces[static_cast<size_t>(doc.TraceCount)] = TTrace{x_wave, y_wave};
  ++doc.TraceCount;
  return true;
}

bool RemoveTrace(GraphDocument& doc, int32_t trace) {
  const int32_t count = std::min(doc.TraceCount, kMaxTraces);
  if (trace < 0 || trace >= count) return false;
  for (int32_t i = trace; i + 1 < count; ++i) {
    doc.Traces[static_cast<size_t>(i)] = doc.Traces[static_cast<size_t>(i) + 1];
  }
  doc.TraceCount = count - 1;
  return true;
}

}  // namespace korvelin::document
