#include "document/SettingsText.h"

#include <charconv>
#include <optional>
#include <string>
#include <vector>

#include "document/TextNumbers.h"

namespace korvelin::document {
namespace {

std::optional<bool> Flag(std::string_view text) {
  if (text == "1") return true;
  if (text == "0") return false;
  return std::nullopt;
}

std::optional<PixelRect> Margins(std::string_view text) {
  std::vector<int32_t> sides;
  while (true) {
    const size_t comma = text.find(',');
    const std::optional<int32_t> side = WholeInt32(text.substr(0, comma));
    if (!side) return std::nullopt;
    sides.push_back(*side);
    if (comma == std::string_view::npos) break;
    text.remove_prefix(comma + 1);
  }
  if (sides.size() != 4) return std::nullopt;
  return PixelRect{sides[0], sides[1], sides[2], sides[3]};
}

// What --set reaches: the display settings and the view options.
struct Targets {
  DisplaySettings& display;
  ViewOptions& view;
};

struct Setting {
  const char* name;
  const char* takes;  // what the value must be, for the message
  bool (*apply)(Targets&, std::string_view);
};

template <bool DisplaySettings::*field>
bool SetFlag(Targets& t, std::string_view v) {
  const std::optional<bool> flag = Flag(v);
  if (flag) t.display.*field = *flag;
  return flag.has_value();
}

template <int32_t DisplaySettings::*field>
bool SetInteger(Targets& t, std::string_view v) {
  const std::optional<int32_t> value = WholeInt32(v);
  if (value) t.display.*field = *value;
  return value.has_value();
}

bool SetMargin(Targets& t, std::string_view v) {
  const std::optional<PixelRect> margin = Margins(v);
  if (margin) t.display.Margin = *margin;
  return margin.has_value();
}

bool SetYScale(Targets& t, std::string_view v) {
  const std::optional<IntensityScale> scale = IntensityScaleNamed(v);
  if (scale) t.view.YScale = *scale;
  return scale.has_value();
}

bool SetWavelength(Targets& t, std::string_view v) {
  const std::optional<double> wavelength = WavelengthFromText(v, '.');
  if (wavelength) t.view.Wavelength = *wavelength;
  return wavelength.has_value();
}

constexpr const char* kFlag = "1 or 0";
constexpr const char* kInteger = "a whole number";

const Setting kSettings[] = {
    {"ScaleOn", kFlag, &SetFlag<&DisplaySettings::ScaleOn>},
    {"MarginOn", kFlag, &SetFlag<&DisplaySettings::MarginOn>},
    {"ColorOn", kFlag, &SetFlag<&DisplaySettings::ColorOn>},
    {"Margin", "four whole numbers: left,top,right,bottom", &SetMargin},
    {"TickX", kInteger, &SetInteger<&DisplaySettings::TickX>},
    {"TickY", kInteger, &SetInteger<&DisplaySettings::TickY>},
    {"DistanceX", kInteger, &SetInteger<&DisplaySettings::DistanceX>},
    {"DistanceY", kInteger, &SetInteger<&DisplaySettings::DistanceY>},
    {"MetafileWidth", kInteger, &SetInteger<&DisplaySettings::MetafileWidth>},
    {"MetafileHeight", kInteger, &SetInteger<&DisplaySettings::MetafileHeight>},
    {"YScale", "linear, sqrt or log", &SetYScale},
    {"Wavelength", "a wavelength in angstrom from 0 (none) to 1000", &SetWavelength},
};

}  // namespace

std::optional<IntensityScale> IntensityScaleNamed(std::string_view name) {
  if (name == "linear") return IntensityScale::Linear;
  if (name == "sqrt") return IntensityScale::SquareRoot;
  if (name == "log") return IntensityScale::Logarithmic;
  return std::nullopt;
}

std::optional<double> WavelengthFromText(std::string_view text, char decimal_separator) {
  std::string plain(text);
  if (decimal_separator != '.') {
    if (plain.find('.') != std::string::npos) return std::nullopt;
    for (char& c : plain) c = c == decimal_separator ? '.' : c;
  }
  double value = 0;
  const char* end = plain.data() + plain.size();
  const auto [stop, error] = std::from_chars(plain.data(), end, value);
  if (plain.empty() || error != std::errc() || stop != end) return std::nullopt;
  if (!(value >= 0 && value <= kMaxWavelength)) return std::nullopt;
  return value;
}

Status SetSettingFromText(DisplaySettings& settings, ViewOptions& view,
                          std::string_view assignment) {
  Targets targets{settings, view};
  const size_t equals = assignment.find('=');
  if (equals == std::string_view::npos) return Status::Failure("--set needs NAME=VALUE");
  const std::string_view name = assignment.substr(0, equals);
  const std::string_view value = assignment.substr(equals + 1);
  for (const Setting& setting : kSettings) {
    if (name != setting.name) continue;
    if (setting.apply(targets, value)) return {};
    return Status::Failure(std::string(name) + " takes " + setting.takes + ", not '" +
                           std::string(value) + "'");
  }
  return Status::Failure("no setting is called '" + std::string(name) + "'; the settings are " +
                         SettingNames());
}

std::string SettingNames() {
  std::string names;
  for (const Setting& setting : kSettings) {
    if (!names.empty()) names += ", ";
    names += setting.name;
  }
  return names;
}

}  // namespace korvelin::document
