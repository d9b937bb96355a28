#include <gtest/gtest.h>

#include "document/SettingsText.h"

namespace korvelin::document {
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
  EXPECT_FALSE(s.ScaleOn);
  EXPECT_TRUE(s.MarginOn);
  EXPECT_FALSE(s.ColorOn);
  EXPECT_EQ(s.Margin, (PixelRect{20, -10, 8, 2147483647}));
  EXPECT_EQ(s.TickX, -3);
  EXPECT_EQ(s.TickY, 0);
  EXPECT_EQ(s.DistanceX, 12);
  EXPECT_EQ(s.DistanceY, INT32_MIN);
  EXPECT_EQ(s.MetafileWidth, 17000);
  EXPECT_EQ(s.MetafileHeight, -5);
}

TEST(SetSettingFromText, RefusesWhatDoesNotParseAndChangesNothing) {
  struct Case {
    const char* assignment;
    const char* reason;
  };
  for (const Case& c : {
           Case{"ScaleOn", "--set needs NAME=VALUE"},
           Case{"ScaleOn=2", "ScaleOn takes 1 or 0, not '2'"},
           Case{"scaleon=1",
                "no setting is called 'scaleon'; the settings are ScaleOn, MarginOn, "
                "ColorOn, Margin, TickX, TickY, DistanceX, DistanceY, MetafileWidth, "
                "MetafileHeight, YScale, Wavelength"},
           Case{"YScale=Log", "YScale takes linear, sqrt or log, not 'Log'"},
           Case{"Wavelength=-1",
                "Wavelength takes a wavelength in angstrom from 0 (none) to 1000, not '-1'"},
           Case{"Wavelength=1e400",
                "Wavelength takes a wavelength in angstrom from 0 (none) to 1000, not '1e400'"},
           Case{"Wavelength=nan",
                "Wavelength takes a wavelength in angstrom from 0 (none) to 1000, not 'nan'"},
           Case{"Wavelength=1,54",
                "Wavelength takes a wavelength in angstrom from 0 (none) to 1000, not '1,54'"},
           Case{"TickX=", "TickX takes a whole number, not ''"},
           Case{"TickX=4.5", "TickX takes a whole number, not '4.5'"},
           Case{"TickX=2147483648", "TickX takes a whole number, not '2147483648'"},
           Case{"TickX= 4", "TickX takes a whole number, not ' 4'"},
           Case{"Margin=1,2,3",
                "Margin takes four whole numbers: left,top,right,bottom, not '1,2,3'"},
           Case{"Margin=1,2,3,4,5",
                "Margin takes four whole numbers: left,top,right,bottom, not '1,2,3,4,5'"},
           Case{"Margin=1,,3,4",
                "Margin takes four whole numbers: left,top,right,bottom, not '1,,3,4'"},
       }) {
    DisplaySettings s;
    ViewOptions view;
    EXPECT_EQ(SetSettingFromText(s, view, c.assignment).reason(), c.reason);
    EXPECT_EQ(view, ViewOptions{});
    EXPECT_EQ(s.TickX, 4);
    EXPECT_EQ(s.Margin, (PixelRect{8, 8, 8, 8}));
    EXPECT_TRUE(s.ScaleOn);
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
