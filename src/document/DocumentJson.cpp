// Writes the document as one JSON object into a single string. Everything is
// appended to one reserved buffer with std::to_chars, so a document of
// 1,048,576 values costs one allocation and no stream formatting per number.
// What the object is used for (printing it, comparing it) is left to callers.

#include "document/DocumentJson.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <concepts>
#include <cstdint>
#include <initializer_list>
#include <string_view>

namespace korvelin::document {
namespace {

// The longest shortest-form double is "-2.2250738585072014e-308", 24 bytes.
constexpr size_t kNumberBuffer = 32;

void AppendNumber(std::string& out, double value) {
  // The reader never stores NaN or infinity, but the dialog and hand-built
  // documents might; JSON has no spelling for them, so they become null.
  if (!std::isfinite(value)) {
    out += "null";
    return;
  }
  char buffer[kNumberBuffer];
  auto [end, ec] = std::to_chars(buffer, buffer + kNumberBuffer, value);
  out.append(buffer, end);
}

void AppendNumber(std::string& out, std::integral auto value) {
  char buffer[kNumberBuffer];
  auto [end, ec] = std::to_chars(buffer, buffer + kNumberBuffer, value);
  out.append(buffer, end);
}

constexpr char kHexDigits[] = "0123456789abcdef";

// Name bytes are Latin-1: byte 0xE9 is U+00E9 and becomes the two UTF-8 bytes
// C3 A9. Quotes, backslashes and control codes are escaped so that any stored
// bytes give a valid JSON string.
void AppendLatin1String(std::string& out, std::string_view bytes) {
  out += '"';
  for (char c : bytes) {
    auto byte = static_cast<unsigned char>(c);
    if (byte == '"' || byte == '\\') {
      out += '\\';
      out += c;
    } else if (byte < 0x20) {
      out += "\\u00";
      out += kHexDigits[byte >> 4];
      out += kHexDigits[byte & 0xF];
    } else if (byte < 0x80) {
      out += c;
    } else {
      out += static_cast<char>(0xC0 | (byte >> 6));
      out += static_cast<char>(0x80 | (byte & 0x3F));
    }
  }
  out += '"';
}

void AppendKey(std::string& out, std::string_view key) {
  out += '"';
  out += key;
  out += "\": ";
}

// Point i of the wave is at first + i * stride. The reader keeps every point
// below ValueCount; a point outside the stored values (possible only in a
// document edited by hand) is written as null instead of reading a page that
// may not exist.
void AppendWaveValues(std::string& out, const GraphDocument& doc, const TWave& wave) {
  out += '[';
  for (int64_t i = 0; i < wave.count; ++i) {
    if (i > 0) out += ", ";
    int64_t index = wave.first + i * int64_t{wave.stride};
    if (index >= 0 && index < doc.ValueCount && index < kMaxValues) {
      AppendNumber(out, GetValue(doc.Values, static_cast<int32_t>(index)));
    } else {
      out += "null";
    }
  }
  out += ']';
}

// Writes ", "key": value" for a member that follows another one.
template <typename Number>
void AppendMember(std::string& out, std::string_view key, Number value) {
  out += ", ";
  AppendKey(out, key);
  AppendNumber(out, value);
}

void AppendWave(std::string& out, const GraphDocument& doc, const TWave& wave) {
  out += '{';
  AppendKey(out, "name");
  AppendLatin1String(out, WaveName(wave));
  AppendMember(out, "first", wave.first);
  AppendMember(out, "stride", wave.stride);
  AppendMember(out, "count", wave.count);
  AppendMember(out, "lsize", wave.lsize);
  AppendMember(out, "marker", wave.marker);
  AppendMember(out, "mode", wave.mode);
  AppendMember(out, "mrkThick", wave.mrkThick);
  AppendMember(out, "msize", wave.msize);
  AppendMember(out, "offsetx", wave.offsetx);
  AppendMember(out, "offsety", wave.offsety);
  AppendMember(out, "rgb", wave.rgb);
  out += ", ";
  AppendKey(out, "values");
  AppendWaveValues(out, doc, wave);
  out += '}';
}

void AppendRect(std::string& out, const TRealRect& rect) {
  out += '{';
  AppendKey(out, "left");
  AppendNumber(out, rect.Left);
  AppendMember(out, "top", rect.Top);
  AppendMember(out, "right", rect.Right);
  AppendMember(out, "bottom", rect.Bottom);
  out += '}';
}

void AppendIntegerArray(std::string& out, std::initializer_list<int32_t> values) {
  out += '[';
  bool first = true;
  for (int32_t value : values) {
    if (!first) out += ", ";
    first = false;
    AppendNumber(out, value);
  }
  out += ']';
}

void AppendLayout(std::string& out, const LayoutJson& layout) {
  out += '{';
  AppendKey(out, "client");
  AppendIntegerArray(out, {layout.client.Width, layout.client.Height});
  out += ", ";
  AppendKey(out, "label");
  AppendIntegerArray(out, {layout.label.Width, layout.label.Height});
  out += ", ";
  AppendKey(out, "plot_rect");
  const PixelRect& r = layout.plot_rect;
  AppendIntegerArray(out, {r.Left, r.Top, r.Right, r.Bottom});
  out += '}';
}

int32_t ClampCount(int32_t count, int32_t capacity) { return std::clamp(count, 0, capacity); }

// A value takes at most 24 characters plus ", "; a wave's attributes about
// 250. Reserving this up front keeps a maximum document to one allocation.
size_t EstimateSize(const GraphDocument& doc, int32_t wave_count) {
  size_t points = 0;
  for (int32_t w = 0; w < wave_count; ++w) points += std::max(doc.Waves[w].count, 0);
  points = std::min<size_t>(points, size_t{kMaxValues} * kMaxWaves);
  return 4096 + size_t(wave_count) * 320 + points * 26;
}

// Writes "[item0, item1, ...]" with append_item(i) writing item i.
template <typename AppendItem>
void AppendArray(std::string& out, int32_t count, AppendItem append_item) {
  out += '[';
  for (int32_t i = 0; i < count; ++i) {
    if (i > 0) out += ", ";
    append_item(i);
  }
  out += ']';
}

}  // namespace

std::string DumpDocumentJson(const GraphDocument& doc, const std::optional<LayoutJson>& layout) {
  const int32_t wave_count = ClampCount(doc.WaveCount, kMaxWaves);
  const int32_t trace_count = ClampCount(doc.TraceCount, kMaxTraces);
  std::string out;
  out.reserve(EstimateSize(doc, wave_count));

  out += '{';
  AppendKey(out, "value_count");
  AppendNumber(out, doc.ValueCount);
  out += ", ";
  AppendKey(out, "waves");
  AppendArray(out, wave_count, [&](int32_t w) { AppendWave(out, doc, doc.Waves[w]); });
  out += ", ";
  AppendKey(out, "traces");
  AppendArray(out, trace_count, [&](int32_t t) {
    out += "{\"x\": ";
    AppendNumber(out, doc.Traces[t].XWave);
    out += ", \"y\": ";
    AppendNumber(out, doc.Traces[t].YWave);
    out += '}';
  });
  out += ", ";
  AppendKey(out, "axis_range");
  AppendRect(out, doc.AxisRange);
  out += ", ";
  AppendKey(out, "axis_history");
  AppendArray(out, kHistorySlots, [&](int32_t slot) { AppendRect(out, doc.AxisHistory[slot]); });
  if (layout) {
    out += ", ";
    AppendKey(out, "layout");
    AppendLayout(out, *layout);
  }
  out += "}\n";
  return out;
}

}  // namespace korvelin::document
