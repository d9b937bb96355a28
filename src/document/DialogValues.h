#pragma once
// The rules of the Modify Graph dialog without its widgets: what the fill
// shows for the settings, what an apply makes of the values the controls
// hold, the parameter lines of a wave and how an edited parameter is read,
// and the trace list's append and remove. Which control holds which value,
// the timer and the redraw are the dialog's business.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "document/GraphDocument.h"

namespace korvelin::document {

// What the Axis tab's controls hold: the settings as the spin edits and
// check boxes show them, and the axis range as the text the user typed. The
// metafile spin edits show the size in whole millimetres
// (MillimetresFromMetafile) and store their value at every change, so the
// apply does not read settings.MetafileWidth and MetafileHeight.
struct AxisTabValues {
  DisplaySettings settings{};
  // The "Axis" check box is the dialog's own state: the fill leaves it false
  // and the dialog keeps the box as the user left it.
  bool axis_on = false;
  std::string axis_left;
  std::string axis_top;
  std::string axis_right;
  std::string axis_bottom;
};

// The values the fill puts into the Axis tab: the settings and the axis
// range written by FormatGeneral.
AxisTabValues FillAxisTab(const GraphDocument& doc, char decimal_separator);

// The apply: every setting from the controls but the metafile size, and the
// axis range from the four edits when axis_on is set and the range increases
// strictly both ways. The axis history is left alone, so Undo Axis cannot
// take an apply back.
void ApplyAxisTab(GraphDocument& doc, const AxisTabValues& values, char decimal_separator);

// The range the four axis edits give, each text read with ToFloatDef and 0
// for text that is no number; nothing when right - left or top - bottom is
// not strictly positive.
std::optional<TRealRect> AxisRangeFromTexts(std::string_view left, std::string_view top,
                                            std::string_view right, std::string_view bottom,
                                            char decimal_separator);

// Millimetres to hundredths of a millimetre: 150 gives 15000, -3 gives -300.
// Beyond +-21,474,836 mm the product leaves 32 bits and the nearest
// representable size is stored instead.
int32_t MetafileFromMillimetres(int32_t millimetres);

// Hundredths of a millimetre to whole millimetres, truncated toward zero:
// 29700 shows as 297, 29750 as 297, -150 as -1.
int32_t MillimetresFromMetafile(int32_t hundredths);

// The eight drawing parameters of a wave, in the order the Waves tab lists
// them. Each line is an 11-character label followed at once by the value.
inline constexpr int kParameterCount = 8;
inline constexpr int kParameterLabelLength = 11;
inline constexpr std::array<std::string_view, kParameterCount> kParameterLabels = {
    "lsize    = ", "marker   = ", "mode     = ", "mrkThick = ",
    "msize    = ", "offsetx  = ", "offsety  = ", "rgb      = "};

// The value of parameter `row` as the Waves tab shows it: doubles by
// FormatGeneral, integers in decimal, rgb as upper-case hexadecimal of at
// least six digits (0xFF8000 is "FF8000", 0xFF is "0000FF"). Empty for a
// row outside 0 .. 7.
std::string ParameterValueText(const TWave& wave, int row, char decimal_separator);

// Label and value of every parameter: "lsize    = 2.5", ..., "rgb      = FF8000".
std::array<std::string, kParameterCount> ParameterLines(const TWave& wave, char decimal_separator);

// The prompt text for a parameter line: its first token, the name ("lsize").
std::string_view ParameterName(std::string_view line);

// The value of a parameter line as shown behind its label, whole: "1,5" for
// "lsize    = 1,5" where the comma is the decimal separator, so that OK on an
// unchanged prompt stores the same value again.
std::string_view ParameterValue(std::string_view line);

// Stores an edited text in parameter `row`, converted whole: lsize and
// mrkThick by ToFloatDef with 1 for text that is no number, offsetx and
// offsety with 0, marker, mode and msize by ToIntDef with 0, and rgb by
// ToIntDef of "$" followed by the text, so "ff8000" is 0xFF8000 while
// "$FF" and "0xFF" are no number and give 0. A row outside 0 .. 7 changes
// nothing.
void SetParameter(TWave& wave, int row, std::string_view text, char decimal_separator);

// The same for wave `wave` of the document; false, and nothing changed, when
// the wave lies outside 0 .. WaveCount - 1 or the row outside 0 .. 7, as it
// may when the dialog's lists date from an earlier file.
bool EditParameter(GraphDocument& doc, int32_t wave, int row, std::string_view text,
                   char decimal_separator);

// The line of a wave in the wave lists: its name.
std::string WaveLine(const GraphDocument& doc, int32_t wave);

// The line of trace `trace`: the Y wave's name, " vs ", the X wave's name;
// a wave index outside the table (-1 among them) has the empty name, so
// the trace (x 0, y -1) of waves tth, ... reads " vs tth".
std::string TraceLine(const GraphDocument& doc, int32_t trace);

// Appends the trace (x_wave, y_wave); false, and nothing changed, when the
// list is full (256 traces) or a wave lies outside 0 .. WaveCount - 1.
bool AppendTrace(GraphDocument& doc, int32_t x_wave, int32_t y_wave);

// Removes trace `trace`, moving the later ones one place forward in their
// order; false, and nothing changed, when it lies outside 0 .. TraceCount - 1.
bool RemoveTrace(GraphDocument& doc, int32_t trace);

}  // namespace korvelin::document
