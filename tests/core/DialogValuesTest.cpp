// The Modify Graph dialog's rules without widgets: the parameter conversions,
// the axis range test, the metafile size, the fill and the apply, and the
// trace list's append and remove.

#include <gtest/gtest.h>

#include <limits>
#include <optional>
#include <string>

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

struct ParameterCase {
  const char* name;
  int row;
  const char* typed;
  char separator;
  const char* shown;  // the value behind the label after the edit
};

class ParameterEdit : public ::testing::TestWithParam<ParameterCase> {};

TEST_P(ParameterEdit, StoresTheConvertedTextAndShowsTheStoredValue) {
  const ParameterCase& c = GetParam();
  TWave wave;
  wave.lsize = 7;
  wave.marker = 7;
  wave.mode = 7;
  wave.mrkThick = 7;
  wave.msize = 7;
  wave.offsetx = 7;
  wave.offsety = 7;
  wave.rgb = 0x777777;
  SetParameter(wave, c.row, c.typed, c.separator);
  const auto lines = ParameterLines(wave, c.separator);
  EXPECT_EQ(lines[static_cast<size_t>(c.row)],
            std::string(kParameterLabels[static_cast<size_t>(c.row)]) + c.shown);
  // Only the edited row changes.
  TWave reread = wave;
  SetParameter(reread, c.row, ParameterValue(lines[static_cast<size_t>(c.row)]), c.separator);
  EXPECT_EQ(ParameterLines(reread, c.separator), lines) << "the shown value reads back unchanged";
  for (int row = 0; row < kParameterCount; ++row) {
    if (row == c.row) continue;
    EXPECT_EQ(ParameterValueText(wave, row, c.separator), row == 7 ? "777777" : "7") << row;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Table, ParameterEdit,
    ::testing::Values(ParameterCase{"LsizeDropsTrailingZeros", 0, "2.50", '.', "2.5"},
                      ParameterCase{"LsizeNoNumberIsOne", 0, "abc", '.', "1"},
                      ParameterCase{"LsizeCommaLocale", 0, "1,5", ',', "1,5"},
                      ParameterCase{"LsizeFullStopInCommaLocaleIsOne", 0, "1.5", ',', "1"},
                      ParameterCase{"LsizeWholeTextNotItsFirstToken", 0, "2 3", '.', "1"},
                      ParameterCase{"MarkerFractionIsZero", 1, "4.5", '.', "0"},
                      ParameterCase{"ModeLeadingSpaces", 2, "  4", '.', "4"},
                      ParameterCase{"MrkThickNoNumberIsOne", 3, "thick", '.', "1"},
                      ParameterCase{"MsizeNoNumberIsZero", 4, "abc", '.', "0"},
                      ParameterCase{"MsizeBeyond32BitsIsZero", 4, "2147483648", '.', "0"},
                      ParameterCase{"MsizeLowestInteger", 4, "-2147483648", '.', "-2147483648"},
                      ParameterCase{"OffsetxNoNumberIsZero", 5, "x", '.', "0"},
                      ParameterCase{"OffsetxSmallShowsExponent", 5, "0.00001", '.', "1E-5"},
                      ParameterCase{"OffsetyNegative", 6, "-3.25", '.', "-3.25"},
                      ParameterCase{"RgbUpperCased", 7, "ff8000", '.', "FF8000"},
                      ParameterCase{"RgbPaddedToSixDigits", 7, "ff", '.', "0000FF"},
                      ParameterCase{"RgbAllBitsShowsEightDigits", 7, "FFFFFFFF", '.', "FFFFFFFF"},
                      ParameterCase{"RgbOwnDollarIsBlack", 7, "$FF", '.', "000000"},
                      ParameterCase{"RgbCPrefixIsBlack", 7, "0xFF", '.', "000000"},
                      ParameterCase{"RgbNineDigitsIsBlack", 7, "100000000", '.', "000000"}),
    [](const ::testing::TestParamInfo<ParameterCase>& info) { return info.param.name; });

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

struct RangeCase {
  const char* name;
  const char* left;
  const char* top;
  const char* right;
  const char* bottom;
  char separator;
  std::optional<TRealRect> range;
};

class AxisRange : public ::testing::TestWithParam<RangeCase> {};

TEST_P(AxisRange, TakesOnlyRangesIncreasingStrictlyBothWays) {
  const RangeCase& c = GetParam();
  EXPECT_EQ(AxisRangeFromTexts(c.left, c.top, c.right, c.bottom, c.separator), c.range);
}

INSTANTIATE_TEST_SUITE_P(
    Table, AxisRange,
    ::testing::Values(
        RangeCase{"Defaults", "0", "10", "10", "0", '.', TRealRect{0, 10, 10, 0}},
        RangeCase{"Fractions", "0.5", "1E3", "2.25", "-1", '.', TRealRect{0.5, 1000, 2.25, -1}},
        RangeCase{"RightEqualsLeft", "3", "10", "3", "0", '.', std::nullopt},
        RangeCase{"TopEqualsBottom", "0", "4", "10", "4", '.', std::nullopt},
        RangeCase{"Falling", "10", "10", "0", "0", '.', std::nullopt},
        RangeCase{"NoNumberCountsAsZero", "abc", "5", "5", "", '.', TRealRect{0, 5, 5, 0}},
        RangeCase{"NoNumberMakesEmptySpan", "abc", "5", "", "0", '.', std::nullopt},
        RangeCase{"CommaLocale", "0,5", "1,5", "2,5", "-0,5", ',', TRealRect{0.5, 1.5, 2.5, -0.5}},
        RangeCase{"FullStopInCommaLocaleIsZero", "0", "1.5", "2", "-1", ',',
                  TRealRect{0, 0, 2, -1}},
        RangeCase{"SpacesAround", " 1 ", " 2", "3 ", "0", '.', TRealRect{1, 2, 3, 0}},
        RangeCase{"WiderThanADouble", "-1E308", "1E308", "1E308", "-1E308", '.',
                  TRealRect{-1e308, 1e308, 1e308, -1e308}},
        RangeCase{"OverflowCountsAsZero", "-1", "1E400", "1", "0", '.', std::nullopt}),
    [](const ::testing::TestParamInfo<RangeCase>& info) { return info.param.name; });

struct MetafileCase {
  int32_t millimetres;
  int32_t hundredths;
};

class MetafileSize : public ::testing::TestWithParam<MetafileCase> {};

TEST_P(MetafileSize, StoresHundredthsWithinThirtyTwoBits) {
  EXPECT_EQ(MetafileFromMillimetres(GetParam().millimetres), GetParam().hundredths);
}

INSTANTIATE_TEST_SUITE_P(
    Table, MetafileSize,
    ::testing::Values(MetafileCase{150, 15000}, MetafileCase{0, 0}, MetafileCase{-3, -300},
                      MetafileCase{21474836, 2147483600}, MetafileCase{21474837, kInt32Max},
                      MetafileCase{kInt32Max, kInt32Max}, MetafileCase{-21474837, kInt32Min},
                      MetafileCase{kInt32Min, kInt32Min}));

TEST(MetafileSize, ShowsWholeMillimetresTruncatedTowardZero) {
  EXPECT_EQ(MillimetresFromMetafile(29700), 297);
  EXPECT_EQ(MillimetresFromMetafile(29799), 297);
  EXPECT_EQ(MillimetresFromMetafile(-150), -1);
  EXPECT_EQ(MillimetresFromMetafile(kInt32Max), 21474836);
  EXPECT_EQ(MillimetresFromMetafile(kInt32Min), -21474836);
}

// Every setting but the metafile size differs from the start-up value, so a
// field the fill or the apply drops shows.
DisplaySettings UnusualSettings() {
  return {.ScaleOn = false,
          .TickX = kInt32Min,
          .TickY = 0,
          .DistanceX = -5,
          .DistanceY = kInt32Max,
          .MarginOn = true,
          .Margin = {1, 2, 3, 4},
          .MetafileWidth = 100,
          .MetafileHeight = 200,
          .ColorOn = false};
}

TEST(FillAxisTab, ShowsTheSettingsAndTheRangeAsText) {
  GraphDocument doc;
  doc.Settings = UnusualSettings();
  const AxisTabValues v = FillAxisTab(doc, '.');
  EXPECT_EQ(v.settings, doc.Settings);
  EXPECT_FALSE(v.axis_on);
  EXPECT_EQ(v.axis_left, "0");
  EXPECT_EQ(v.axis_top, "10");
  EXPECT_EQ(v.axis_right, "10");
  EXPECT_EQ(v.axis_bottom, "0");

  doc.AxisRange = RealRect(0.5, 2.5e15, 1500, 0.00001);
  const AxisTabValues comma = FillAxisTab(doc, ',');
  EXPECT_EQ(comma.axis_left, "0,5");
  EXPECT_EQ(comma.axis_top, "2,5E15");
  EXPECT_EQ(comma.axis_right, "1500");
  EXPECT_EQ(comma.axis_bottom, "1E-5");
}

TEST(ApplyAxisTab, WritesEverySettingAndTheRangeOnlyWhenAxisIsOn) {
  GraphDocument doc;
  doc.AxisRange = RealRect(1, 2, 3, 0);
  const auto history = doc.AxisHistory;
  AxisTabValues v;
  v.settings = UnusualSettings();
  v.axis_left = "5";
  v.axis_top = "9";
  v.axis_right = "7";
  v.axis_bottom = "8";

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
