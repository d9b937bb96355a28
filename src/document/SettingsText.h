#pragma once
// Display settings and view options written as text, "NAME=VALUE", the way
// a script sets them on the command line: ScaleOn=0, Margin=20,10,8,30,
// MetafileWidth=17000, YScale=log, Wavelength=1.5406. The names are the
// document's own; what a setting does is the plots'.

#include <optional>
#include <string>
#include <string_view>

#include "document/GraphDocument.h"
#include "document/Status.h"

namespace korvelin::document {

// Applies one assignment to settings or view, or says why it was refused
// (an unknown name, a value that does not parse) and leaves both
// unchanged. Flags take 1 or 0; numbers are 32-bit integers; Margin takes
// left, top, right and bottom separated by commas; YScale takes linear,
// sqrt or log; Wavelength a number of angstrom, 0 for none.
Status SetSettingFromText(DisplaySettings& settings, ViewOptions& view,
                          std::string_view assignment);

// The longest wavelength taken, in angstrom: far past any X-ray or
// neutron source, and the guard against a typed exponent.
inline constexpr double kMaxWavelength = 1000;

// "linear", "sqrt", "log" as the scale they name.
std::optional<IntensityScale> IntensityScaleNamed(std::string_view name);

// A wavelength typed with the given decimal separator ("1.5406", "1,5406"),
// from 0 (none) to kMaxWavelength; nothing for any other text.
std::optional<double> WavelengthFromText(std::string_view text, char decimal_separator);

// The names SetSettingFromText knows, for messages: "ScaleOn, MarginOn, ...".
std::string SettingNames();

}  // namespace korvelin::document
