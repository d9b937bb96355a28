// Checks the JSON view of the document: exact text for small documents, and a
// strict parser for the rest, so that any stored bytes or numbers are shown
// to give valid JSON that reads back to the same values.

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "document/DocumentJson.h"

namespace korvelin::document {
namespace {

using Json = nlohmann::json;

// The library's parser is strict (RFC 8259): it rejects raw control
// characters in strings, bad escapes, malformed numbers, invalid UTF-8 and
// trailing garbage, so a dump it reads is valid JSON.
Json ParseOrFail(const std::string& text) {
  Json root = Json::parse(text, nullptr, /*allow_exceptions=*/false);
  EXPECT_FALSE(root.is_discarded()) << text.substr(0, 2000);
  return root;
}

// Documents are large (30 KB plus pages), so tests keep them on the heap.
std::unique_ptr<GraphDocument> NewDocument() { return std::make_unique<GraphDocument>(); }

void AddWave(GraphDocument& doc, std::string_view name, int32_t first, int32_t stride,
             int32_t count) {
  TWave& wave = doc.Waves[doc.WaveCount++];
  wave = TWave{};
  SetWaveName(wave, name);
  wave.first = first;
  wave.stride = stride;
  wave.count = count;
}

void StoreValues(GraphDocument& doc, std::initializer_list<double> values) {
  for (double value : values) SetValue(doc.Values, doc.ValueCount++, value);
}

std::string History(const std::string& rect) {
  std::string text = "[";
  for (int i = 0; i < kHistorySlots; ++i) text += (i ? ", " : "") + rect;
  return text + "]";
}

TEST(DumpDocumentJson, WritesSmallDocumentExactly) {
  auto doc = NewDocument();
  StoreValues(*doc, {10.0, 100, 50, 10.5, 120, 60, 11.0, 90, 70});
  AddWave(*doc, "tth", 0, 3, 3);
  AddWave(*doc, "int1", 1, 3, 3);
  AddWave(*doc, "int2", 2, 3, 3);
  doc->Waves[1].mode = 4;
  doc->Waves[1].marker = 10;
  doc->Waves[1].rgb = 0x0000FF;
  doc->Waves[2].offsety = 20;
  doc->Waves[2].lsize = 2.5;
  doc->Traces[0] = {0, 1};
  doc->Traces[1] = {0, -1};
  doc->TraceCount = 2;
  doc->AxisRange = RealRect(10, 150, 11, 0);
  doc->AxisHistory = FilledHistory(doc->AxisRange);

  const std::string range = R"({"left": 10, "top": 150, "right": 11, "bottom": 0})";
  const std::string expected =
      R"({"value_count": 9, "waves": [)"
      R"({"name": "tth", "first": 0, "stride": 3, "count": 3, "lsize": 1, "marker": 0, )"
      R"("mode": 0, "mrkThick": 1, "msize": 0, "offsetx": 0, "offsety": 0, "rgb": 0, )"
      R"("values": [10, 10.5, 11]}, )"
      R"({"name": "int1", "first": 1, "stride": 3, "count": 3, "lsize": 1, "marker": 10, )"
      R"("mode": 4, "mrkThick": 1, "msize": 0, "offsetx": 0, "offsety": 0, "rgb": 255, )"
      R"("values": [100, 120, 90]}, )"
      R"({"name": "int2", "first": 2, "stride": 3, "count": 3, "lsize": 2.5, "marker": 0, )"
      R"("mode": 0, "mrkThick": 1, "msize": 0, "offsetx": 0, "offsety": 20, "rgb": 0, )"
      R"("values": [50, 60, 70]}], )"
      R"("traces": [{"x": 0, "y": 1}, {"x": 0, "y": -1}], )"
      R"("axis_range": )" +
      range + R"(, "axis_history": )" + History(range) + "}\n";
  EXPECT_EQ(DumpDocumentJson(*doc), expected);
}

TEST(DumpDocumentJson, WritesEmptyDocumentWithDefaultRangeAndOptionalLayout) {
  auto doc = NewDocument();
  const std::string range = R"({"left": 0, "top": 10, "right": 10, "bottom": 0})";
  const std::string body = R"({"value_count": 0, "waves": [], "traces": [], "axis_range": )" +
                           range + R"(, "axis_history": )" + History(range);
  EXPECT_EQ(DumpDocumentJson(*doc), body + "}\n");

  LayoutJson layout{{640, 480}, {42, 13}, {50, 8, 632, 455}};
  EXPECT_EQ(DumpDocumentJson(*doc, layout),
            body + R"(, "layout": {"client": [640, 480], "label": [42, 13], )"
                   R"("plot_rect": [50, 8, 632, 455]}})"
                   "\n");
  Json root = ParseOrFail(DumpDocumentJson(*doc, layout));
  EXPECT_EQ(root["layout"]["plot_rect"][2], 632);
  EXPECT_FALSE(ParseOrFail(DumpDocumentJson(*doc)).contains("layout"));
}

TEST(DumpDocumentJson, ReadsPointsAtFirstPlusIndexTimesStride) {
  auto doc = NewDocument();
  StoreValues(*doc, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9});
  AddWave(*doc, "every3rd", 1, 3, 3);
  AddWave(*doc, "single", 9, 1, 1);
  AddWave(*doc, "none", 0, 1, 0);
  Json waves = ParseOrFail(DumpDocumentJson(*doc))["waves"];
  ASSERT_EQ(waves.size(), 3u);
  EXPECT_EQ(waves[0]["values"], Json::parse("[1, 4, 7]"));
  EXPECT_EQ(waves[1]["values"], Json::parse("[9]"));
  EXPECT_EQ(waves[2]["values"], Json::array());
}

// A hand-edited document may claim points that were never stored; the view
// shows them as null rather than reading pages that may not exist.
TEST(DumpDocumentJson, WritesNullForPointsOutsideStoredValuesAndClampsCounts) {
  auto doc = NewDocument();
  StoreValues(*doc, {1, 2});
  AddWave(*doc, "past_end", 1, 1, 3);
  AddWave(*doc, "negative", -1, 1, 2);
  AddWave(*doc, "huge_stride", 0, 1 << 30, 4);
  AddWave(*doc, "neg_count", 0, 1, -5);
  doc->TraceCount = 1000;
  std::string text = DumpDocumentJson(*doc);
  Json root = ParseOrFail(text);
  EXPECT_NE(text.find(R"("values": [2, null, null])"), std::string::npos);
  EXPECT_NE(text.find(R"("values": [null, 1])"), std::string::npos);
  EXPECT_NE(text.find(R"("values": [1, null, null, null])"), std::string::npos);
  EXPECT_EQ(root["waves"][3]["values"], Json::array());
  EXPECT_EQ(root["traces"].size(), size_t{kMaxTraces});

  doc->WaveCount = -3;
  EXPECT_EQ(ParseOrFail(DumpDocumentJson(*doc))["waves"], Json::array());
}

struct NumberCase {
  double value;
  const char* text;
};

class DumpDocumentJsonNumber : public testing::TestWithParam<NumberCase> {};

// Shortest round-trip form, and null for what JSON cannot spell. The text is
// found in the dump, where each field shows the value as written; the parse
// shows the whole dump valid.
TEST_P(DumpDocumentJsonNumber, WritesShortestFormOrNull) {
  auto doc = NewDocument();
  StoreValues(*doc, {GetParam().value});
  AddWave(*doc, "v", 0, 1, 1);
  doc->Waves[0].offsetx = GetParam().value;
  doc->AxisRange.Left = GetParam().value;
  const std::string text = DumpDocumentJson(*doc);
  const std::string number = GetParam().text;
  ParseOrFail(text);
  EXPECT_NE(text.find("\"values\": [" + number + "]"), std::string::npos) << text;
  EXPECT_NE(text.find("\"offsetx\": " + number + ","), std::string::npos) << text;
  EXPECT_NE(text.find("\"axis_range\": {\"left\": " + number + ","), std::string::npos) << text;
}

INSTANTIATE_TEST_SUITE_P(
    Values, DumpDocumentJsonNumber,
    testing::Values(NumberCase{0.0, "0"}, NumberCase{-0.0, "-0"}, NumberCase{12.345, "12.345"},
                    NumberCase{10234.56, "10234.56"}, NumberCase{0.1, "0.1"},
                    NumberCase{1.0 / 3.0, "0.3333333333333333"}, NumberCase{1e300, "1e+300"},
                    NumberCase{-2.5e-7, "-2.5e-07"}, NumberCase{5e-324, "5e-324"},
                    NumberCase{1.7976931348623157e308, "1.7976931348623157e+308"},
                    NumberCase{std::numeric_limits<double>::quiet_NaN(), "null"},
                    NumberCase{std::numeric_limits<double>::infinity(), "null"},
                    NumberCase{-std::numeric_limits<double>::infinity(), "null"}));

TEST(DumpDocumentJson, WritesRgbAndIntegersAsTheyAreStored) {
  auto doc = NewDocument();
  AddWave(*doc, "w", 0, -2147483647 - 1, 0);
  doc->Waves[0].rgb = 0xFF123456;  // the dialog may leave bits above 23 set
  doc->Waves[0].msize = -7;
  doc->Waves[0].marker = 2147483647;
  Json wave = ParseOrFail(DumpDocumentJson(*doc))["waves"][0];
  EXPECT_EQ(wave["rgb"], 4279383126u);
  EXPECT_EQ(wave["stride"], -2147483648);
  EXPECT_EQ(wave["msize"], -7);
  EXPECT_EQ(wave["marker"], 2147483647);
}

struct NameCase {
  std::string bytes;    // stored name bytes (cut to 16 by SetWaveName)
  std::string json;     // expected JSON literal
  std::string decoded;  // expected UTF-8 text after parsing
};

class DumpDocumentJsonName : public testing::TestWithParam<NameCase> {};

TEST_P(DumpDocumentJsonName, WritesStoredBytesAsLatin1EscapedString) {
  auto doc = NewDocument();
  AddWave(*doc, GetParam().bytes, 0, 1, 0);
  std::string text = DumpDocumentJson(*doc);
  EXPECT_NE(text.find("{\"name\": " + GetParam().json + ", \"first\": 0,"), std::string::npos)
      << text.substr(0, 120);
  EXPECT_EQ(ParseOrFail(text)["waves"][0]["name"], GetParam().decoded);
}

INSTANTIATE_TEST_SUITE_P(
    Names, DumpDocumentJsonName,
    testing::Values(
        NameCase{"int", R"("int")", "int"}, NameCase{"a\"b\\c", R"("a\"b\\c")", "a\"b\\c"},
        NameCase{"\x01tab\t\x1f", R"("\u0001tab\u0009\u001f")", "\x01tab\t\x1f"},
        NameCase{"del\x7f/", "\"del\x7f/\"", "del\x7f/"},
        // Latin-1 bytes become their code points: E9 is U+00E9, FF is U+00FF.
        NameCase{"caf\xe9", "\"caf\xc3\xa9\"", "caf\xc3\xa9"},
        NameCase{"\x80\xa0\xff", "\"\xc2\x80\xc2\xa0\xc3\xbf\"", "\xc2\x80\xc2\xa0\xc3\xbf"},
        // Sixteen bytes fill the field with no terminator; the name ends there.
        NameCase{"abcdefghijklmnop", R"("abcdefghijklmnop")", "abcdefghijklmnop"},
        NameCase{"abcdefghijklmnopqrst", R"("abcdefghijklmnop")", "abcdefghijklmnop"},
        NameCase{"\"\"\"\"\"\"\"\"\\\\\\\\\\\\\\\\", R"("\"\"\"\"\"\"\"\"\\\\\\\\\\\\\\\\")",
                 "\"\"\"\"\"\"\"\"\\\\\\\\\\\\\\\\"}));

