#pragma once
// The fonts of pictures made without a window. Headless runs use a small
// font configuration of the program's own: the Liberation fonts, which
// stand in for Times New Roman and Arial with the same metrics, and the
// smoothing and hinting a Debian desktop uses. A picture then does not
// depend on a user's font settings, and the toolkit starts faster than
// with the system's whole configuration. Where the fonts are not installed,
// the system's configuration stays in force.

namespace korvelin::platform {

// Makes the program's configuration current; to be called before the
// application object is made. Returns whether it was.
bool UseOwnFontConfiguration();

}  // namespace korvelin::platform
