#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "TestWaves.h"
#include "document/IgorReader.h"
#include "document/TablesError.h"

namespace korvelin::document {
namespace {

using korvelin::testing::Doc;
using korvelin::testing::Lines;
using korvelin::testing::NewDoc;
using korvelin::testing::Points;
using korvelin::testing::TempFile;

Doc Load(const std::string& text) {
  Doc doc = NewDoc();
  EXPECT_TRUE(LoadPatternText(*doc, text).accepted());
  return doc;
}

// prefix + from, prefix + (from + 1), ... : count numbered items in a row.
std::string Numbered(std::string_view prefix, int from, int count, std::string_view suffix = "") {
  std::string text;
  for (int i = from; i < from + count; ++i)
    text.append(prefix).append(std::to_string(i)).append(suffix);
  return text;
}

std::string WorkedExampleText(std::string_view end = "\r\n") {
  return Lines({"IGOR", "WAVES/D tth, int1, int2", "BEGIN", "\t10.0\t100\t50", "\t10.5\t120\t60",
                "\t11.0\t90\t70", "END", "X Display int1, int2 vs tth",
                "X ModifyGraph mode(int1)=4, marker(int1)=10, rgb(int1)=(0,0,65535)",
                "X ModifyGraph offset(int2)={0,20}, lsize(int2)=2", "X SetAxis bottom 10, 11",
                "X SetAxis left 0, 150", "X Label left Intensity"},
               end);
}

// The traces as (x wave, y wave).
std::vector<std::pair<int32_t, int32_t>> Traces(const GraphDocument& doc) {
  std::vector<std::pair<int32_t, int32_t>> traces;
  for (int32_t t = 0; t < doc.TraceCount; ++t)
    traces.emplace_back(doc.Traces[t].XWave, doc.Traces[t].YWave);
  return traces;
}

// Where a wave's points lie: first, stride, count.
std::tuple<int32_t, int32_t, int32_t> Place(const TWave& w) { return {w.first, w.stride, w.count}; }

// A wave's style: mode, marker, rgb, lsize, mrkThick, msize, offsetx, offsety.
std::tuple<int32_t, int32_t, uint32_t, double, double, int32_t, double, double> Style(
    const TWave& w) {
  return {w.mode, w.marker, w.rgb, w.lsize, w.mrkThick, w.msize, w.offsetx, w.offsety};
}

TEST(LoadPatternText, ReadsTheWorkedExample) {
  Doc doc = Load(WorkedExampleText());
  ASSERT_EQ(doc->WaveCount, 3);
  ASSERT_EQ(doc->ValueCount, 9);
  std::vector<double> stored;
  for (int32_t i = 0; i < 9; ++i) stored.push_back(GetValue(doc->Values, i));
  EXPECT_EQ(stored, (std::vector<double>{10.0, 100, 50, 10.5, 120, 60, 11.0, 90, 70}));

  const char* names[] = {"tth", "int1", "int2"};
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(WaveName(doc->Waves[i]), names[i]);
    EXPECT_EQ(Place(doc->Waves[i]), std::tuple(i, 3, 3));
  }
  EXPECT_EQ(Points(*doc, 1), (std::vector<double>{100, 120, 90}));
  EXPECT_EQ(Points(*doc, 2), (std::vector<double>{50, 60, 70}));
  EXPECT_EQ(Style(doc->Waves[0]), std::tuple(0, 0, 0u, 1.0, 1.0, 0, 0.0, 0.0));
  EXPECT_EQ(Style(doc->Waves[1]), std::tuple(4, 10, 0x0000FFu, 1.0, 1.0, 0, 0.0, 0.0));
  EXPECT_EQ(Style(doc->Waves[2]), std::tuple(0, 0, 0u, 2.0, 1.0, 0, 0.0, 20.0));
  EXPECT_EQ(Traces(*doc), (std::vector<std::pair<int32_t, int32_t>>{{0, 1}, {0, 2}}));
  EXPECT_EQ(doc->AxisRange, RealRect(10, 150, 11, 0));
  for (const TRealRect& slot : doc->AxisHistory) EXPECT_EQ(slot, doc->AxisRange);
}

TEST(LoadPatternText, LineEndsOfEveryKindReadAlike) {
  Doc crlf = Load(WorkedExampleText("\r\n"));
  for (std::string_view end : {"\r", "\n"}) {
    Doc other = Load(WorkedExampleText(end));
    EXPECT_EQ(other->ValueCount, crlf->ValueCount) << "end " << int(end[0]);
    EXPECT_EQ(other->TraceCount, crlf->TraceCount);
    EXPECT_EQ(other->AxisRange, crlf->AxisRange);
    EXPECT_EQ(Points(*other, 2), Points(*crlf, 2));
  }
  // The last line needs no line end.
  std::string text = WorkedExampleText();
  text.resize(text.size() - 2);
  EXPECT_EQ(Load(text)->AxisRange, crlf->AxisRange);
}

TEST(LoadPatternText, CodeTwentySixEndsTheFile) {
  Doc doc = Load(
      "IGOR\r\nWAVES a\r\nBEGIN\r\n1\r\n2\x1A"
      "3\r\n4\r\nEND\r\n");
  EXPECT_EQ(doc->ValueCount, 2);
  // END was never read, so only the last wave counts its rows.
  EXPECT_EQ(doc->Waves[0].count, 2);
  EXPECT_TRUE(doc->InBlock);
  Doc ended = Load("IGOR\x1AWAVES a\r\n");
  EXPECT_EQ(ended->WaveCount, 0);
}

TEST(LoadPatternText, FirstLineDecides) {
  for (const char* accepted : {"IGOR", "igor\r\n", "IgOr\n", "IGOR\r"}) {
    EXPECT_TRUE(LoadPatternText(*NewDoc(), accepted).accepted()) << accepted;
  }
  for (const char* rejected : {"", "IGOR \r\n", " IGOR\r\n", "IGOR Text\r\n", "IGO", "IGORX",
                               "IGOR\t", "\xEF\xBB\xBFIGOR\r\n", "IG\0R"}) {
    Doc doc = Load(WorkedExampleText());
    LoadResult result = LoadPatternText(*doc, rejected);
    EXPECT_EQ(result.status, LoadStatus::NotPattern) << rejected;
    EXPECT_FALSE(result.reason.empty());
    // The rejected file changed nothing.
    EXPECT_EQ(std::tuple(doc->WaveCount, doc->ValueCount, doc->TraceCount), std::tuple(3, 9, 2));
  }
}

TEST(LoadPatternText, AnEmptyPatternFileEmptiesTheDocumentAndKeepsTheRange) {
  Doc doc = Load(WorkedExampleText());
  doc->AxisRange = RealRect(-1, 5, 3, -2);
  doc->AxisHistory[3] = RealRect(0, 0, 0, 0);
  ASSERT_TRUE(LoadPatternText(*doc, "IGOR\r\n").accepted());
  EXPECT_EQ(
      std::tuple(doc->WaveCount, doc->ValueCount, doc->TraceCount, doc->Values.allocated_pages),
      std::tuple(0, 0, 0, 0));
  EXPECT_EQ(doc->AxisRange, RealRect(-1, 5, 3, -2));
  for (const TRealRect& slot : doc->AxisHistory) EXPECT_EQ(slot, doc->AxisRange);
}

TEST(InterpretLine, InsideABlockEveryLineButWavesAndEndIsData) {
  Doc doc = Load(Lines({"IGOR", "WAVES a b", "BEGIN", "1 2", "BEGIN", "X Display a vs b", "",
                        "3 4 5 6", "7", "8 word", "END"}));
  EXPECT_EQ(Points(*doc, 0), (std::vector<double>{1, 0, 0, 0, 3, 7, 8}));
  EXPECT_EQ(Points(*doc, 1), (std::vector<double>{2, 0, 0, 0, 4, 0, 0}));
  EXPECT_EQ(doc->Waves[0].count, 7);
  EXPECT_EQ(doc->TraceCount, 0);
  EXPECT_FALSE(doc->InBlock);
}

TEST(InterpretLine, ASecondBlockWithoutWavesAppendsRows) {
  Doc doc = Load(Lines(
      {"IGOR", "WAVES a b", "BEGIN", "1 2", "END", "X Display b vs a", "BEGIN", "3 4", "END"}));
  EXPECT_EQ(Points(*doc, 0), (std::vector<double>{1, 3}));
  EXPECT_EQ(Points(*doc, 1), (std::vector<double>{2, 4}));
}

TEST(InterpretLine, SecondBlockFollowsTheFirstInTheValueStore) {
  Doc doc = Load(Lines({"IGOR", "WAVES x", "BEGIN", "1", "2", "END", "WAVES/O/D p q r", "BEGIN",
                        "10 20 30", "END"}));
  ASSERT_EQ(doc->WaveCount, 4);
  EXPECT_EQ(doc->Waves[1].first, 2);
  EXPECT_EQ(doc->Waves[3].first, 4);
  EXPECT_EQ(Place(doc->Waves[0]), std::tuple(0, 1, 2));
  EXPECT_EQ(Points(*doc, 2), (std::vector<double>{20}));
  EXPECT_EQ(doc->ValueCount, 5);
}

TEST(InterpretLine, WavesFlagsAndNames) {
  Doc doc = Load(Lines({"IGOR", "WAVES /D a b"}));
  ASSERT_EQ(doc->WaveCount, 3);
  EXPECT_EQ(WaveName(doc->Waves[0]), "/D");
  EXPECT_EQ(doc->Waves[2].stride, 3);
  // A WAVES line that names no wave declares none, and its rows are
  // dropped, even after a block that was declared.
  for (const char* nothing : {"WAVES/D", "WAVES"}) {
    Doc empty =
        Load(Lines({"IGOR", "WAVES a", "BEGIN", "1", "END", nothing, "BEGIN", "2", "3", "END"}));
    EXPECT_EQ(empty->WaveCount, 1) << nothing;
    EXPECT_EQ(empty->ValueCount, 1);
    EXPECT_EQ(Points(*empty, 0), (std::vector<double>{1}));
  }
}

TEST(InterpretLine, DataWithoutWavesAndEndWithoutWavesChangeNothing) {
  Doc doc = Load(Lines({"IGOR", "BEGIN", "1 2", "END", "END"}));
  EXPECT_EQ(doc->ValueCount, 0);
  EXPECT_FALSE(doc->InBlock);
}

TEST(InterpretLine, DisplayAndAppendToGraph) {
  Doc doc = Load(Lines({"IGOR", "WAVES x y1 y2", "BEGIN", "1 2 3", "END", "X Display y1, y2",
                        "X AppendToGraph vs x", "X appendtograph y2, nope VS x",
                        "X Display/W=(0,0,1,1) y1 vs x"}));
  EXPECT_EQ(Traces(*doc),
            (std::vector<std::pair<int32_t, int32_t>>{{-1, 1}, {-1, 2}, {0, 2}, {0, -1}}));
}

TEST(InterpretLine, ModifyGraphStepsOverItemsByTheirShape) {
  Doc doc = Load(Lines({"IGOR", "WAVES int1 b", "X ModifyGraph mode=4, marker(int1)=10",
                        "X ModifyGraph msize(b)=3, mrkThick(b)=0.5, offset(b)={-1.5,2e1}",
                        "X ModifyGraph rgb(b)=(65535,32768,255), lsize(nope)=7, junk, marker(b)=$A",
                        "X ModifyGraph mode(int1)=x"}));
  EXPECT_EQ(Style(doc->Waves[0]), std::tuple(0, 0, 0u, 1.0, 1.0, 0, 0.0, 0.0));
  EXPECT_EQ(Style(doc->Waves[1]), std::tuple(0, 10, 0xFF8000u, 1.0, 0.5, 3, -1.5, 20.0));
}

TEST(InterpretLine, SetAxis) {
  Doc doc = Load(Lines({"IGOR", "X SetAxis left 5", "X SetAxis/A left", "X SETAXIS Bottom -2 2"}));
  EXPECT_EQ(doc->AxisRange, RealRect(-2, 0, 2, 5));
  Doc other = Load(Lines({"IGOR", "X SetAxis right 3, 3", "X SetAxis bottom 9 1"}));
  // Stored without a check: an empty span and a reversed axis.
  EXPECT_EQ(other->AxisRange, RealRect(9, 3, 1, 3));
}

TEST(InterpretLine, LongNamesAreCutAndTheFullNameIsNotFound) {
  Doc doc = Load(Lines({"IGOR", "WAVES abcdefghijklmnopqrst exactly16chars__", "BEGIN", "1 2",
                        "END", "X Display abcdefghijklmnopqrst vs exactly16chars__",
                        "X Display exactly16chars__ vs abcdefghijklmnop"}));
  EXPECT_EQ(WaveName(doc->Waves[0]), "abcdefghijklmnop");
  EXPECT_EQ(WaveName(doc->Waves[1]), "exactly16chars__");
  EXPECT_EQ(Traces(*doc), (std::vector<std::pair<int32_t, int32_t>>{{1, -1}, {0, 1}}));
}

TEST(InterpretLine, CaseTwinsResolveToTheLaterWave) {
  Doc doc = Load(Lines({"IGOR", "WAVES int INT", "BEGIN", "1 2", "END", "X Display int vs Int",
                        "X ModifyGraph rgb(int)=(65535,0,0)"}));
  EXPECT_EQ(Traces(*doc), (std::vector<std::pair<int32_t, int32_t>>{{1, 1}}));
  EXPECT_EQ(doc->Waves[1].rgb, 0xFF0000u);
  EXPECT_EQ(doc->Waves[0].rgb, 0u);
}

TEST(Capacities, ExcessWavesAreIgnoredAndTheirBlocksStayConsistent) {
  std::string names = Numbered(" w", 0, 300);
  std::string row = Numbered(" ", 0, 300);
  Doc doc = Load(Lines({"IGOR", "WAVES" + names, "BEGIN", row, row, "END", "WAVES late", "BEGIN",
                        "1", "END", "X Display w255 vs w0"}));
  EXPECT_EQ(doc->WaveCount, kMaxWaves);
  // The block is read in full, so the declared columns keep their places.
  EXPECT_EQ(doc->Waves[255].stride, 300);
  EXPECT_EQ(Points(*doc, 255), (std::vector<double>{255, 255}));
  EXPECT_EQ(Points(*doc, 0), (std::vector<double>{0, 0}));
  EXPECT_EQ(doc->ValueCount, 600);
  EXPECT_EQ(doc->Traces[0].YWave, 255);
  EXPECT_EQ(TablesError(*doc), "");
}

TEST(Capacities, ABlockDeclaredPastTheTableEndDoesNotTouchEarlierBlocks) {
  std::string names = Numbered(" a", 0, 250);
  std::string wide = Numbered(" b", 0, 20);
  std::string row = Numbered(" ", 100, 20);
  Doc doc = Load(Lines({"IGOR", "WAVES" + names, "BEGIN", "1", "END", "WAVES" + wide, "BEGIN", row,
                        row, row, "END"}));
  ASSERT_EQ(doc->WaveCount, 256);
  EXPECT_EQ(Place(doc->Waves[249]), std::tuple(249, 250, 1));
  EXPECT_EQ(Place(doc->Waves[250]), std::tuple(250, 20, 3));
  EXPECT_EQ(Points(*doc, 255), (std::vector<double>{105, 105, 105}));
  EXPECT_EQ(TablesError(*doc), "");
}

TEST(Capacities, TwentyColumnsAreReadInFull) {
  std::string names = Numbered(" c", 0, 20);
  std::string row = Numbered("\t", 0, 20, ".5");
  Doc doc = Load(Lines({"IGOR", "WAVES/D" + names, "BEGIN", row, row, "END"}));
  ASSERT_EQ(doc->WaveCount, 20);
  for (int i = 0; i < 20; ++i) EXPECT_EQ(Points(*doc, i), (std::vector<double>{i + 0.5, i + 0.5}));
}

TEST(Capacities, ExcessTracesAreIgnored) {
  std::string ys;
  for (int i = 0; i < 300; ++i) ys += " y,";
  Doc doc =
      Load(Lines({"IGOR", "WAVES x y", "X Display" + ys + " vs x", "X AppendToGraph y vs x"}));
  EXPECT_EQ(doc->TraceCount, kMaxTraces);
  EXPECT_EQ(Traces(*doc)[255], std::pair(0, 1));
}

TEST(Capacities, RowsPastTheValueStoreAreDroppedWhole) {
  std::string text = "IGOR\rWAVES a b c\rBEGIN\r";
  const int rows = kMaxValues / 3 + 10;
  for (int i = 0; i < rows; ++i) text += "1 2 3\r";
  text += "END\r";
  Doc doc = Load(text);
  EXPECT_EQ(doc->Waves[0].count, kMaxValues / 3);
  EXPECT_EQ(doc->Waves[2].count, kMaxValues / 3);
  EXPECT_EQ(doc->ValueCount, kMaxValues / 3 * 3);
  EXPECT_EQ(doc->Values.allocated_pages, kPageCount);
  EXPECT_EQ(TablesError(*doc), "");
}

TEST(BadInput, GarbageNulsAndHugeLinesLoadSafely) {
  std::mt19937 random(7);
  for (int round = 0; round < 200; ++round) {
    std::string text = "IGOR\r\n";
    // clang-format off
    const char* pieces[] = {"WAVES a b\r", "BEGIN\n", "END\r\n", "X Display b vs a\r",
                            "X ModifyGraph rgb(a)=(1,2,3)\n", "1 2\r", "\0\0\0", "\x1a", "\xff\xfe"};
    // clang-format on
    for (int i = 0; i < 40; ++i) {
      if (random() % 3 == 0) {
        text.push_back(static_cast<char>(random() % 256));
      } else {
        std::string_view piece = pieces[random() % 9];
        text.append(piece.empty() ? std::string_view("\0", 1) : piece);
      }
    }
    Doc doc = NewDoc();
    ASSERT_TRUE(LoadPatternText(*doc, text).accepted());
    EXPECT_EQ(TablesError(*doc), "");
  }
  std::string huge = "IGOR\r\nWAVES a\r\nBEGIN\r\n";
  huge.append(5 << 20, '7');
  huge += "\r\n" + std::string(1 << 20, '\0') + "\r\nEND\r\n";
  Doc doc = Load(huge);
  ASSERT_EQ(doc->Waves[0].count, 2);
  EXPECT_EQ(GetValue(doc->Values, 0), 0.0);  // 5 million sevens overflow: 0
  EXPECT_EQ(GetValue(doc->Values, 1), 0.0);
}

TEST(BadInput, AModifyGraphLineOfManyItemsIsRead) {
  std::string line = "X ModifyGraph";
  for (int i = 0; i < 100000; ++i) line += " lsize(a)=" + std::to_string(i) + ",";
  Doc doc = Load(Lines({"IGOR", "WAVES a", line}));
  EXPECT_EQ(doc->Waves[0].lsize, 99999.0);
}

TEST(ToFloatDef, AcceptsTheNumberSyntaxOnly) {
  struct Case {
    const char* text;
    double expected;
  };
  const Case cases[] = {
      {"12.5", 12.5}, {" -12.5 ", -12.5}, {"+3", 3},     {"1e3", 1000}, {"1E-2", 0.01},
      {"2.5e+1", 25}, {".5", 0.5},        {"5.", 5},     {".", 0},      {"-.e5", 0},
      {"1e400", -7},  {"-1e400", -7},     {"1e-400", 0}, {"NaN", -7},   {"INF", -7},
      {"inf", -7},    {"nan", -7},        {"0x10", -7},  {"1e", -7},    {"1.2.3", -7},
      {"--1", -7},    {"+-1", -7},        {"", -7},      {"-", -7},     {"1,5", -7},
      {"12 3", -7},   {"\t1", -7},        {"e5", -7},    {"1 ", 1},
  };
  for (const Case& c : cases) EXPECT_EQ(ToFloatDef(c.text, -7), c.expected) << c.text;
  EXPECT_EQ(ToFloatDef("1,5", -7, ','), 1.5);
  EXPECT_EQ(ToFloatDef("1.5", -7, ','), -7);
  EXPECT_EQ(ToFloatDef("-2,5e1", -7, ','), -25);
  EXPECT_TRUE(std::signbit(ToFloatDef("-0", 1)));
}

// Loads the tokens as rows of two numbers and expects each stored value,
// the sign of a zero included, to be the one ToFloatDef reads from its token.
void ExpectRowsStoreWhatToFloatDefReads(std::vector<std::string> tokens) {
  if (tokens.size() % 2 != 0) tokens.push_back("1");
  std::string text = "IGOR\nWAVES a b\nBEGIN\n";
  for (size_t i = 0; i < tokens.size(); i += 2) text += tokens[i] + "\t" + tokens[i + 1] + "\n";
  Doc doc = Load(text + "END\n");
  ASSERT_EQ(doc->ValueCount, static_cast<int32_t>(tokens.size()));
  for (size_t i = 0; i < tokens.size(); ++i) {
    const double expected = ToFloatDef(tokens[i], 0);
    const double stored = GetValue(doc->Values, static_cast<int32_t>(i));
    EXPECT_TRUE(stored == expected && std::signbit(stored) == std::signbit(expected))
        << "token '" << tokens[i] << "' stored " << stored << ", expected " << expected;
  }
}

// Rows of numbers take a shorter road than other lines; whatever a token
// holds, the stored value must be the one ToFloatDef gives for it.
TEST(ToFloatDef, RowsOfNumbersStoreWhatToFloatDefReads) {
  std::mt19937 random(11);
  const std::string_view alphabet = "0123456789.eE+-xinfa$ ";
  std::vector<std::string> tokens;
  for (int row = 0; row < 5000; ++row) {
    for (int column = 0; column < 2; ++column) {
      std::string token;
      const int length = 1 + static_cast<int>(random() % 8);
      for (int i = 0; i < length; ++i) token += alphabet[random() % (alphabet.size() - 1)];
      // Starting the row with a digit or sign keeps it on the short road.
      if (column == 0) token.insert(token.begin(), "+-1."[random() % 4]);
      tokens.push_back(token);
    }
  }
  ExpectRowsStoreWhatToFloatDefReads(tokens);
}

// Plain decimals (digits, one point, no exponent) of every length around
// the bounds where an exact conversion stops being possible: 19 digits,
// integer parts beyond 2^53, 22 digits after the point.
TEST(ToFloatDef, PlainDecimalsOfEveryLengthStoreWhatToFloatDefReads) {
  std::mt19937 random(53);
  // clang-format off
  std::vector<std::string> tokens = {"9007199254740992", "9007199254740993", "-9007199254740993.0",
                                     "1234567890123456789", "0.0000000000000000000001",
                                     "0.000000000000000000001", "12345678901234567.89", "-0.0", "5.", "-.25"};
  // clang-format on
  while (tokens.size() < 20000) {
    std::string token = random() % 2 == 0 ? "-" : "";
    const int digits = 1 + static_cast<int>(random() % 25);
    const int point = static_cast<int>(random() % (digits + 2));  // digits + 1: no point
    for (int i = 0; i < digits; ++i) {
      if (i == point) token += '.';
      // Runs of nines and zeros sit next to the roundings that go wrong.
      const unsigned kind = random() % 4;
      token += kind == 0 ? '9' : kind == 1 ? '0' : static_cast<char>('0' + random() % 10);
    }
    if (point == digits) token += '.';
    tokens.push_back(token);
  }
  ExpectRowsStoreWhatToFloatDefReads(tokens);
}

// The tokens where fast conversions and ToFloatDef part ways: overflow,
// underflow to a subnormal or to zero, the largest and smallest doubles;
// each in both columns of its row.
TEST(ToFloatDef, RowsStoreWhatToFloatDefReadsAtTheEdgesOfTheDoubles) {
  std::vector<std::string> tokens;
  for (const char* token :
       {"1e400", "-1e400", "1e-310", "-1e-310", "4.9e-324", "1e-400", "2.2250738585072011e-308",
        "2.2250738585072014e-308", "1.7976931348623157e308", "1.7976931348623159e308", "0e999",
        "-0", "00000.000", "1.", ".5", "-.5e-3", "+1e308", "123456789012345678901234567890"}) {
    tokens.insert(tokens.end(), 2, token);
  }
  ExpectRowsStoreWhatToFloatDefReads(tokens);
}

TEST(ToIntDef, AcceptsDecimalAndDollarHex) {
  struct Case {
    const char* text;
    int32_t expected;
  };
  // clang-format off
  const Case cases[] = {
      {"10", 10}, {"  -10", -10}, {"+7", 7}, {"$10", 16}, {"$ff", 255}, {"$FFFFFFFF", -1},
      {"$80000000", INT32_MIN}, {"2147483647", INT32_MAX}, {"-2147483648", INT32_MIN},
      {"2147483648", -9}, {"$100000000", -9}, {"0x10", -9}, {"10 ", -9}, {"1.0", -9}, {"", -9},
      {"$", -9}, {"-$10", -9}, {"--1", -9}, {"+-1", -9}, {"1e3", -9}, {"$ 1", -9},
      // Past 32 bits, past 64 bits, and signs or digits followed by letters.
      {"-2147483649", -9}, {"99999999999999999999", -9}, {"-99999999999999999999", -9},
      {"12abc", -9}, {"-x", -9}, {" -", -9},
  };
  // clang-format on
  for (const Case& c : cases) EXPECT_EQ(ToIntDef(c.text, -9), c.expected) << c.text;
}

TEST(GetToken, NumbersTokensFromOneAndSplitsAtDelimiters) {
  std::string_view line = "  rgb(int1)=(0,0,65535)\t{x}\x01y\xE9";
  const std::pair<int, std::string_view> tokens[] = {
      {1, "rgb"}, {2, "int1"}, {5, "65535"}, {6, "x"}, {7, "y\xE9"}, {8, ""}, {0, ""}, {-3, ""}};
  for (const auto& [n, token] : tokens) EXPECT_EQ(GetToken(line, n), token) << n;
  EXPECT_EQ(GetToken("", 1), "");
}

TEST(ParseNumbers, FillsExactlyNWithZerosForMissingTokens) {
  double values[6] = {9, 9, 9, 9, 9, 9};
  ParseNumbers("X SetAxis bottom 10, 11", values, 5);
  EXPECT_EQ(std::vector<double>(values, values + 6), (std::vector<double>{0, 0, 0, 10, 11, 9}));
  ParseNumbers("1.5", values, 3);
  EXPECT_EQ(std::vector<double>(values, values + 3), (std::vector<double>{1.5, 0, 0}));
}

TEST(LoadPatternFile, ReadsFromDiskAcrossBufferBoundaries) {
  // Lines long enough to straddle the reader's chunks, with CR LF split
  // between two chunks somewhere along the way.
  std::string text = "IGOR\r\nWAVES a b\r\nBEGIN\r\n";
  for (int i = 0; i < 60000; ++i) text += std::to_string(i) + "\t" + std::to_string(i * 2) + "\r\n";
  text += "END\r\nX Display b vs a\r\n";
  TempFile file(text);
  Doc doc = NewDoc();
  ASSERT_TRUE(LoadPatternFile(*doc, file.path()).accepted());
  ASSERT_EQ(doc->Waves[0].count, 60000);
  for (int i : {0, 1, 4097, 59999}) {
    EXPECT_EQ(GetValue(doc->Values, 2 * i), i);
    EXPECT_EQ(GetValue(doc->Values, 2 * i + 1), 2 * i);
  }
  EXPECT_EQ(doc->TraceCount, 1);
  Doc from_memory = Load(text);
  EXPECT_EQ(from_memory->ValueCount, doc->ValueCount);
}

TEST(LoadPatternFile, NamesWhyAFileWasRejected) {
  Doc doc = Load(WorkedExampleText());
  LoadResult missing = LoadPatternFile(*doc, "/nonexistent/korvelin.pat");
  EXPECT_EQ(missing.status, LoadStatus::CannotOpen);
  EXPECT_NE(missing.reason.find("No such file"), std::string::npos);
  LoadResult directory = LoadPatternFile(*doc, std::filesystem::temp_directory_path().string());
  EXPECT_EQ(directory.status, LoadStatus::CannotOpen);
  for (const char* text : {"Just some notes\r\nIGOR\r\n", ""}) {
    EXPECT_EQ(LoadPatternFile(*doc, TempFile(text).path()).status, LoadStatus::NotPattern) << text;
  }
  EXPECT_EQ(std::tuple(doc->WaveCount, doc->ValueCount), std::tuple(3, 9));
}

TEST(LoadPatternFile, APipeIsRefusedWithoutWaiting) {
  std::string path =
      (std::filesystem::temp_directory_path() / ("korvelin-fifo-" + std::to_string(getpid())))
          .string();
  ASSERT_EQ(mkfifo(path.c_str(), 0600), 0);
  Doc doc = NewDoc();
  LoadResult result = LoadPatternFile(*doc, path);
  std::filesystem::remove(path);
  EXPECT_EQ(result.status, LoadStatus::CannotOpen);
}

#if !defined(__SANITIZE_ADDRESS__)
// Memory that runs out part-way, or a line past the reader's bound, stops
// the load with a named failure and keeps what was read; it does not end
// the program. The address-space limit is set in a child process, and is
// too tight for the sanitizers' shadow.

// Runs in the child: loads path with the address space limited to what the
// child uses now plus `extra` bytes; exits 0 when `holds` accepts the end.
template <class Holds>
void LoadUnderLimit(const std::string& path, size_t extra, Holds holds) {
  Doc doc = NewDoc();
  doc->AxisHistory[0] = RealRect(1, 1, 1, 1);
  size_t pages = 0;
  std::ifstream("/proc/self/statm") >> pages;
  rlimit limit{};
  limit.rlim_cur = limit.rlim_max = pages * static_cast<size_t>(getpagesize()) + extra;
  setrlimit(RLIMIT_AS, &limit);
  const LoadResult result = LoadPatternFile(*doc, path);
  std::_Exit(holds(*doc, result) ? 0 : 1);
}

TEST(LoadPatternFile, RunningOutOfMemoryStopsTheLoadWithFailed) {
  TempFile file("IGOR\r\nWAVES a\r\nBEGIN\r\n1\r\n2\r\n");
  // Then 1 GiB of NULs in one line, which cannot be held under the limit:
  // room for the value store's first pages but not for a line as long as
  // the reader would hold before it refuses the line.
  ASSERT_EQ(truncate(file.path().c_str(), off_t{1} << 30), 0);
  const auto failed_and_kept = [](const GraphDocument& doc, const LoadResult& result) {
    return result.status == LoadStatus::Failed && result.reason == "Out of memory" &&
           doc.Waves[0].count == 2 && doc.AxisHistory[0] == RealRect(1, 1, 1, 1);
  };
  EXPECT_EXIT(LoadUnderLimit(file.path(), size_t{64} << 20, failed_and_kept),
              ::testing::ExitedWithCode(0), "");
}

TEST(LoadPatternFile, ALineWithoutEndStopsTheReadingAtItsBound) {
  TempFile file("IGOR\r\nWAVES a\r\nBEGIN\r\n1\r\n2\r\n");
  // Then 2 GiB of NULs without a line end, inside the data block: the
  // reading ends with the line's number named, the rows before it kept,
  // within 300 MB of memory.
  ASSERT_EQ(truncate(file.path().c_str(), off_t{2} << 30), 0);
  const auto named_and_kept = [](const GraphDocument& doc, const LoadResult& result) {
    return result.status == LoadStatus::Incomplete &&
           result.reason.find("line 6 is longer than 64 MiB") == 0 && doc.Waves[0].count == 2 &&
           doc.AxisHistory[15] == doc.AxisRange;
  };
  EXPECT_EXIT(LoadUnderLimit(file.path(), size_t{300} << 20, named_and_kept),
              ::testing::ExitedWithCode(0), "");
}
#endif

}  // namespace
}  // namespace korvelin::document
