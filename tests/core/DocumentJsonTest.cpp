// Checks the JSON view of the document: exact text for small documents, and a
// strict little parser for the rest, so that any stored bytes or numbers are
// shown to give valid JSON that reads back to the same values.

#include <gtest/gtest.h>

#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "document/DocumentJson.h"

namespace korvelin::document {
namespace {

// A parsed JSON value. Numbers keep their text so tests see exactly what was
// written (null reads as the text "null"); strings are decoded to UTF-8.
struct Json {
  enum class Kind { Null, Bool, Number, String, Array, Object } kind = Kind::Null;
  std::string text;
  std::vector<Json> items;
  std::vector<std::pair<std::string, Json>> members;

  const Json& operator[](size_t i) const { return items.at(i); }
  const Json& operator[](const std::string& key) const {
    for (const auto& [name, value] : members) {
      if (name == key) return value;
    }
    throw std::out_of_range("no member " + key);
  }
  bool Has(const std::string& key) const {
    for (const auto& member : members) {
      if (member.first == key) return true;
    }
    return false;
  }
  double Number() const {
    double value = 0;
    std::from_chars(text.data(), text.data() + text.size(), value);
    return value;
  }
};

// Strict RFC 8259 parser: rejects raw control characters in strings, bad
// escapes, malformed numbers, invalid UTF-8 and trailing garbage.
class JsonParser {
 public:
  explicit JsonParser(std::string_view text) : text_(text) {}

  bool Parse(Json& out) {
    SkipSpace();
    if (!Value(out, 0)) return false;
    SkipSpace();
    return pos_ == text_.size();
  }

 private:
  bool Value(Json& out, int depth) {
    if (depth > 64 || pos_ >= text_.size()) return false;
    char c = text_[pos_];
    if (c == '{') return Object(out, depth);
    if (c == '[') return Array(out, depth);
    if (c == '"') {
      out.kind = Json::Kind::String;
      return String(out.text);
    }
    if (Literal("null")) {
      out.text = "null";
      return true;
    }
    if (Literal("true") || Literal("false")) {
      out.kind = Json::Kind::Bool;
      return true;
    }
    out.kind = Json::Kind::Number;
    return Number(out.text);
  }

  bool Object(Json& out, int depth) {
    out.kind = Json::Kind::Object;
    ++pos_;
    SkipSpace();
    if (Eat('}')) return true;
    do {
      SkipSpace();
      std::string key;
      if (!String(key)) return false;
      SkipSpace();
      if (!Eat(':')) return false;
      SkipSpace();
      out.members.emplace_back(key, Json{});
      if (!Value(out.members.back().second, depth + 1)) return false;
      SkipSpace();
    } while (Eat(','));
    return Eat('}');
  }

  bool Array(Json& out, int depth) {
    out.kind = Json::Kind::Array;
    ++pos_;
    SkipSpace();
    if (Eat(']')) return true;
    do {
      SkipSpace();
      out.items.emplace_back();
      if (!Value(out.items.back(), depth + 1)) return false;
      SkipSpace();
    } while (Eat(','));
    return Eat(']');
  }

  bool String(std::string& out) {
    if (!Eat('"')) return false;
    while (pos_ < text_.size()) {
      auto c = static_cast<unsigned char>(text_[pos_++]);
      if (c == '"') return true;
      if (c < 0x20) return false;
      if (c == '\\') {
        if (!Escape(out)) return false;
      } else if (c >= 0x80) {
        if (!Utf8Sequence(c, out)) return false;
      } else {
        out += static_cast<char>(c);
      }
    }
    return false;
  }

  bool Escape(std::string& out) {
    if (pos_ >= text_.size()) return false;
    char c = text_[pos_++];
    static const std::map<char, char> kSimple{{'"', '"'},  {'\\', '\\'}, {'/', '/'},  {'b', '\b'},
                                              {'f', '\f'}, {'n', '\n'},  {'r', '\r'}, {'t', '\t'}};
    if (auto it = kSimple.find(c); it != kSimple.end()) {
      out += it->second;
      return true;
    }
    if (c != 'u' || pos_ + 4 > text_.size()) return false;
    uint32_t code = 0;
    auto [end, ec] = std::from_chars(text_.data() + pos_, text_.data() + pos_ + 4, code, 16);
    if (ec != std::errc() || end != text_.data() + pos_ + 4) return false;
    pos_ += 4;
    AppendUtf8(code, out);
    return true;
  }

  bool Utf8Sequence(unsigned char lead, std::string& out) {
    int extra = lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC2 ? 1 : -1;
    if (extra < 0 || lead > 0xF4 || pos_ + extra > text_.size()) return false;
    out += static_cast<char>(lead);
    for (int i = 0; i < extra; ++i) {
      auto c = static_cast<unsigned char>(text_[pos_++]);
      if ((c & 0xC0) != 0x80) return false;
      out += static_cast<char>(c);
    }
    return true;
  }

