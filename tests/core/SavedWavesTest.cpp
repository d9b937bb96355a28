// Files as other programs save them, written here by hand: what the second
// reading draws from each shape, what it leaves out and says, that files
// the plain reading draws are read exactly as before, and that the tables
// hold at their capacities.

#include <gtest/gtest.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <cfloat>
#include <string>
#include <vector>

#include "TestWaves.h"
#include "document/DocumentJson.h"
#include "document/Loading.h"
#include "document/SavedWaves.h"
#include "document/TablesError.h"

namespace korvelin::document {
namespace {

using korvelin::testing::Doc;
using korvelin::testing::Lines;
using korvelin::testing::NewDoc;
using korvelin::testing::Points;
using korvelin::testing::TempFile;
using korvelin::testing::TraceNames;

struct Graph {
  Doc doc = NewDoc();
  SavedFileReport report;
  LoadResult result;
};

Graph LoadGraph(const std::string& text, size_t chunk = 0) {
  Graph graph;
  graph.result = LoadGraphText(*graph.doc, text, graph.report, chunk);
  return graph;
}

std::string PlainJson(const std::string& text) {
  Doc doc = NewDoc();
  LoadPatternText(*doc, text);
  return DumpDocumentJson(*doc);
}

int32_t TracePoints(const GraphDocument& doc, const TTrace& t) {
  return std::min(doc.Waves[t.XWave].count, doc.Waves[t.YWave].count);
}

// One shape of saved file: the traces it gives, their points, the fitted
// range and the summary a headless run prints.
struct ShapeCase {
  const char* name;
  std::vector<std::string> lines;
  std::vector<std::string> traces;
  std::vector<std::vector<double>> x;
  std::vector<std::vector<double>> y;
  TRealRect range;
  std::string summary;
};

void PrintTo(const ShapeCase& c, std::ostream* os) { *os << c.name; }

class SavedFileShape : public ::testing::TestWithParam<ShapeCase> {};

TEST_P(SavedFileShape, DrawsItsWavesAgainstTheirScales) {
  const ShapeCase& c = GetParam();
  const std::string text = Lines(c.lines);
  Graph graph = LoadGraph(text);
  ASSERT_EQ(graph.result.status, LoadStatus::Loaded);
  EXPECT_EQ(TablesError(*graph.doc), "");
  EXPECT_EQ(TraceNames(*graph.doc), c.traces);
  for (size_t t = 0; t < c.traces.size() && t < size_t(graph.doc->TraceCount); ++t) {
    const TTrace& trace = graph.doc->Traces[t];
    const int32_t n = TracePoints(*graph.doc, trace);
    EXPECT_EQ(Points(*graph.doc, trace.XWave, n), c.x[t]) << c.traces[t];
    EXPECT_EQ(Points(*graph.doc, trace.YWave, n), c.y[t]) << c.traces[t];
  }
  EXPECT_EQ(graph.doc->AxisRange, c.range);
  EXPECT_EQ(graph.doc->AxisHistory, FilledHistory(c.range));
  EXPECT_EQ(graph.report.fallback, !c.traces.empty());
  EXPECT_EQ(graph.report.traces, static_cast<int32_t>(c.traces.size()));
  EXPECT_EQ(SavedFileSummary(graph.report), c.summary);
  // A file the second reading cannot draw keeps the plain reading whole.
  if (c.traces.empty()) {
    EXPECT_EQ(DumpDocumentJson(*graph.doc), PlainJson(text));
  }
  // Reading in chunks of three bytes gives the same document.
  EXPECT_EQ(DumpDocumentJson(*LoadGraph(text, 3).doc), DumpDocumentJson(*graph.doc));
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Table, SavedFileShape,
    ::testing::Values(
        ShapeCase{"ScaleByStartAndStep", {"IGOR", "WAVES/D test", "BEGIN", "3", "5", "4", "END", "X SetScale/P x 0.5,0.25,\"\", test; SetScale y 0,0,\"\", test"}, {"test vs test_x"}, {{0.5, 0.75, 1.0}}, {{3, 5, 4}}, RealRect(0.5, 5, 1.0, 3), "read as saved waves: 1 trace"},
        ShapeCase{"TwoWavesInTwoBlocks", {"IGOR", "WAVES/D 'first'", "BEGIN", "1", "2", "END", "WAVES/S second", "BEGIN", "10", "20", "30", "END", "X SetScale/P x 100,10,\"s\", second"}, {"first vs first_x", "second vs second_x"}, {{0, 1}, {100, 110, 120}}, {{1, 2}, {10, 20, 30}}, RealRect(0, 30, 120, 1), "read as saved waves: 2 traces"},
        ShapeCase{"ScaleByFirstAndLastWithCommasAndQuotedName", {"IGOR", "WAVES/D 'TS1_rough1_026'", "BEGIN", "0.5", "0.25", "0.125", "1", "2", "END", "X SetScale/I x, 1, 8, \"Step\", 'TS1_rough1_026'"}, {"TS1_rough1_026 vs TS1_rough1_026_x"}, {{1, 2.75, 4.5, 6.25, 8}}, {{0.5, 0.25, 0.125, 1, 2}}, RealRect(1, 2, 8, 0.125), "read as saved waves: 1 trace"},
        ShapeCase{"TwoDimensionalFourByThree", {"IGOR", "WAVES/D/N=(4,3) finecut", "BEGIN", "1 2 3", "4\t5\t6", "7 8 9", "10 11 12", "END", "X SetScale/P x -1,0.5,\"\", finecut; SetScale/P y 0,1,\"\", finecut"}, {"finecut_0 vs finecut_x", "finecut_1 vs finecut_x", "finecut_2 vs finecut_x"}, {{-1, -0.5, 0, 0.5}, {-1, -0.5, 0, 0.5}, {-1, -0.5, 0, 0.5}}, {{1, 4, 7, 10}, {2, 5, 8, 11}, {3, 6, 9, 12}}, RealRect(-1, 12, 0.5, 1), "read as saved waves: 3 traces"},
        ShapeCase{"ThreeDimensionalWave", {"IGOR", "WAVES/N=(2,2,2) cube", "BEGIN", "1 2", "3 4", "", "5 6", "7 8", "END", "X SetScale/P x 0,1,\"\", cube"}, {}, {}, {}, kDefaultAxisRange, "no wave to plot; left out: 3-D wave (1)"},
        ShapeCase{"TextWave", {"IGOR", "WAVES/T labels", "BEGIN", "\"a b\"", "\"END of\"", "END"}, {}, {}, {}, kDefaultAxisRange, "no wave to plot; left out: text wave (1)"},
        ShapeCase{"TextWaveBesideAFlatOne", {"IGOR", "WAVES/O/T names", "BEGIN", "\"x\"", "END", "WAVES/D v", "BEGIN", "2", "2", "END", "X Note v, \"flat\"; SetDimLabel 0, -1, p, v", "X // comment"}, {"v vs v_x"}, {{0, 1}}, {{2, 2}}, RealRect(0, 3, 1, 1), "read as saved waves: 1 trace; left out: text wave (1)"},
        ShapeCase{"LongNameOfOnePoint", {"IGOR", "WAVES/D 'A_very_long_wave_name_1'", "BEGIN", "7", "END", "X SetScale/P x 0,1,\"\", 'A_very_long_wave_name_1'"}, {"A_very_long_wave vs A_very_long_wa_x"}, {{0}}, {{7}}, RealRect(-1, 10.5, 1, 3.5), "read as saved waves: 1 trace"},
        ShapeCase{"DisplayWithoutXWave", {"IGOR", "WAVES/D int", "BEGIN", "1", "3", "END", "X Display int"}, {"int vs int_x"}, {{0, 1}}, {{1, 3}}, RealRect(0, 3, 1, 1), "read as saved waves: 1 trace"},
        ShapeCase{"ComplexWaveAndSharedTwoDimensionalBlock", {"IGOR", "WAVES/C z", "BEGIN", "1 2", "END", "waves/s/n=(2,2) m, n", "BEGIN", "1 2", "3 4", "END"}, {"m_0 vs m_x", "m_1 vs m_x"}, {{0, 1}, {0, 1}}, {{1, 3}, {2, 4}}, RealRect(0, 4, 1, 1), "read as saved waves: 2 traces; left out: complex wave (1), shares a 2-D block (1)"},
        ShapeCase{"BlockWithoutRowsAndFlagsApart", {"IGOR", "WAVES/D a, b", "BEGIN", "END", "WAVES /D /N=(2,0) c d", "BEGIN", "1 -1", "", "2 -2", "END"}, {"c vs c_x", "d vs c_x"}, {{0, 1}, {0, 1}}, {{1, 2}, {-1, -2}}, RealRect(0, 2, 1, -2), "read as saved waves: 2 traces; left out: no values (2)"}),
    [](const ::testing::TestParamInfo<ShapeCase>& info) { return std::string(info.param.name); });
// clang-format on

// x values from one SetScale command on a wave w of `rows` rows 0, 1, ...
struct ScaleCase {
  const char* name;
  std::string command;
  int rows;
  std::vector<double> x;
};

void PrintTo(const ScaleCase& c, std::ostream* os) { *os << c.name; }

class SavedFileScale : public ::testing::TestWithParam<ScaleCase> {};

TEST_P(SavedFileScale, GivesTheseXValues) {
  const ScaleCase& c = GetParam();
  std::vector<std::string> lines{"IGOR", "WAVES/D other", "BEGIN", "5",
                                 "END",  "WAVES/D w",     "BEGIN"};
  for (int i = 0; i < c.rows; ++i) lines.push_back(std::to_string(i));
  lines.push_back("END");
  lines.push_back("X " + c.command);
  Graph graph = LoadGraph(Lines(lines, "\n"));
  ASSERT_EQ(graph.doc->TraceCount, 2);
  const TTrace& trace = graph.doc->Traces[1];
  EXPECT_EQ(WaveName(graph.doc->Waves[trace.YWave]), "w");
  EXPECT_EQ(Points(*graph.doc, trace.XWave, TracePoints(*graph.doc, trace)), c.x);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Table, SavedFileScale,
    ::testing::Values(
        ScaleCase{"FallingStep", "SetScale/P x 2,-1,\"\", w", 3, {2, 1, 0}},
        ScaleCase{"Inclusive", "SetScale/I x 0,1,\"\", w", 3, {0, 0.5, 1}},
        ScaleCase{"InclusiveOfOnePoint", "SetScale/I x 5,9,\"\", w", 1, {5}},
        ScaleCase{"RightEndIsOnePastTheLast", "SetScale x 0,3,\"\", w", 3, {0, 1, 2}},
        ScaleCase{"UnitWithSemicolonAndFlagApart", "SetScale /P x 1,2,\"a; b c\", w", 2, {1, 3}},
        ScaleCase{"SeveralNamesAnyCase", "SetScale/P x 1,2,\"\", other, W", 2, {1, 3}},
        ScaleCase{"LaterCommandWins", "SetScale/P x 1,1,\"\",w; SetScale/P x 7,1,\"\",w", 2, {7, 8}},
        ScaleCase{"OtherDimensionIgnored", "SetScale/P y 1,2,\"\", w", 2, {0, 1}},
        ScaleCase{"WordForNumberIgnored", "SetScale/P x one,2,\"\", w", 2, {0, 1}},
        ScaleCase{"EndsBeyondDoublesIgnored", "SetScale/P x 1e308,1e308,\"\", w", 3, {0, 1, 2}},
        ScaleCase{"InsideAStringIgnored", "Note w, \"x; SetScale/P x 5,5,\\\"\\\", w\"", 2, {0, 1}},
        ScaleCase{"AfterCommentIgnored", "// SetScale/P x 5,5,\"\", w", 2, {0, 1}}),
    [](const ::testing::TestParamInfo<ScaleCase>& info) { return std::string(info.param.name); });
// clang-format on

// Files the plain reading draws, or that declare no wave, are read exactly
// as LoadPatternText reads them.
struct PlainCase {
  const char* name;
  std::vector<std::string> lines;
  bool shows_nothing;
};

void PrintTo(const PlainCase& c, std::ostream* os) { *os << c.name; }

class PlainReading : public ::testing::TestWithParam<PlainCase> {};

TEST_P(PlainReading, StaysByteForByte) {
  const PlainCase& c = GetParam();
  const std::string text = Lines(c.lines);
  Graph graph = LoadGraph(text);
  EXPECT_EQ(DumpDocumentJson(*graph.doc), PlainJson(text));
  EXPECT_FALSE(graph.report.fallback);
  EXPECT_EQ(graph.report.shows_nothing, c.shows_nothing);
  EXPECT_EQ(SavedFileSummary(graph.report), c.shows_nothing ? "no wave to plot" : "");
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Table, PlainReading,
    ::testing::Values(
        PlainCase{"DisplayBesideSizeFlag", {"IGOR", "WAVES/D/N=(3) tth, cnt", "BEGIN", "1 10", "2 20", "3 30", "END", "X Display cnt vs tth"}, false},
        PlainCase{"GraphWithAxisAndStyle", {"IGOR", "WAVES/D tth, int1", "BEGIN", "10 100", "10.5 120", "END", "X Display int1 vs tth", "X ModifyGraph mode(int1)=4", "X SetAxis bottom 10, 11", "X SetScale/P x 0,1,\"\", int1"}, false},
        PlainCase{"TraceOfWavesWithoutRows", {"IGOR", "WAVES a b", "BEGIN", "END", "X Display a vs b"}, true},
        PlainCase{"NoWaveDeclared", {"IGOR", "X SetAxis left 0, 5"}, true},
        PlainCase{"FirstLineOnly", {"IGOR"}, true},
        PlainCase{"NotAPatternFile", {"IGOR Text", "WAVES a", "BEGIN", "1", "END"}, false}),
    [](const ::testing::TestParamInfo<PlainCase>& info) { return std::string(info.param.name); });
// clang-format on

std::string TwoDimensionalFile(std::string_view end) {
  return Lines({"IGOR", "WAVES/D/N=(3,2) img", "BEGIN", "1 2", "3 4", "5 6", "END",
                "X SetScale/I x 0,1,\"\", img"},
               end);
}

TEST(LoadGraphText, ReadsAnyLineEndAndChunkAlike) {
  const std::string expected = DumpDocumentJson(*LoadGraph(TwoDimensionalFile("\r\n")).doc);
  for (const char* end : {"\n", "\r"}) {
    EXPECT_EQ(DumpDocumentJson(*LoadGraph(TwoDimensionalFile(end)).doc), expected) << int(end[0]);
  }
  for (size_t chunk = 1; chunk <= 9; ++chunk) {
    EXPECT_EQ(DumpDocumentJson(*LoadGraph(TwoDimensionalFile("\r\n"), chunk).doc), expected)
        << chunk;
  }
  Graph graph = LoadGraph(TwoDimensionalFile("\n"));
  EXPECT_EQ(TraceNames(*graph.doc), (std::vector<std::string>{"img_0 vs img_x", "img_1 vs img_x"}));
}

TEST(LoadGraphText, ShowsAWideImageAsItsRowSums) {
  // 400 rows of 101 columns; value (r, c) = r + c / 2, so row r sums to
  // 101 r + 2525.
  std::vector<std::string> lines{"IGOR", "WAVES/S/N=(400,101) 'Detector_3_2'", "BEGIN"};
  for (int r = 0; r < 400; ++r) {
    std::string row;
    for (int c = 0; c < 101; ++c) row += std::to_string(r + c * 0.5) + "\t";
    lines.push_back(row);
  }
  lines.push_back("END");
  lines.push_back(
      "X SetScale/P x 10,0.1,\"eV\", 'Detector_3_2'; SetScale/P y 0,1,\"\", 'Detector_3_2'");
  Graph graph = LoadGraph(Lines(lines));
  EXPECT_EQ(TablesError(*graph.doc), "");
  ASSERT_EQ(TraceNames(*graph.doc), std::vector<std::string>{"Detector_3_2_sum vs Detector_3_2_x"});
  const TTrace& trace = graph.doc->Traces[0];
  std::vector<double> sums, x;
  for (int r = 0; r < 400; ++r) {
    sums.push_back(101.0 * r + 2525);
    x.push_back(10 + r * 0.1);
  }
  EXPECT_EQ(Points(*graph.doc, trace.YWave, 400), sums);
  EXPECT_EQ(Points(*graph.doc, trace.XWave, 400), x);
  EXPECT_EQ(graph.doc->ValueCount, 800);  // the sums and the x values only
  EXPECT_EQ(graph.doc->AxisRange, RealRect(10, 101.0 * 399 + 2525, 10 + 399 * 0.1, 2525));
}

TEST(LoadGraphText, KeepsOverflowingSumsAndFlatRangesFinite) {
  std::string row;
  for (int c = 0; c < 20; ++c) row += "1e308 ";
  Graph graph = LoadGraph(Lines({"IGOR", "WAVES/N=(1,20) hot", "BEGIN", row, "END"}));
  ASSERT_EQ(graph.doc->TraceCount, 1);
  EXPECT_EQ(Points(*graph.doc, graph.doc->Traces[0].YWave, 1), std::vector<double>{DBL_MAX});
  EXPECT_EQ(graph.doc->AxisRange, RealRect(-1, DBL_MAX, 1, DBL_MAX / 2));

  // Half of the smallest double vanishes; such a flat range widens by 1.
  Graph tiny = LoadGraph(Lines({"IGOR", "WAVES/D t", "BEGIN", "4.9e-324", "END"}));
  EXPECT_EQ(tiny.doc->AxisRange, RealRect(-1, 4.9e-324 + 1, 1, 4.9e-324 - 1));
}

TEST(LoadGraphText, LeavesOutWhatPassesTheWaveAndTraceTables) {
  // 300 waves in one block: 256 are kept, 255 of them drawn against one
  // shared x wave, made after the first of them.
  std::string names = "WAVES/D";
  std::string row;
  for (int i = 0; i < 300; ++i) {
    names += " w" + std::to_string(i);
    row += std::to_string(i) + " ";
  }
  Graph graph = LoadGraph(Lines({"IGOR", names, "BEGIN", row, row, "END"}));
  EXPECT_EQ(TablesError(*graph.doc), "");
  EXPECT_EQ(graph.doc->WaveCount, kMaxWaves);
  EXPECT_EQ(graph.report.traces, 255);
  EXPECT_EQ(graph.report.LeftOutCount(LeftOut::OverCapacity), 300 - 255);
  EXPECT_EQ(WaveName(graph.doc->Waves[1]), "w0_x");
  EXPECT_EQ(WaveName(graph.doc->Waves[255]), "w254");
  EXPECT_EQ(Points(*graph.doc, graph.doc->Traces[254].YWave, 2), (std::vector<double>{254, 254}));
  EXPECT_EQ(SavedFileSummary(graph.report),
            "read as saved waves: 255 traces; left out: over capacity (45)");
}

// n rows of `columns` numbers each, "1 1 ...".
std::string Rows(int n, int columns) {
  std::string rows;
  for (int i = 0; i < n * columns; ++i) rows += (i + 1) % columns ? "1 " : "1 \n";
  return rows;
}

// Like the plain reading, the second one keeps the first rows that fit the
// value table with their x values, in file order, and says how many.
TEST(LoadGraphText, KeepsTheRowsThatFitWithTheirXValues) {
  struct Case {
    std::string text;
    std::vector<std::string> traces;
    std::vector<int32_t> counts;  // per wave
    std::string summary;
  };
  // clang-format off
  const Case cases[] = {
      {"IGOR\nWAVES/D a\nBEGIN\n" + Rows(600000, 1) + "END\n", {"a vs a_x"}, {524288, 524288}, "read as saved waves: 1 trace; kept 524,288 of 600,000 points"},
      {"IGOR\nWAVES/D a\nBEGIN\n" + Rows(524289, 1) + "END\n", {"a vs a_x"}, {524288, 524288}, "read as saved waves: 1 trace; kept 524,288 of 524,289 points"},
      // Exactly the table's 1,048,576 values: 61,680 rows and their x
      // values take 1,048,560 of them.
      {"IGOR\nWAVES/D/N=(65536,16) img\nBEGIN\n" + Rows(65536, 16) + "END\n", {}, {}, "read as saved waves: 16 traces; kept 61,680 of 65,536 points"},
      // Rows past the table's end while reading count as rows of the file.
      {"IGOR\nWAVES/N=(65538,16) big\nBEGIN\n" + Rows(65538, 16) + "END\n", {}, {}, "read as saved waves: 16 traces; kept 61,680 of 65,538 points"},
      // a and its x values fit whole; b, with x values of its own, keeps
      // rows and x values in what is left: (1,048,576 - 2 * 520,000) / 2.
      {"IGOR\nWAVES/D a\nBEGIN\n" + Rows(520000, 1) + "END\nWAVES/D b\nBEGIN\n" + Rows(10000, 1) + "END\nX SetScale/P x 5,1,\"\", b\n", {"a vs a_x", "b vs b_x"}, {520000, 520000, 4288, 4288}, "read as saved waves: 2 traces; kept 4,288 of 10,000 points"},
  };
  // clang-format on
  for (const Case& c : cases) {
    Graph graph = LoadGraph(c.text);
    EXPECT_EQ(TablesError(*graph.doc), "");
    EXPECT_EQ(SavedFileSummary(graph.report), c.summary);
    EXPECT_LE(graph.doc->ValueCount, kMaxValues);
    if (!c.traces.empty()) {
      EXPECT_EQ(TraceNames(*graph.doc), c.traces) << c.summary;
    }
    for (size_t w = 0; w < c.counts.size(); ++w) {
      EXPECT_EQ(graph.doc->Waves[w].count, c.counts[w]) << c.summary << " wave " << w;
    }
  }
}

TEST(SavedFileMessage, NamesTheFileAndWhatWasLeftOut) {
  SavedFileReport drawn;
  drawn.fallback = true;
  drawn.traces = 3;
  drawn.left_out[static_cast<int>(LeftOut::ThreeD)] = 1;
  drawn.left_out[static_cast<int>(LeftOut::Text)] = 2;
  drawn.left_out[static_cast<int>(LeftOut::OverCapacity)] = 4;
  EXPECT_EQ(SavedFileMessage(LoadRecord{"scan.itx", {}, drawn}),
            "scan.itx: read as saved waves: 3 traces; left out: 3-D wave (1), text "
            "wave (2), over capacity (4)");
  EXPECT_EQ(SavedFileNotice(drawn), "");

  SavedFileReport empty;
  empty.shows_nothing = true;
  EXPECT_EQ(SavedFileMessage(LoadRecord{"a.pat", {}, empty}), "a.pat: no wave to plot");
  EXPECT_EQ(SavedFileNotice(empty), "no wave to plot");

  EXPECT_EQ(SavedFileMessage(LoadRecord{"plain.pat", {}, SavedFileReport{}}), "");
}

class LoadGraphFileTest : public ::testing::Test {
 protected:
  const std::string& Write(const std::string& text) {
    file_.Write(text);
    return path_;
  }
  TempFile file_{"", "saved.itx"};
  const std::string& path_ = file_.path();
};

TEST_F(LoadGraphFileTest, ReadsTheFileAgainOnlyWhereItDrawsNothing) {
  const std::string saved = TwoDimensionalFile("\r\n");
  Doc doc = NewDoc();
  SavedFileReport report;
  EXPECT_EQ(LoadGraphFile(*doc, Write(saved), report).status, LoadStatus::Loaded);
  EXPECT_TRUE(report.fallback);
  EXPECT_EQ(DumpDocumentJson(*doc), DumpDocumentJson(*LoadGraph(saved).doc));

  const std::string drawn = Lines({"IGOR", "WAVES/D/N=(2) tth, cnt", "BEGIN", "1 10", "2 20", "END",
                                   "X Display cnt vs tth", "X SetAxis left 0, 25"},
                                  "\n");
  doc = NewDoc();
  EXPECT_EQ(LoadGraphFile(*doc, Write(drawn), report).status, LoadStatus::Loaded);
  EXPECT_FALSE(report.fallback);
  EXPECT_EQ(DumpDocumentJson(*doc), PlainJson(drawn));
}

// Both readings read one open file, so a file removed or replaced between
// them cannot make the second reading fail or read another file.
TEST_F(LoadGraphFileTest, ReadsASavedFileThroughOneOpen) {
  Write(TwoDimensionalFile("\n"));
  const int watch = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
  ASSERT_GE(watch, 0);
  // Closes are watched too: two opens in a row would be told as one.
  ASSERT_GE(inotify_add_watch(watch, path_.c_str(), IN_OPEN | IN_CLOSE_NOWRITE), 0);
  Doc doc = NewDoc();
  SavedFileReport report;
  EXPECT_EQ(LoadGraphFile(*doc, path_, report).status, LoadStatus::Loaded);
  EXPECT_TRUE(report.fallback);
  alignas(inotify_event) char events[4096];
  int opens = 0;
  for (ssize_t got; (got = read(watch, events, sizeof events)) > 0;) {
    for (ssize_t at = 0; at < got;) {
      const auto* event = reinterpret_cast<const inotify_event*>(events + at);
      opens += (event->mask & IN_OPEN) != 0;
      at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
    }
  }
  close(watch);
  EXPECT_EQ(opens, 1);
}

TEST_F(LoadGraphFileTest, MissingFileChangesNothingAndSaysNothingMore) {
  Doc doc = NewDoc();
  SavedFileReport report;
  report.traces = 7;
  LoadResult result = LoadGraphFile(*doc, path_ + ".missing", report);
  EXPECT_EQ(result.status, LoadStatus::CannotOpen);
  EXPECT_EQ(doc->WaveCount, 0);
  EXPECT_EQ(SavedFileMessage(LoadRecord{path_, {}, report}), "");
  EXPECT_EQ(report.traces, 0);
}

}  // namespace
}  // namespace korvelin::document
