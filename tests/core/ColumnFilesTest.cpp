// Column files written here by hand, one row per shape a user meets: the
// separators and decimal signs, headers, comments, names, uncertainties,
// footers, byte-order marks and line ends, and files that are refused; then
// the capacities, a read error, the one-line report and the way Loading
// tells a column file from a pattern file.

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "FailingSource.h"
#include "TestWaves.h"
#include "document/ColumnFiles.h"
#include "document/ColumnSyntax.h"
#include "document/DocumentJson.h"
#include "document/Loading.h"
#include "document/TablesError.h"

namespace korvelin::document {
namespace {

using korvelin::testing::Doc;
using korvelin::testing::NewDoc;
using korvelin::testing::TempFile;

std::vector<std::string> WaveNames(const GraphDocument& doc) {
  std::vector<std::string> names;
  for (int32_t w = 0; w < doc.WaveCount; ++w) names.emplace_back(WaveName(doc.Waves[w]));
  return names;
}

// Row r of the kept columns as the waves read it.
std::vector<double> Row(const GraphDocument& doc, int32_t r) {
  std::vector<double> row;
  for (int32_t w = 0; w < doc.WaveCount; ++w) {
    const TWave& wave = doc.Waves[w];
    row.push_back(GetValue(doc.Values, wave.first + r * wave.stride));
  }
  return row;
}

// UTF-16 of ASCII text, with its byte-order mark.
std::string Utf16(std::string_view text, bool big_endian) {
  std::string wide = big_endian ? "\xFE\xFF" : "\xFF\xFE";
  for (char c : text) {
    wide += big_endian ? std::string{'\0', c} : std::string{c, '\0'};
  }
  return wide;
}

constexpr double kGap = NAN;
constexpr LoadStatus kLoaded = LoadStatus::Loaded;
constexpr LoadStatus kRefused = LoadStatus::NotPattern;

struct Shape {
  const char* name;
  std::string text;
  std::string file = "scan.xy";
  LoadStatus status = LoadStatus::Loaded;
  std::vector<std::string> waves;  // names, x first
  int32_t traces = 0;
  int32_t rows = 0;
  std::vector<double> first_row;
  std::vector<double> last_row;
};

void PrintTo(const Shape& shape, std::ostream* os) { *os << shape.name; }

class ColumnShapes : public ::testing::TestWithParam<Shape> {};

TEST_P(ColumnShapes, ReadAsTheTableSays) {
  const Shape& shape = GetParam();
  Doc doc = NewDoc();
  ColumnFileReport report;
  const LoadResult result = LoadColumnText(*doc, shape.text, report, shape.file);
  ASSERT_EQ(result.status, shape.status) << result.reason;
  EXPECT_EQ(TablesError(*doc), "");
  if (shape.status != LoadStatus::Loaded) {
    EXPECT_EQ(result.reason, kNoRowsReason);
    EXPECT_EQ(doc->WaveCount, 0);
    EXPECT_FALSE(report.read);
    return;
  }
  EXPECT_EQ(WaveNames(*doc), shape.waves);
  EXPECT_EQ(doc->TraceCount, shape.traces);
  for (int32_t t = 0; t < doc->TraceCount; ++t) EXPECT_EQ(doc->Traces[t].XWave, 0);
  ASSERT_EQ(doc->Waves[0].count, shape.rows);
  for (const auto& [r, want] : {std::pair{0, shape.first_row}, {shape.rows - 1, shape.last_row}}) {
    const std::vector<double> got = Row(*doc, r);
    // A gap (NaN) in the table matches a gap only.
    EXPECT_TRUE(
        std::equal(got.begin(), got.end(), want.begin(), want.end(),
                   [](double g, double w) { return std::isnan(w) ? std::isnan(g) : g == w; }))
        << "row " << r << ": " << ::testing::PrintToString(got);
  }
  // Every split of the bytes reads the same.
  const std::string json = DumpDocumentJson(*doc);
  for (size_t chunk : {1, 2, 3, 7}) {
    Doc again = NewDoc();
    ColumnFileReport second;
    LoadColumnText(*again, shape.text, second, shape.file, chunk);
    EXPECT_EQ(DumpDocumentJson(*again), json) << "chunk " << chunk;
  }
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Files, ColumnShapes,
    ::testing::Values(
    Shape{"SpacesAndLf", "10.0 100\n10.5 120\n11.0 90\n", "scan.xy", kLoaded, {"x", "scan"}, 1, 3, {10, 100}, {11, 90}},
    Shape{"TabsCrLfNamesRow", "2theta\tintensity\r\n10\t100\r\n11\t110\r\n", "a.txt", kLoaded, {"2theta", "intensity"}, 1, 2, {10, 100}, {11, 110}},
    Shape{"CommasQuotedNames", "\"Angle (deg)\",\"Counts\"\n10.5,100\n11.5,120\n", "a.csv", kLoaded, {"Angle__deg_", "Counts"}, 1, 2, {10.5, 100}, {11.5, 120}},
    Shape{"SemicolonsDecimalCommas", "Winkel;Intensit\xC3\xA4t\n10,5;100,25\n11,0;1,5E3\n", "a.csv", kLoaded, {"Winkel", "Intensit\xC3\xA4t"}, 1, 2, {10.5, 100.25}, {11, 1500}},
    Shape{"TabsDecimalCommas", "1,5\t2,5\n3,5\t4,5\n", "a.txt", kLoaded, {"x", "a"}, 1, 2, {1.5, 2.5}, {3.5, 4.5}},
    Shape{"CommasIntegers", "10,5\n11,6\n12,7\n", "a.csv", kLoaded, {"x", "a"}, 1, 3, {10, 5}, {12, 7}},
    Shape{"HeaderWithLoneNumbersAndParameters", "Instrument 7\n1.5406\n4501\n1.5406 0.02 10 80\n10 1\n11 2\n12 3\n", "a.dat", kLoaded, {"x", "a"}, 1, 3, {10, 1}, {12, 3}},
    Shape{"CommentsOfEachKind", "# a\n! b\n% c\n; d\n' e\n// f\n1 2\n# inside\n\n3 4\n", "a.dat", kLoaded, {"x", "a"}, 1, 2, {1, 2}, {3, 4}},
    Shape{"NamesInACommentWithSigma", "# wavelength 0.7\n# tth I sigma\n1 10 1\n2 20 2\n", "a.chi", kLoaded, {"tth", "I", "sigma"}, 1, 2, {1, 10, 1}, {2, 20, 2}},
    Shape{"XyeThirdColumnIsUncertainty", "1 10 1\n2 20 2\n", "data/run.XYE", kLoaded, {"x", "run", "e2"}, 1, 2, {1, 10, 1}, {2, 20, 2}},
    Shape{"SeveralCurves", "1 2 3 4\n5 6 7 8\n", "a.dat", kLoaded, {"x", "y1", "y2", "y3"}, 3, 2, {1, 2, 3, 4}, {5, 6, 7, 8}},
    Shape{"DuplicateNames", "x I I\n1 2 3\n4 5 6\n", "a.dat", kLoaded, {"x", "I", "I_3"}, 2, 2, {1, 2, 3}, {4, 5, 6}},
    Shape{"TextAndJsonFooter", "1 2\n3 4\n*END\n{\"method\": [1, 2],\n  \"steps\": 3}\n", "a.txt", kLoaded, {"x", "a"}, 1, 2, {1, 2}, {3, 4}},
    Shape{"LongestRunWins", "1 2 3\n4 5 6\ntext\n1 2\n3 4\n5 6\n", "a.txt", kLoaded, {"x", "a"}, 1, 3, {1, 2}, {5, 6}},
    Shape{"Utf8Bom", "\xEF\xBB\xBFx,y\n1,2\n3,4\n", "a.csv", kLoaded, {"x", "y"}, 1, 2, {1, 2}, {3, 4}},
    Shape{"Utf16LittleEndian", Utf16("x\ty\r\n1\t2\r\n3\t4\r\n", false), "a.txt", kLoaded, {"x", "y"}, 1, 2, {1, 2}, {3, 4}},
    Shape{"Utf16BigEndian", Utf16("x y\n1.5 2\n3 4", true), "a.txt", kLoaded, {"x", "y"}, 1, 2, {1.5, 2}, {3, 4}},
    Shape{"CrAloneAndNoLastLineEnd", "1 2\r3 4\r5 6", "a.xy", kLoaded, {"x", "a"}, 1, 3, {1, 2}, {5, 6}},
    Shape{"NanAndInfAreGaps", "1 nan\n2 -inf\n3 1e999\n4 5\n", "a.xy", kLoaded, {"x", "a"}, 1, 4, {1, kGap}, {4, 5}},
    Shape{"InfinityIsAGap", "1 2\n2 3\n3 -inf\n", "a.xy", kLoaded, {"x", "a"}, 1, 3, {1, 2}, {3, kGap}},
    Shape{"PastTheRangeIsAGap", "1 2\n2 1e999\n", "a.xy", kLoaded, {"x", "a"}, 1, 2, {1, 2}, {2, kGap}},
    Shape{"EmptyFieldsAreGapsTrailingOnesNothing", "1,,3,\n4,5,6,,\n", "a.csv", kLoaded, {"x", "y1", "y2"}, 2, 2, {1, kGap, 3}, {4, 5, 6}},
    Shape{"ScientificNotation", "+1e-3 2.5E+04\n2e-3 -1.25e4\n", "a.xy", kLoaded, {"x", "a"}, 1, 2, {1e-3, 2.5e4}, {2e-3, -1.25e4}},
    Shape{"Latin1AndNulInHeaders", std::string("Probe \xE4") + '\0' + " gemessen\nWinkel\tIntensit\xE4t\n1\t2\n3\t4\n", "a.txt", kLoaded, {"Winkel", "Intensit_t"}, 1, 2, {1, 2}, {3, 4}},
    Shape{"LongNamesCutAtACharacter", "angle_in_degrees_two_theta \xCE\xB1\xCE\xB2\xCE\xB3\xCE\xB4\xCE\xB5\xCE\xB6\xCE\xB7\xCE\xB8\xCE\xB9\n1 2\n3 4\n", "a.txt", kLoaded, {"angle_in_degrees", "\xCE\xB1\xCE\xB2\xCE\xB3\xCE\xB4\xCE\xB5\xCE\xB6\xCE\xB7\xCE\xB8"}, 1, 2, {1, 2}, {3, 4}},
    Shape{"RefusedNotes", "Just notes\nand 3 words\n", "notes.txt", kRefused, {}, 0, 0, {}, {}},
    Shape{"RefusedLoneRow", "1.5406 2\n", "a.xy", kRefused, {}, 0, 0, {}, {}},
    Shape{"RefusedLoneNumbers", "1\n2\n3\n", "a.xy", kRefused, {}, 0, 0, {}, {}},
    Shape{"RefusedEmpty", "", "a.xy", kRefused, {}, 0, 0, {}, {}}),
    [](const ::testing::TestParamInfo<Shape>& info) { return std::string(info.param.name); });
// clang-format on

TEST(ColumnFiles, FitTheAxesAndLeaveARefusedDocumentAlone) {
  Doc doc = NewDoc();
  ColumnFileReport report;
  ASSERT_TRUE(LoadColumnText(*doc, "12 3\n10 nan\n11 1\n", report, "a.xy").accepted());
  EXPECT_EQ(doc->AxisRange, RealRect(10, 3, 12, 1));
  for (const TRealRect& slot : doc->AxisHistory) EXPECT_EQ(slot, doc->AxisRange);

  const std::string before = DumpDocumentJson(*doc);
  EXPECT_EQ(LoadColumnText(*doc, "no numbers here\n", report, "b.txt").status,
            LoadStatus::NotPattern);
  EXPECT_EQ(DumpDocumentJson(*doc), before);
  EXPECT_FALSE(report.read);
}

TEST(ColumnFiles, NameUncertaintiesButNotEnergiesOrSpacings) {
  for (const char* name : {"e", "E", "err", "Error", "esd", "ESD_1", "sigma", "sigma_I_", "dy",
                           "dI", "yerr", "I_esd", "stdev", "uncertainty"}) {
    EXPECT_TRUE(columns::IsUncertaintyName(name)) << name;
  }
  for (const char* name :
       {"energy", "e_kin", "d", "d_spacing", "I", "counts", "2theta", "time", "desert"}) {
    EXPECT_FALSE(columns::IsUncertaintyName(name)) << name;
  }
}

TEST(ColumnFiles, ReadPastAHeaderLineLongerThanTheSample) {
  Doc doc = NewDoc();
  ColumnFileReport report;
  const std::string text = std::string(100000, 'h') + "\n1,5;2\n3,5;4\n";
  ASSERT_EQ(LoadColumnText(*doc, text, report, "a.csv").status, LoadStatus::Loaded);
  EXPECT_EQ(Row(*doc, 1), (std::vector<double>{3.5, 4}));
}

TEST(ColumnFiles, KeepWithinTheTablesAndSaySo) {
  // 20 columns: x and 16 more are kept, 3 are left out.
  std::string wide;
  for (int r = 0; r < 3; ++r) {
    for (int c = 0; c < 20; ++c) wide += std::to_string(r * 100 + c) + (c < 19 ? " " : "\n");
  }
  Doc doc = NewDoc();
  ColumnFileReport report;
  ASSERT_EQ(LoadColumnText(*doc, wide, report, "w.dat").status, LoadStatus::Loaded);
  EXPECT_EQ(TablesError(*doc), "");
  EXPECT_EQ(doc->WaveCount, 17);
  EXPECT_EQ(doc->TraceCount, 16);
  EXPECT_EQ(Row(*doc, 2).back(), 216);
  EXPECT_EQ(ColumnFileSummary(report),
            "read as columns: 16 curves, 3 rows; left out: 3 columns past the 16th after x");

  // 600,000 rows of two values: the first 524,288 fit the 1,048,576 values.
  std::string tall;
  for (int r = 0; r < 600000; ++r) tall += std::to_string(r) + " 1\n";
  ASSERT_EQ(LoadColumnText(*doc, tall, report, "t.xy").status, LoadStatus::Loaded);
  EXPECT_EQ(TablesError(*doc), "");
  EXPECT_EQ(doc->ValueCount, kMaxValues);
  EXPECT_EQ(doc->Waves[1].count, 524288);
  EXPECT_EQ(Row(*doc, 524287)[0], 524287);
  EXPECT_EQ(ColumnFileSummary(report),
            "read as columns: 1 curve, 600,000 rows; kept 524,288 of 600,000 rows");
}

TEST(ColumnFiles, AReadErrorKeepsTheRowsBeforeItAndSaysWhy) {
  // The head's read takes "0 1\n", two 8-byte reads four rows more, and
  // the fourth read fails.
  const std::string text = "0 1\n1 2\n2 3\n3 4\n4 5\n5 6\n";
  Doc doc = NewDoc();
  ColumnFileReport report;
  FailingSource source(text, 8, 4, EIO, 1);
  const LoadResult result = LoadColumnSource(*doc, source, report, "cut.xy", 8);
  EXPECT_EQ(result.status, LoadStatus::Incomplete);
  EXPECT_EQ(result.reason, SystemReason(EIO));
  EXPECT_EQ(TablesError(*doc), "");
  ASSERT_EQ(doc->WaveCount, 2);
  EXPECT_EQ(doc->Waves[0].count, 5);
  EXPECT_EQ(Row(*doc, 4), (std::vector<double>{4, 5}));

  // Before any rows: nothing to show, and the document stays as it was.
  Doc untouched = NewDoc();
  FailingSource early(text, 8, 1, EIO, 1);
  const LoadResult refused = LoadColumnSource(*untouched, early, report, "cut.xy", 8);
  EXPECT_EQ(refused.status, LoadStatus::CannotOpen);
  EXPECT_EQ(untouched->WaveCount, 0);
}

TEST(LoadFile, TellsColumnFilesFromPatternFilesByTheirContent) {
  std::string rows = "# 2theta I1 I2\n";
  for (int r = 0; r < 4501; ++r) rows += std::to_string(10 + r * 0.01) + " 5 6\n";
  TempFile columns(rows, "scan.pat");  // the name does not decide
  Doc doc = NewDoc();
  const LoadRecord load = LoadFile(*doc, columns.path());
  ASSERT_EQ(load.result.status, LoadStatus::Loaded) << load.result.reason;
  EXPECT_EQ(SavedFileMessage(load),
            columns.path() + ": read as columns: 2 curves, 4,501 rows; header: 2theta I1 I2");

  TempFile pattern("IGOR\nWAVES/D a, b\nBEGIN\n1 2\n3 4\nEND\nX Display b vs a\n", "p.xy");
  const LoadRecord igor = LoadFile(*doc, pattern.path());
  EXPECT_EQ(igor.result.status, LoadStatus::Loaded);
  EXPECT_FALSE(igor.columns.read);
  EXPECT_EQ(SavedFileMessage(igor), "");
  EXPECT_EQ(WaveNames(*doc), (std::vector<std::string>{"a", "b"}));

  TempFile notes("Just notes\n", "notes.txt");
  const LoadRecord refused = LoadFile(*doc, notes.path());
  EXPECT_EQ(refused.result.status, LoadStatus::NotPattern);
  EXPECT_EQ(refused.result.reason, kNoRowsReason);
  EXPECT_EQ(WaveNames(*doc), (std::vector<std::string>{"a", "b"}));
}

}  // namespace
}  // namespace korvelin::document