// The largest document the reader can build: every value must come back
// bit for bit, whatever its exponent.
TEST(DumpDocumentJson, MaximumDocumentReadsBackBitForBit) {
  auto doc = NewDocument();
  uint64_t state = 0x9E3779B97F4A7C15u;
  std::vector<double> stored;
  stored.reserve(kMaxValues);
  while (doc->ValueCount < kMaxValues) {
    state = state * 6364136223846793005u + 1442695040888963407u;
    double value = std::bit_cast<double>(state);
    if (!std::isfinite(value)) continue;
    stored.push_back(value);
    SetValue(doc->Values, doc->ValueCount++, value);
  }
  AddWave(*doc, "x", 0, 2, kMaxValues / 2);
  AddWave(*doc, "y", 1, 2, kMaxValues / 2);
  Json root = ParseOrFail(DumpDocumentJson(*doc));
  EXPECT_EQ(root["value_count"], 1048576);
  for (int w = 0; w < 2; ++w) {
    const Json& values = root["waves"][w]["values"];
    ASSERT_EQ(values.size(), size_t{kMaxValues / 2});
    for (size_t i = 0; i < values.size(); ++i) {
      double expected = stored[2 * i + w];
      ASSERT_EQ(std::bit_cast<uint64_t>(values[i].get<double>()), std::bit_cast<uint64_t>(expected))
          << "wave " << w << " point " << i << " text " << values[i].dump();
    }
  }
}

}  // namespace
}  // namespace korvelin::document
