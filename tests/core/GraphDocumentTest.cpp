#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "document/GraphDocument.h"

namespace korvelin::document {
namespace {

std::unique_ptr<GraphDocument> DocumentWithWaves(std::initializer_list<const char*> names) {
  auto doc = std::make_unique<GraphDocument>();
  for (const char* name : names) SetWaveName(doc->Waves[doc->WaveCount++], name);
  return doc;
}

TEST(GraphDocument, StartsWithTheDefaults) {
  auto doc = std::make_unique<GraphDocument>();
  EXPECT_EQ(doc->AxisRange, RealRect(0, 10, 10, 0));
  for (const TRealRect& slot : doc->AxisHistory) EXPECT_EQ(slot, doc->AxisRange);
  EXPECT_EQ(doc->PlotRect, (PixelRect{0, 0, 128, 128}));
  EXPECT_EQ(doc->ClientSize, (PixelSize{0, 0}));
  EXPECT_TRUE(doc->Settings.ScaleOn);
  EXPECT_TRUE(doc->Settings.ColorOn);
  EXPECT_FALSE(doc->Settings.MarginOn);
  EXPECT_EQ(doc->Settings.Margin, (PixelRect{8, 8, 8, 8}));
  EXPECT_EQ(doc->Settings.MetafileWidth, 29700);
  EXPECT_EQ(doc->Settings.MetafileHeight, 21000);
  EXPECT_EQ(
      doc->Settings.TickX + doc->Settings.TickY + doc->Settings.DistanceX + doc->Settings.DistanceY,
      16);
}

TEST(GraphDocument, SetDefaultsRestoresSettingsAndRangeButNotData) {
  auto doc = DocumentWithWaves({"a"});
  doc->Settings.ScaleOn = false;
  doc->Settings.Margin = {1, 2, 3, 4};
  doc->AxisRange = RealRect(1, 2, 3, 4);
  doc->AxisHistory[5] = RealRect(9, 9, 9, 9);
  SetDefaults(*doc);
  EXPECT_TRUE(doc->Settings.ScaleOn);
  EXPECT_EQ(doc->Settings.Margin, (PixelRect{8, 8, 8, 8}));
  EXPECT_EQ(doc->AxisRange, kDefaultAxisRange);
  EXPECT_EQ(doc->AxisHistory[5], kDefaultAxisRange);
  EXPECT_EQ(doc->WaveCount, 1);
}

TEST(ValueStore, PagesAreAllocatedOnFirstWriteAndFreedWhole) {
  auto doc = std::make_unique<GraphDocument>();
  ValueStore& store = doc->Values;
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
  EXPECT_EQ(doc->ValueCount, 0);
  EXPECT_EQ(doc->WaveCount, 0);
  EXPECT_EQ(doc->TraceCount, 0);
  EXPECT_FALSE(doc->InBlock);
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

TEST(Helpers, RealRectAndExchangeReals) {
  TRealRect r = RealRect(1, 2, 3, 4);
  EXPECT_EQ(r.Left, 1);
  EXPECT_EQ(r.Top, 2);
  EXPECT_EQ(r.Right, 3);
  EXPECT_EQ(r.Bottom, 4);
  ExchangeReals(r.Left, r.Right);
  EXPECT_EQ(r, RealRect(3, 2, 1, 4));
}

}  // namespace
}  // namespace korvelin::document
