// The corners of the syntax the second reading takes from files other
// programs save: flags written without parentheses or without a closing
// one, flags apart from their word, quotes left open or escaped, SetScale
// commands that name no x dimension or give no numbers. Each file is read
// as far as its lines make sense and says what it draws.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TestWaves.h"
#include "document/SavedWaves.h"

namespace korvelin::document {
namespace {

using korvelin::testing::Doc;
using korvelin::testing::Lines;
using korvelin::testing::NewDoc;
using korvelin::testing::Points;

struct SyntaxCase {
  const char* name;
  std::vector<std::string> lines;
  std::vector<std::string> traces;     // "y vs x" by wave names
  std::vector<double> first_x;         // x values of the first trace
  std::vector<std::vector<double>> y;  // y values of every trace
  std::string summary;
};

void PrintTo(const SyntaxCase& c, std::ostream* os) { *os << c.name; }

class SavedFileSyntax : public ::testing::TestWithParam<SyntaxCase> {};

TEST_P(SavedFileSyntax, ReadsWhatTheLinesSay) {
  const SyntaxCase& c = GetParam();
  Doc doc = NewDoc();
  SavedFileReport report;
  EXPECT_EQ(LoadGraphText(*doc, Lines(c.lines, "\r"), report).status, LoadStatus::Loaded);
  std::vector<std::string> traces;
  std::vector<std::vector<double>> ys;
  if (report.fallback) {
    traces = korvelin::testing::TraceNames(*doc);
    for (int32_t t = 0; t < doc->TraceCount; ++t) ys.push_back(Points(*doc, doc->Traces[t].YWave));
  }
  EXPECT_EQ(traces, c.traces);
  EXPECT_EQ(ys, c.y);
  if (!c.traces.empty()) {
    EXPECT_EQ(Points(*doc, doc->Traces[0].XWave), c.first_x);
  }
  EXPECT_EQ(SavedFileSummary(report), c.summary);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Table, SavedFileSyntax,
    ::testing::Values(
        SyntaxCase{"SizeWithoutParentheses", {"IGOR", "WAVES/N=3 w", "BEGIN", "1", "2", "3", "END"}, {"w vs w_x"}, {0, 1, 2}, {{1, 2, 3}}, "read as saved waves: 1 trace"},
        // The sizes run to the line's end, so the wave has no name.
        SyntaxCase{"SizesNeverClosed", {"IGOR", "WAVES/N=(2,2 m", "BEGIN", "1 2", "3 4", "END"}, {}, {}, {}, "no wave to plot"},
        SyntaxCase{"TwoDimensionalWithoutName", {"IGOR", "WAVES/N=(2,2)", "BEGIN", "1 2", "3 4", "END", "WAVES/D v", "BEGIN", "5", "END"}, {"v vs v_x"}, {0}, {{5}}, "read as saved waves: 1 trace"},
        SyntaxCase{"FlagsApartAndWithoutLetters", {"IGOR", "WAVES / /D  /N = (2) v", "BEGIN", "5", "6", "END", "X SetScale /P x 10, 2, \"\", v"}, {"v vs v_x"}, {10, 12}, {{5, 6}}, "read as saved waves: 1 trace"},
        // An open quote loses its mark; a unit may hold an escaped quote.
        SyntaxCase{"OpenQuoteAndEscapedUnit", {"IGOR", "WAVES/D 'open", "BEGIN", "5", "6", "END", "X SetScale/I x 1, 3, \"a \\\" b\", open"}, {"open vs open_x"}, {1, 3}, {{5, 6}}, "read as saved waves: 1 trace"},
        // Only an x scale with two numbers whose points are all doubles counts;
        // the others leave 0, 1, ...
        SyntaxCase{"ScalesThatSayNothing", {"IGOR", "WAVES/D v", "BEGIN", "5", "6", "END", "X SetScale/P y 10, 2, \"\", v", "X SetScale/P x 10, , v", "X SetScale/P x", "X SetScale/P x 1e308, 1e308, v", "X SetScale/P x 1.5e308, 0.5e308, v", "X SetScale/I x -1e308, 1e308, v"}, {"v vs v_x"}, {0, 1}, {{5, 6}}, "read as saved waves: 1 trace"},
        // Flags without a value, unknown scale flags, lines of no command
        // and a WAVES line without names are passed over.
        SyntaxCase{"FlagsWithoutValuesAndLinesOfNoCommand", {"IGOR", "Comment outside any block", "WAVES/D", "BEGIN", "9", "END", "WAVES/D/O v", "BEGIN", "5", "6", "END", "X SetScale/Q/P x 4, 2, \"\", v"}, {"v vs v_x"}, {4, 6}, {{5, 6}}, "read as saved waves: 1 trace"},
        // Five sizes are four dimensions; rows shorter than the block are
        // filled with 0, shorter sums count what they have, and waves of
        // one scale and length share one x wave.
        SyntaxCase{"FiveSizesAndShortRows", {"IGOR", "WAVES/N=(2,2,2,2,2) hyper", "BEGIN", "1 2", "END", "WAVES/N=(2,2) m", "BEGIN", "1", "3 4", "END", "WAVES/N=(2,20) wide", "BEGIN", "1 2 3", "4", "END"}, {"m_0 vs m_x", "m_1 vs m_x", "wide_sum vs m_x"}, {0, 1}, {{1, 3}, {0, 4}, {6, 4}}, "read as saved waves: 3 traces; left out: 3-D wave (1)"},
        // Past the wave table a 2-D wave is left out whole, with the names
        // beside it.
        SyntaxCase{"TwoDimensionalPastTheWaveTable", {"IGOR", [] { std::string names = "WAVES"; for (int i = 0; i < 256; ++i) names += " v" + std::to_string(i); return names; }(), "WAVES/N=(2,2) m, n", "BEGIN", "1 2", "END"}, {}, {}, {}, "no wave to plot; left out: shares a 2-D block (1), no values (256), over capacity (1)"}),
    [](const ::testing::TestParamInfo<SyntaxCase>& info) { return std::string(info.param.name); });
// clang-format on

// The second reading alone changes nothing for a file whose first line is
// not IGOR, as the plain reading does.
TEST(LoadSavedSource, LeavesTheDocumentAloneForAFileThatIsNotAPattern) {
  Doc doc = NewDoc();
  doc->AxisRange = RealRect(1, 2, 3, 4);
  SavedFileReport report;
  MemoryByteSource source("WAVES/D v\rBEGIN\r1\rEND\r", 0);
  EXPECT_EQ(LoadSavedSource(*doc, source, report).status, LoadStatus::NotPattern);
  EXPECT_EQ(doc->WaveCount, 0);
  EXPECT_EQ(doc->AxisRange, RealRect(1, 2, 3, 4));
  EXPECT_FALSE(report.fallback);
}

// A trace needs both waves declared to count as drawn, and both with points
// to show anything.
TEST(NeedsSavedFileReading, AsksForTwoDeclaredWavesAndShowsNothingForTwoWithPoints) {
  Doc doc = NewDoc();
  doc->WaveCount = 2;
  doc->Waves[0].count = 3;
  doc->Waves[1].count = 0;
  doc->TraceCount = 1;
  for (const TTrace trace : {TTrace{-1, 0}, TTrace{0, -1}}) {
    doc->Traces[0] = trace;
    EXPECT_TRUE(NeedsSavedFileReading(*doc));
    EXPECT_TRUE(ShowsNothing(*doc));
  }
  doc->Traces[0] = TTrace{0, 1};
  EXPECT_FALSE(NeedsSavedFileReading(*doc));
  EXPECT_TRUE(ShowsNothing(*doc));  // wave 1 has no points
  doc->Traces[0] = TTrace{0, 2};    // past WaveCount
  EXPECT_TRUE(ShowsNothing(*doc));
  doc->Traces[0] = TTrace{0, 0};
  EXPECT_FALSE(ShowsNothing(*doc));
}

}  // namespace
}  // namespace korvelin::document