  static void AppendUtf8(uint32_t code, std::string& out) {
    if (code < 0x80) {
      out += static_cast<char>(code);
    } else if (code < 0x800) {
      out += static_cast<char>(0xC0 | (code >> 6));
      out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
      out += static_cast<char>(0xE0 | (code >> 12));
      out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (code & 0x3F));
    }
  }

  // -?(0|[1-9][0-9]*)(\.[0-9]+)?([eE][+-]?[0-9]+)?
  bool Number(std::string& out) {
    size_t start = pos_;
    Eat('-');
    if (Eat('0')) {
    } else if (!Digits()) {
      return false;
    }
    if (Eat('.') && !Digits()) return false;
    if (Eat('e') || Eat('E')) {
      if (!Eat('+')) Eat('-');
      if (!Digits()) return false;
    }
    out.assign(text_.substr(start, pos_ - start));
    return true;
  }

  bool Digits() {
    size_t start = pos_;
    while (pos_ < text_.size() && text_[pos_] >= '0' && text_[pos_] <= '9') ++pos_;
    return pos_ > start;
  }

  bool Literal(std::string_view word) {
    if (text_.substr(pos_, word.size()) != word) return false;
    pos_ += word.size();
    return true;
  }

  bool Eat(char c) {
    if (pos_ >= text_.size() || text_[pos_] != c) return false;
    ++pos_;
    return true;
  }

  void SkipSpace() {
    while (pos_ < text_.size() && (text_[pos_] == ' ' || text_[pos_] == '\n' ||
                                   text_[pos_] == '\r' || text_[pos_] == '\t')) {
      ++pos_;
    }
  }

  std::string_view text_;
  size_t pos_ = 0;
};

Json ParseOrFail(const std::string& text) {
  Json root;
  EXPECT_TRUE(JsonParser(text).Parse(root)) << text.substr(0, 2000);
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
  EXPECT_EQ(root["layout"]["plot_rect"][2].text, "632");
  EXPECT_FALSE(ParseOrFail(DumpDocumentJson(*doc)).Has("layout"));
}

TEST(DumpDocumentJson, ReadsPointsAtFirstPlusIndexTimesStride) {
  auto doc = NewDocument();
  StoreValues(*doc, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9});
  AddWave(*doc, "every3rd", 1, 3, 3);
  AddWave(*doc, "single", 9, 1, 1);
  AddWave(*doc, "none", 0, 1, 0);
  Json waves = ParseOrFail(DumpDocumentJson(*doc))["waves"];
  ASSERT_EQ(waves.items.size(), 3u);
  ASSERT_EQ(waves[0]["values"].items.size(), 3u);
  EXPECT_EQ(waves[0]["values"][0].text, "1");
  EXPECT_EQ(waves[0]["values"][1].text, "4");
  EXPECT_EQ(waves[0]["values"][2].text, "7");
  EXPECT_EQ(waves[1]["values"][0].text, "9");
  EXPECT_TRUE(waves[2]["values"].items.empty());
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
  EXPECT_TRUE(root["waves"][3]["values"].items.empty());
  EXPECT_EQ(root["traces"].items.size(), size_t{kMaxTraces});

  doc->WaveCount = -3;
  EXPECT_TRUE(ParseOrFail(DumpDocumentJson(*doc))["waves"].items.empty());
}

struct NumberCase {
  double value;
  const char* text;
};

class DumpDocumentJsonNumber : public testing::TestWithParam<NumberCase> {};

// Shortest round-trip form, and null for what JSON cannot spell.
TEST_P(DumpDocumentJsonNumber, WritesShortestFormOrNull) {
  auto doc = NewDocument();
  StoreValues(*doc, {GetParam().value});
  AddWave(*doc, "v", 0, 1, 1);
  doc->Waves[0].offsetx = GetParam().value;
  doc->AxisRange.Left = GetParam().value;
  Json root = ParseOrFail(DumpDocumentJson(*doc));
  EXPECT_EQ(root["waves"][0]["values"][0].text, GetParam().text);
  EXPECT_EQ(root["waves"][0]["offsetx"].text, GetParam().text);
  EXPECT_EQ(root["axis_range"]["left"].text, GetParam().text);
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
  EXPECT_EQ(wave["rgb"].text, "4279383126");
  EXPECT_EQ(wave["stride"].text, "-2147483648");
  EXPECT_EQ(wave["msize"].text, "-7");
  EXPECT_EQ(wave["marker"].text, "2147483647");
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
  EXPECT_EQ(ParseOrFail(text)["waves"][0]["name"].text, GetParam().decoded);
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
  EXPECT_EQ(root["value_count"].text, "1048576");
  for (int w = 0; w < 2; ++w) {
    const Json& values = root["waves"][w]["values"];
    ASSERT_EQ(values.items.size(), size_t{kMaxValues / 2});
    for (size_t i = 0; i < values.items.size(); ++i) {
      double expected = stored[2 * i + w];
      ASSERT_EQ(std::bit_cast<uint64_t>(values[i].Number()), std::bit_cast<uint64_t>(expected))
          << "wave " << w << " point " << i << " text " << values[i].text;
    }
  }
}

}  // namespace
}  // namespace korvelin::document
