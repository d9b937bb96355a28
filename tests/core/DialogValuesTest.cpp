// The Modify Graph dialog's rules without widgets: the parameter conversions,
// the axis range test, the metafile size, the fill and the apply, and the
// trace list's append and remove.

#include <gtest/gtest.h>

#include <limits>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "document/DialogValues.h"
#include "document/IgorReader.h"

namespace korvelin::document {
namespace {

constexpr int32_t kInt32Max = std::numeric_limits<int32_t>::max();
constexpr int32_t kInt32Min = std::numeric_limits<int32_t>::min();

// Three waves and two traces, as the worked example file loads them.
void LoadThreeWaves(GraphDocument& doc) {
  ASSERT_TRUE(LoadPatternText(doc,
                              "IGOR\rWAVES/D tth, int1, int2\rBEGIN\r10 100 50\r11 90 70\rEND\r"
                              "X Display int1, int2 vs tth\r")
                  .accepted());
}

// Every row starts at 7 (rgb 777777), so an edit that reaches another row shows.
TEST(ParameterEdit, StoresTheConvertedTextAndShowsTheStoredValue) {
  struct Case {
    const char* name;
    int row;
    const char* typed;
    char separator;
    const char* shown;  // the value behind the label after the edit
  };
  const Case cases[] = {
      {"LsizeDropsTrailingZeros", 0, "2.50", '.', "2.5"},
      {"LsizeNoNumberIsOne", 0, "abc", '.', "1"},
      {"LsizeCommaLocale", 0, "1,5", ',', "1,5"},
      {"LsizeFullStopInCommaLocaleIsOne", 0, "1.5", ',', "1"},
      {"LsizeWholeTextNotItsFirstToken", 0, "2 3", '.', "1"},
      {"MarkerFractionIsZero", 1, "4.5", '.', "0"},
      {"ModeLeadingSpaces", 2, "  4", '.', "4"},
      {"MrkThickNoNumberIsOne", 3, "thick", '.', "1"},
      {"MsizeNoNumberIsZero", 4, "abc", '.', "0"},
      {"MsizeBeyond32BitsIsZero", 4, "2147483648", '.', "0"},
      {"MsizeLowestInteger", 4, "-2147483648", '.', "-2147483648"},
      {"OffsetxNoNumberIsZero", 5, "x", '.', "0"},
      {"OffsetxSmallShowsExponent", 5, "0.00001", '.', "1E-5"},
      {"OffsetyNegative", 6, "-3.25", '.', "-3.25"},
      {"RgbUpperCased", 7, "ff8000", '.', "FF8000"},
      {"RgbPaddedToSixDigits", 7, "ff", '.', "0000FF"},
      {"RgbAllBitsShowsEightDigits", 7, "FFFFFFFF", '.', "FFFFFFFF"},
      {"RgbOwnDollarIsBlack", 7, "$FF", '.', "000000"},
      {"RgbCPrefixIsBlack", 7, "0xFF", '.', "000000"},
      {"RgbNineDigitsIsBlack", 7, "100000000", '.', "000000"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TWave wave;
    wave.lsize = wave.mrkThick = wave.offsetx = wave.offsety = 7;
    wave.marker = wave.mode = wave.msize = 7;
    wave.rgb = 0x777777;
    SetParameter(wave, c.row, c.typed, c.separator);
    const auto lines = ParameterLines(wave, c.separator);
    const auto row = static_cast<size_t>(c.row);
    EXPECT_EQ(lines[row], std::string(kParameterLabels[row]) + c.shown);
    TWave reread = wave;
    SetParameter(reread, c.row, ParameterValue(lines[row]), c.separator);
    EXPECT_EQ(ParameterLines(reread, c.separator), lines) << "the shown value reads back unchanged";
    for (int other = 0; other < kParameterCount; ++other) {  // only the edited row changes
      if (other != c.row) {
        EXPECT_EQ(ParameterValueText(wave, other, c.separator), other == 7 ? "777777" : "7");
      }
    }
  }
}

TEST(ParameterLines, ShowTheDefaultsBehindElevenCharacterLabels) {
  const auto lines = ParameterLines(TWave{}, '.');
  const std::array<std::string, kParameterCount> expected = {
      "lsize    = 1", "marker   = 0", "mode     = 0", "mrkThick = 1",
      "msize    = 0", "offsetx  = 0", "offsety  = 0", "rgb      = 000000"};
  EXPECT_EQ(lines, expected);
  for (std::string_view label : kParameterLabels) EXPECT_EQ(label.size(), 11u) << label;
}

TEST(ParameterLines, NameIsTheFirstTokenAndValueAllBehindTheLabel) {
  // With a comma separator the token rule would cut "1,5" to "1"; the value
  // handed to the prompt is the whole of it.
  EXPECT_EQ(ParameterName("lsize    = 1,5"), "lsize");
  EXPECT_EQ(ParameterValue("lsize    = 1,5"), "1,5");
  EXPECT_EQ(ParameterName("mrkThick = -2,5E-7"), "mrkThick");
  EXPECT_EQ(ParameterValue("mrkThick = -2,5E-7"), "-2,5E-7");
  EXPECT_EQ(ParameterValue("rgb      = FF8000"), "FF8000");
  EXPECT_EQ(ParameterValue("odd = 3"), "3");
  EXPECT_EQ(ParameterValueText(TWave{}, 8, '.'), "");
  EXPECT_EQ(ParameterValueText(TWave{}, -1, '.'), "");
}

TEST(AxisRange, TakesOnlyRangesIncreasingStrictlyBothWays) {
  struct Case {
    const char* name;
    const char *left, *top, *right, *bottom;
    char separator;
    std::optional<TRealRect> range;
  };
  const Case cases[] = {
      {"Defaults", "0", "10", "10", "0", '.', TRealRect{0, 10, 10, 0}},
      {"Fractions", "0.5", "1E3", "2.25", "-1", '.', TRealRect{0.5, 1000, 2.25, -1}},
      {"RightEqualsLeft", "3", "10", "3", "0", '.', std::nullopt},
      {"TopEqualsBottom", "0", "4", "10", "4", '.', std::nullopt},
      {"Falling", "10", "10", "0", "0", '.', std::nullopt},
      {"NoNumberCountsAsZero", "abc", "5", "5", "", '.', TRealRect{0, 5, 5, 0}},
      {"NoNumberMakesEmptySpan", "abc", "5", "", "0", '.', std::nullopt},
      {"CommaLocale", "0,5", "1,5", "2,5", "-0,5", ',', TRealRect{0.5, 1.5, 2.5, -0.5}},
      {"FullStopInCommaLocaleIsZero", "0", "1.5", "2", "-1", ',', TRealRect{0, 0, 2, -1}},
      {"SpacesAround", " 1 ", " 2", "3 ", "0", '.', TRealRect{1, 2, 3, 0}},
      {"WiderThanADouble", "-1E308", "1E308", "1E308", "-1E308", '.',
       TRealRect{-1e308, 1e308, 1e308, -1e308}},
      {"OverflowCountsAsZero", "-1", "1E400", "1", "0", '.', std::nullopt},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(AxisRangeFromTexts(c.left, c.top, c.right, c.bottom, c.separator), c.range) << c.name;
  }
}

// Hundredths are stored within 32 bits; millimetres are shown whole, cut toward zero.
TEST(MetafileSize, StoresHundredthsWithinThirtyTwoBits) {
  const std::pair<int32_t, int32_t> stored[] = {{150, 15000},
                                                {0, 0},
                                                {-3, -300},
                                                {21474836, 2147483600},
                                                {21474837, kInt32Max},
                                                {kInt32Max, kInt32Max},
                                                {-21474837, kInt32Min},
                                                {kInt32Min, kInt32Min}};
  for (const auto& [in, out] : stored) EXPECT_EQ(MetafileFromMillimetres(in), out) << in;
  const std::pair<int32_t, int32_t> shown[] = {
      {29700, 297}, {29799, 297}, {-150, -1}, {kInt32Max, 21474836}, {kInt32Min, -21474836}};
  for (const auto& [in, out] : shown) EXPECT_EQ(MillimetresFromMetafile(in), out) << in;
}

// Every setting but the metafile size differs from the start-up value, so a
// field the fill or the apply drops shows.
DisplaySettings UnusualSettings() {
  // ScaleOn, TickX, TickY, DistanceX, DistanceY, MarginOn, Margin, metafile size, ColorOn
  return {false, kInt32Min, 0, -5, kInt32Max, true, {1, 2, 3, 4}, 100, 200, false};
}

std::vector<std::string> AxisTexts(const AxisTabValues& v) {
  return {v.axis_left, v.axis_top, v.axis_right, v.axis_bottom};
}

TEST(FillAxisTab, ShowsTheSettingsAndTheRangeAsText) {
  GraphDocument doc;
  doc.Settings = UnusualSettings();
  const AxisTabValues v = FillAxisTab(doc, '.');
  EXPECT_EQ(v.settings, doc.Settings);
  EXPECT_FALSE(v.axis_on);
  EXPECT_EQ(AxisTexts(v), (std::vector<std::string>{"0", "10", "10", "0"}));
  doc.AxisRange = RealRect(0.5, 2.5e15, 1500, 0.00001);
  EXPECT_EQ(AxisTexts(FillAxisTab(doc, ',')),
            (std::vector<std::string>{"0,5", "2,5E15", "1500", "1E-5"}));
}

TEST(ApplyAxisTab, WritesEverySettingAndTheRangeOnlyWhenAxisIsOn) {
  GraphDocument doc;
  doc.AxisRange = RealRect(1, 2, 3, 0);
  const auto history = doc.AxisHistory;
  AxisTabValues v{UnusualSettings(), false, "5", "9", "7", "8"};  // left, top, right, bottom
  ApplyAxisTab(doc, v, '.');
  DisplaySettings expected = v.settings;
  expected.MetafileWidth = 29700;  // the apply does not store the metafile size
  expected.MetafileHeight = 21000;
  EXPECT_EQ(doc.Settings, expected);
  EXPECT_EQ(doc.AxisRange, RealRect(1, 2, 3, 0)) << "Axis is off";

  v.axis_on = true;
  ApplyAxisTab(doc, v, '.');
  EXPECT_EQ(doc.AxisRange, RealRect(5, 9, 7, 8));
  EXPECT_EQ(doc.AxisHistory, history) << "an apply is no step Undo Axis takes back";

  v.axis_right = "5";
  v.settings.ColorOn = true;
  ApplyAxisTab(doc, v, '.');
  EXPECT_EQ(doc.AxisRange, RealRect(5, 9, 7, 8)) << "an empty span keeps the range";
  EXPECT_TRUE(doc.Settings.ColorOn) << "the rest of the apply still takes effect";
}

TEST(EditParameter, ReachesOnlyWavesOfTheDocument) {
  GraphDocument doc;
  LoadThreeWaves(doc);
  EXPECT_TRUE(EditParameter(doc, 2, 0, "2.5", '.'));
  EXPECT_EQ(doc.Waves[2].lsize, 2.5);
  // A list from an earlier file with more waves: the entry past WaveCount
  // keeps what it held.
  doc.Waves[3].lsize = 4;
  EXPECT_FALSE(EditParameter(doc, 3, 0, "9", '.'));
  EXPECT_FALSE(EditParameter(doc, -1, 0, "9", '.'));
  EXPECT_FALSE(EditParameter(doc, 0, 8, "9", '.'));
  EXPECT_EQ(doc.Waves[3].lsize, 4);
  EXPECT_EQ(doc.Waves[0].lsize, 1);
}

TEST(TraceList, AppendsUpToTheTableAndOnlyWavesOfTheDocument) {
  GraphDocument doc;
  LoadThreeWaves(doc);
  EXPECT_EQ(TraceLine(doc, 0), "int1 vs tth");
  EXPECT_TRUE(AppendTrace(doc, 2, 2));
  EXPECT_EQ(doc.TraceCount, 3);
  EXPECT_EQ(TraceLine(doc, 2), "int2 vs int2");
  EXPECT_FALSE(AppendTrace(doc, 3, 0)) << "x past WaveCount";
  EXPECT_FALSE(AppendTrace(doc, 0, -1)) << "no y wave selected";
  EXPECT_EQ(doc.TraceCount, 3);

  while (doc.TraceCount < kMaxTraces) ASSERT_TRUE(AppendTrace(doc, 0, 1));
  const TTrace last = doc.Traces[kMaxTraces - 1];
  EXPECT_FALSE(AppendTrace(doc, 1, 2)) << "a full list takes nothing";
  EXPECT_EQ(doc.TraceCount, kMaxTraces);
  EXPECT_EQ(doc.Traces[kMaxTraces - 1].XWave, last.XWave);
  EXPECT_EQ(TraceLine(doc, kMaxTraces), "");
}

TEST(TraceList, ListsMissingWavesWithEmptyNames) {
  GraphDocument doc;
  LoadThreeWaves(doc);
  doc.Traces[0] = {0, -1};
  doc.Traces[1] = {-1, 1};
  EXPECT_EQ(TraceLine(doc, 0), " vs tth");
  EXPECT_EQ(TraceLine(doc, 1), "int1 vs ");
  EXPECT_EQ(WaveLine(doc, 1), "int1");
  EXPECT_EQ(WaveLine(doc, 3), "");
}

TEST(TraceList, RemoveKeepsTheOrderAndNeverGoesBelowZero) {
  GraphDocument doc;
  LoadThreeWaves(doc);
  ASSERT_TRUE(AppendTrace(doc, 1, 0));  // traces: int1 vs tth, int2 vs tth, tth vs int1
  EXPECT_TRUE(RemoveTrace(doc, 0));
  ASSERT_EQ(doc.TraceCount, 2);
  EXPECT_EQ(TraceLine(doc, 0), "int2 vs tth");
  EXPECT_EQ(TraceLine(doc, 1), "tth vs int1");
  EXPECT_FALSE(RemoveTrace(doc, 2)) << "past TraceCount";
  EXPECT_FALSE(RemoveTrace(doc, -1));
  EXPECT_TRUE(RemoveTrace(doc, 1));
  EXPECT_TRUE(RemoveTrace(doc, 0));
  EXPECT_EQ(doc.TraceCount, 0);
  EXPECT_FALSE(RemoveTrace(doc, 0)) << "a stale line of an emptied list";
  EXPECT_EQ(doc.TraceCount, 0);
}

}  // namespace
}  // namespace korvelin::document
