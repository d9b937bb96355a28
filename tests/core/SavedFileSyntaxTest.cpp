// The corners of the syntax the second reading takes from files other
// programs save: flags written without parentheses or without a closing
// one, flags apart from their word, quotes left open or escaped, SetScale
// commands that name no x dimension or give no numbers. Each file is read
// as far as its lines make sense and says what it draws.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "document/IgorSavedFiles.h"

namespace korvelin::document {
namespace {

struct SyntaxCase {
  const char* name;
  std::vector<std::string> lines;
  std::vector<std::string> traces;  // "y vs x" by wave names
  std::vector<double> first_x;      // x values of the first trace
  std::string summary;
};

void PrintTo(const SyntaxCase& c, std::ostream* os) { *os << c.name; }

class SavedFileSyntax : public ::testing::TestWithParam<SyntaxCase> {};

TEST_P(SavedFileSyntax, ReadsWhatTheLinesSay) {
  const SyntaxCase& c = GetParam();
  std::string text;
  for (const std::string& line : c.lines) text += line + "\r";
  auto doc = std::make_unique<GraphDocument>();
  InitValueStore(doc->Values);
  SavedFileReport report;
  EXPECT_EQ(LoadGraphText(*doc, text, report).status, LoadStatus::Loaded);
  std::vector<std::string> traces;
  for (int32_t t = 0; t < doc->TraceCount && report.fallback; ++t) {
    const TTrace& trace = doc->Traces[t];
    traces.push_back(std::string(WaveName(doc->Waves[trace.YWave])) + " vs " +
                     std::string(WaveName(doc->Waves[trace.XWave])));
  }
  EXPECT_EQ(traces, c.traces);
  if (!c.traces.empty()) {
    const TWave& x = doc->Waves[doc->Traces[0].XWave];
    std::vector<double> xs;
    for (int32_t i = 0; i < x.count; ++i) xs.push_back(GetValue(doc->Values, x.first + i));
    EXPECT_EQ(xs, c.first_x);
  }
  EXPECT_EQ(SavedFileSummary(report), c.summary);
}

INSTANTIATE_TEST_SUITE_P(
    Table, SavedFileSyntax,
    ::testing::Values(SyntaxCase{"SizeWithoutParentheses",
                                 {"IGOR", "WAVES/N=3 w", "BEGIN", "1", "2", "3", "END"},
                                 {"w vs w_x"},
                                 {0, 1, 2},
                                 "read as saved waves: 1 trace"},
                      // The sizes run to the line's end, so the wave has no name.
                      SyntaxCase{"SizesNeverClosed",
                                 {"IGOR", "WAVES/N=(2,2 m", "BEGIN", "1 2", "3 4", "END"},
                                 {},
                                 {},
                                 "no wave to plot"},
                      SyntaxCase{"TwoDimensionalWithoutName",
                                 {"IGOR", "WAVES/N=(2,2)", "BEGIN", "1 2", "3 4", "END",
                                  "WAVES/D v", "BEGIN", "5", "END"},
                                 {"v vs v_x"},
                                 {0},
                                 "read as saved waves: 1 trace"},
                      SyntaxCase{"FlagsApartAndWithoutLetters",
                                 {"IGOR", "WAVES / /D  /N = (2) v", "BEGIN", "5", "6", "END",
                                  "X SetScale /P x 10, 2, \"\", v"},
                                 {"v vs v_x"},
                                 {10, 12},
                                 "read as saved waves: 1 trace"},
                      // An open quote loses its mark; a unit may hold an escaped quote.
                      SyntaxCase{"OpenQuoteAndEscapedUnit",
                                 {"IGOR", "WAVES/D 'open", "BEGIN", "5", "6", "END",
                                  "X SetScale/I x 1, 3, \"a \\\" b\", open"},
                                 {"open vs open_x"},
                                 {1, 3},
                                 "read as saved waves: 1 trace"},
                      // Only an x scale with two numbers counts; the others leave 0, 1, ...
                      SyntaxCase{"ScalesThatSayNothing",
                                 {"IGOR", "WAVES/D v", "BEGIN", "5", "6", "END",
                                  "X SetScale/P y 10, 2, \"\", v", "X SetScale/P x 10, , v",
                                  "X SetScale/P x", "X SetScale/P x 1e308, 1e308, v"},
                                 {"v vs v_x"},
                                 {0, 1},
                                 "read as saved waves: 1 trace"}),
    [](const ::testing::TestParamInfo<SyntaxCase>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace korvelin::document
