#pragma once
// Display settings written as text, "NAME=VALUE", the way a script sets them
// on the command line: ScaleOn=0, Margin=20,10,8,30, MetafileWidth=17000.
// The names are the document's own; what a setting does is the plots'.

#include <string>
#include <string_view>

#include "document/GraphDocument.h"
#include "document/Status.h"

namespace korvelin::document {

// Applies one assignment to settings, or says why it was refused (an
// unknown name, a value that does not parse) and leaves settings
// unchanged. Flags take 1 or 0; numbers are 32-bit integers; Margin takes
// left, top, right and bottom separated by commas.
Status SetSettingFromText(DisplaySettings& settings, std::string_view assignment);

// The names SetSettingFromText knows, for messages: "ScaleOn, MarginOn, ...".
std::string SettingNames();

}  // namespace korvelin::document
