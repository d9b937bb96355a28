#include "platform/OwnFonts.h"

#include <fontconfig/fontconfig.h>
#include <unistd.h>

#include <string>

namespace korvelin::platform {
namespace {

constexpr char kFontFolder[] = "/usr/share/fonts/truetype/liberation2";

// The families the window's fonts name, mapped to their metric twins; the
// rendering as the system's configuration sets it up on a Debian desktop
// (greyscale smoothing, slight hinting), so that a picture made with this
// configuration equals the window on such a desktop pixel for pixel.
constexpr char kConfiguration[] = R"(<?xml version="1.0"?>
<!DOCTYPE fontconfig SYSTEM "urn:fontconfig:fonts.dtd">
<fontconfig>
  <dir>/usr/share/fonts/truetype/liberation2</dir>
  <cachedir>/var/cache/fontconfig</cachedir>
  <alias binding="same"><family>Times New Roman</family><accept><family>Liberation Serif</family></accept></alias>
  <alias binding="same"><family>Arial</family><accept><family>Liberation Sans</family></accept></alias>
  <alias binding="same"><family>Courier New</family><accept><family>Liberation Mono</family></accept></alias>
  <alias><family>serif</family><prefer><family>Liberation Serif</family></prefer></alias>
  <alias><family>sans-serif</family><prefer><family>Liberation Sans</family></prefer></alias>
  <alias><family>monospace</family><prefer><family>Liberation Mono</family></prefer></alias>
  <match target="font">
    <edit name="antialias" mode="assign"><bool>true</bool></edit>
    <edit name="hinting" mode="assign"><bool>true</bool></edit>
    <edit name="hintstyle" mode="assign"><const>hintslight</const></edit>
    <edit name="lcdfilter" mode="assign"><const>lcddefault</const></edit>
  </match>
</fontconfig>
)";

bool Installed() {
  for (const char* face : {"LiberationSerif-Regular.ttf", "LiberationSans-Regular.ttf"}) {
    const std::string path = std::string(kFontFolder) + "/" + face;
    if (access(path.c_str(), R_OK) != 0) return false;
  }
  return true;
}

}  // namespace

bool UseOwnFontConfiguration() {
  if (!Installed()) return false;
  FcConfig* config = FcConfigCreate();
  if (config == nullptr) return false;
  const auto* xml = reinterpret_cast<const FcChar8*>(kConfiguration);
  if (!FcConfigParseAndLoadFromMemory(config, xml, FcTrue) || !FcConfigBuildFonts(config) ||
      !FcConfigSetCurrent(config)) {
    FcConfigDestroy(config);
    return false;
  }
  // The current configuration holds its own reference now.
  FcConfigDestroy(config);
  return true;
}

}  // namespace korvelin::platform
