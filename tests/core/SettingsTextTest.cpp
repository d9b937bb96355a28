#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "document/SettingsText.h"

namespace korvelin::document {

// Failures name each field.
void PrintTo(const DisplaySettings& s, std::ostream* os) {
  *os << "ScaleOn " << s.ScaleOn << ", Tick " << s.TickX << " " << s.TickY << ", Distance "
      << s.DistanceX << " " << s.DistanceY << ", MarginOn " << s.MarginOn << ", Margin "
      << s.Margin.Left << " " << s.Margin.Top << " " << s.Margin.Right << " " << s.Margin.Bottom
      << ", Metafile " << s.MetafileWidth << " " << s.MetafileHeight << ", ColorOn " << s.ColorOn;
}

namespace {

TEST(SetSettingFromText, SetsEachSettingByItsName) {
  DisplaySettings s;
  ViewOptions view;
  for (const char* assignment :
       {"ScaleOn=0", "MarginOn=1", "ColorOn=0", "Margin=20,-10,8,2147483647", "TickX=-3", "TickY=0",
        "DistanceX=12", "DistanceY=-2147483648", "MetafileWidth=17000", "MetafileHeight=-5",
        "YScale=sqrt", "Wavelength=1.5406"}) {
    EXPECT_TRUE(SetSettingFromText(s, view, assignment).ok()) << assignment;
  }
  EXPECT_EQ(view.YScale, IntensityScale::SquareRoot);
  EXPECT_EQ(view.Wavelength, 1.5406);
  EXPECT_TRUE(SetSettingFromText(s, view, "YScale=log").ok());
  EXPECT_EQ(view.YScale, IntensityScale::Logarithmic);
  EXPECT_EQ(s, (DisplaySettings{
                   false, -3, 0, 12, INT32_MIN, true, {20, -10, 8, 2147483647}, 17000, -5, false}));
}

TEST(SetSettingFromText, RefusesWhatDoesNotParseAndChangesNothing) {
  struct Case {
    const char* assignment;
    std::string reason;
  };
  const std::string wavelength =
      "Wavelength takes a wavelength in angstrom from 0 (none) to 1000, not '";
  const std::string margin = "Margin takes four whole numbers: left,top,right,bottom, not '";
  // clang-format off
  for (const Case& c : {
           Case{"ScaleOn", "--set needs NAME=VALUE"},
           Case{"ScaleOn=2", "ScaleOn takes 1 or 0, not '2'"},
           Case{"scaleon=1", "no setting is called 'scaleon'; the settings are ScaleOn, MarginOn, ColorOn, Margin, TickX, TickY, DistanceX, DistanceY, MetafileWidth, MetafileHeight, YScale, Wavelength"},
           Case{"YScale=Log", "YScale takes linear, sqrt or log, not 'Log'"},
           Case{"Wavelength=-1", wavelength + "-1'"},
           Case{"Wavelength=1e400", wavelength + "1e400'"},
           Case{"Wavelength=nan", wavelength + "nan'"},
           Case{"Wavelength=1,54", wavelength + "1,54'"},
           Case{"TickX=", "TickX takes a whole number, not ''"},
           Case{"TickX=4.5", "TickX takes a whole number, not '4.5'"},
           Case{"TickX=2147483648", "TickX takes a whole number, not '2147483648'"},
           Case{"TickX= 4", "TickX takes a whole number, not ' 4'"},
           Case{"Margin=1,2,3", margin + "1,2,3'"},
           Case{"Margin=1,2,3,4,5", margin + "1,2,3,4,5'"},
           Case{"Margin=1,,3,4", margin + "1,,3,4'"},
       }) {
    // clang-format on
    DisplaySettings s;
    ViewOptions view;
    EXPECT_EQ(SetSettingFromText(s, view, c.assignment).reason(), c.reason);
    EXPECT_EQ(view, ViewOptions{});
    EXPECT_EQ(s, DisplaySettings{});
  }
}

// The prompt's text in the user's decimal sign: a comma where the window
// writes commas, and nothing but a number in range.
TEST(WavelengthFromText, TakesTheWindowsDecimalSignAndARange) {
  EXPECT_EQ(WavelengthFromText("1.5406", '.'), 1.5406);
  EXPECT_EQ(WavelengthFromText("1,5406", ','), 1.5406);
  EXPECT_EQ(WavelengthFromText("0", '.'), 0.0);
  EXPECT_EQ(WavelengthFromText("1000", '.'), 1000.0);
  for (const char* text : {"", " 1", "1.5406 ", "1.5.4", "-0.1", "1000.5", "inf", "0x10"}) {
    EXPECT_FALSE(WavelengthFromText(text, '.').has_value()) << text;
  }
  EXPECT_FALSE(WavelengthFromText("1.5406", ',').has_value());
}

}  // namespace
}  // namespace korvelin::document
