#pragma once
// The application's title, the name the desktop shows for the program. It
// is kept apart from the window captions: a toolkit display name would be
// appended to every caption that differs from it ("KORVELIN( 5.00, 5 ) —
// KORVELIN"), and the caption must read exactly as the window sets it.

#include <string>

namespace korvelin::platform {

void SetApplicationTitle(const std::string& title);
std::string ApplicationTitle();

}  // namespace korvelin::platform
