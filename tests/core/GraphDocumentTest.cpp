#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <tuple>

#include "document/GraphDocument.h"

namespace korvelin::document {
namespace {

std::unique_ptr<GraphDocument> DocumentWithWaves(std::initializer_list<const char*> names) {
  auto doc = std::make_unique<GraphDocument>();
  for (const char* name : names) SetWaveName(doc->Waves[doc->WaveCount++], name);
  return doc;
}

// The start-up state, and SetDefaults bringing settings and range back to
// it while the data stays.
TEST(GraphDocument, SetDefaultsRestoresTheStartUpSettingsAndRangeButNotData) {
  auto doc = DocumentWithWaves({"a"});
  // ScaleOn, TickX, TickY, DistanceX, DistanceY, MarginOn, Margin, metafile size, ColorOn.
  const DisplaySettings start_up{true, 4, 4, 4, 4, false, {8, 8, 8, 8}, 29700, 21000, true};
  const auto start_up_history = FilledHistory(RealRect(0, 10, 10, 0));
  EXPECT_EQ(doc->Settings, start_up);
  EXPECT_EQ(doc->AxisRange, RealRect(0, 10, 10, 0));
  EXPECT_EQ(doc->AxisHistory, start_up_history);
  EXPECT_EQ(doc->PlotRect, (PixelRect{0, 0, 128, 128}));
  EXPECT_EQ(doc->ClientSize, (PixelSize{0, 0}));

  doc->Settings = {false, 1, 2, 3, 5, true, {1, 2, 3, 4}, 6, 7, false};
  doc->AxisRange = RealRect(1, 2, 3, 4);
  doc->AxisHistory[5] = RealRect(9, 9, 9, 9);
  SetDefaults(*doc);
  EXPECT_EQ(doc->Settings, start_up);
  EXPECT_EQ(doc->AxisRange, RealRect(0, 10, 10, 0));
  EXPECT_EQ(doc->AxisHistory, start_up_history);
  EXPECT_EQ(doc->WaveCount, 1);
}

TEST(ValueStore, PagesAreAllocatedOnFirstWriteAndFreedWhole) {
  auto doc = std::make_unique<GraphDocument>();
  ValueStore& store = doc->Values;
  FreeValueStore(store);  // a fresh store frees harmlessly
  for (int32_t i = 0; i <= 4096; ++i) SetValue(store, i, i * 0.5);
  EXPECT_EQ(store.allocated_pages, 2);
  EXPECT_NE(store.pages[0], nullptr);
  EXPECT_NE(store.pages[1], nullptr);
  EXPECT_EQ(store.pages[2], nullptr);
  EXPECT_EQ(GetValue(store, 4095), 2047.5);
  EXPECT_EQ(GetValue(store, 4096), 2048.0);
  SetValue(store, kMaxValues - 1, -1.25);
  EXPECT_EQ(GetValue(store, kMaxValues - 1), -1.25);
  EXPECT_EQ(store.allocated_pages, 3);
  FreeValueStore(store);
  FreeValueStore(store);  // and so does a freed one
  for (const auto& page : store.pages) EXPECT_EQ(page, nullptr);
  EXPECT_EQ(store.allocated_pages, 0);
  // A store that was freed takes new values as a fresh one does.
  SetValue(store, 5000, 3.5);
  EXPECT_EQ(GetValue(store, 5000), 3.5);
  EXPECT_EQ(store.allocated_pages, 1);
}

TEST(FindWave, IsCaseInsensitiveAndTheLastMatchWins) {
  auto doc = DocumentWithWaves({"int", "tth", "INT", "Ab\xE9"});
  EXPECT_EQ(FindWave(*doc, "int"), 2);
  EXPECT_EQ(FindWave(*doc, "Int"), 2);
  EXPECT_EQ(FindWave(*doc, "TTH"), 1);
  // Only ASCII letters fold: the Latin-1 byte must match as it is.
  EXPECT_EQ(FindWave(*doc, "AB\xE9"), 3);
  EXPECT_EQ(FindWave(*doc, "AB\xC9"), -1);
  EXPECT_EQ(FindWave(*doc, "in"), -1);
  EXPECT_EQ(FindWave(*doc, ""), -1);
  EXPECT_EQ(FindWave(GraphDocument{}, "int"), -1);
}

// Only ASCII letters compare without case: '{' is not '[' and 'é' not 'É'.
TEST(FindWave, FoldsTheCaseOfLettersOnly) {
  auto doc = DocumentWithWaves({"a[", "\xC9t\xE9", "z~"});
  EXPECT_EQ(FindWave(*doc, "A{"), -1);
  EXPECT_EQ(FindWave(*doc, "A["), 0);
  EXPECT_EQ(FindWave(*doc, "\xE9T\xE9"), -1);
  EXPECT_EQ(FindWave(*doc, "\xC9T\xE9"), 1);
  EXPECT_EQ(FindWave(*doc, "Z~"), 2);
}

TEST(FindWave, SixteenCharacterNamesAreWholeAndLongerOnesCut) {
  auto doc = DocumentWithWaves({"abcdefghijklmnop", "ABCDEFGHIJKLMNOPQRST"});
  EXPECT_EQ(WaveName(doc->Waves[0]), "abcdefghijklmnop");
  EXPECT_EQ(WaveName(doc->Waves[1]), "ABCDEFGHIJKLMNOP");
  // Both store the same 16 characters, so the later one wins for either form.
  EXPECT_EQ(FindWave(*doc, "abcdefghijklmnop"), 1);
  EXPECT_EQ(FindWave(*doc, "ABCDEFGHIJKLMNOPQRST"), -1);
  SetWaveName(doc->Waves[1], "x");
  EXPECT_EQ(FindWave(*doc, "abcdefghijklmnop"), 0);
  EXPECT_EQ(WaveName(doc->Waves[1]), "x");
}

TEST(GraphDocument, ResetEmptiesTablesButKeepsRangeAndSettings) {
  auto doc = DocumentWithWaves({"a", "b"});
  doc->ValueCount = 7;
  doc->TraceCount = 1;
  doc->InBlock = true;
  doc->AxisRange = RealRect(1, 2, 3, 4);
  doc->Settings.TickX = 9;
  ResetDocument(*doc);
  EXPECT_EQ(std::tuple(doc->ValueCount, doc->WaveCount, doc->TraceCount, doc->InBlock),
            std::tuple(0, 0, 0, false));
  EXPECT_EQ(doc->AxisRange, RealRect(1, 2, 3, 4));
  EXPECT_EQ(doc->Settings.TickX, 9);
}

TEST(Colours, PackRgb16KeepsTheHighBytesAndColorRefSwapsRedAndBlue) {
  EXPECT_EQ(PackRgb16(65535, 32768, 255), 0xFF8000u);
  EXPECT_EQ(PackRgb16(65535, 0, 0), 0xFF0000u);
  EXPECT_EQ(PackRgb16(0x1FF00, 0x2AB00, -1), 0xFFABFFu);
  EXPECT_EQ(RgbToColorRef(0xFF8000), 0x0080FFu);
  EXPECT_EQ(RgbToColorRef(0x12345678), 0x00785634u);
}

}  // namespace
}  // namespace korvelin::document
