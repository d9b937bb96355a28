// The document's conversions and rules at their edges: integers past 64
// bits or just past 32, names whose characters are not letters, a store
// freed twice, a WAVES line that declares nothing after one that did, and
// dialog edits of rows and traces that do not exist.

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "document/DialogValues.h"
#include "document/IgorReader.h"
#include "document/TextNumbers.h"

namespace korvelin::document {
namespace {

TEST(ToIntDef, NumbersPastTheIntegerRangesAreNoNumbers) {
  EXPECT_EQ(ToIntDef("-2147483649", -9), -9);
  EXPECT_EQ(ToIntDef("99999999999999999999", -9), -9);  // past 64 bits
  EXPECT_EQ(ToIntDef("-99999999999999999999", -9), -9);
  EXPECT_EQ(ToIntDef("12abc", -9), -9);
  EXPECT_EQ(ToIntDef("-x", -9), -9);
  EXPECT_EQ(ToIntDef(" -", -9), -9);
}

// Only ASCII letters compare without case: '{' is not '[' and 'é' not 'É'.
TEST(FindWave, FoldsTheCaseOfLettersOnly) {
  auto doc = std::make_unique<GraphDocument>();
  doc->WaveCount = 3;
  SetWaveName(doc->Waves[0], "a[");
  SetWaveName(doc->Waves[1], "\xC9t\xE9");
  SetWaveName(doc->Waves[2], "z~");
  EXPECT_EQ(FindWave(*doc, "A{"), -1);
  EXPECT_EQ(FindWave(*doc, "A["), 0);
  EXPECT_EQ(FindWave(*doc, "\xE9T\xE9"), -1);
  EXPECT_EQ(FindWave(*doc, "\xC9T\xE9"), 1);
  EXPECT_EQ(FindWave(*doc, "Z~"), 2);
}

// Freeing keeps the reserved range; freeing again, or a fresh store, is
// harmless, and a later write reads back.
TEST(ValueStore, FreeingTwiceAndWritingAgain) {
  auto doc = std::make_unique<GraphDocument>();
  FreeValueStore(doc->Values);
  SetValue(doc->Values, 5000, 2.5);
  FreeValueStore(doc->Values);
  FreeValueStore(doc->Values);
  EXPECT_EQ(doc->Values.allocated_pages, 0);
  EXPECT_EQ(doc->Values.pages[1], nullptr);
  SetValue(doc->Values, 5000, 7.5);
  EXPECT_EQ(GetValue(doc->Values, 5000), 7.5);
}

// A WAVES line that names nothing makes its block's rows go nowhere, even
// after a block that was declared: the earlier waves keep their points.
TEST(InterpretLine, RowsOfABlockThatDeclaresNothingAreIgnored) {
  auto doc = std::make_unique<GraphDocument>();
  InitValueStore(doc->Values);
  LoadPatternText(*doc, "IGOR\rWAVES a\rBEGIN\r1\r2\rEND\rWAVES\rBEGIN\r3\r4\rEND\r");
  EXPECT_EQ(doc->WaveCount, 1);
  EXPECT_EQ(doc->Waves[0].count, 2);
  EXPECT_EQ(doc->ValueCount, 2);
}

TEST(SetParameter, RowsOutsideTheListChangeNothing) {
  TWave wave;
  wave.lsize = 3;
  SetParameter(wave, -1, "9", '.');
  SetParameter(wave, kParameterCount, "9", '.');
  EXPECT_EQ(wave.lsize, 3);
  EXPECT_EQ(wave.rgb, 0u);
  EXPECT_EQ(ParameterValueText(wave, kParameterCount, '.'), "");
  EXPECT_EQ(TraceLine(GraphDocument{}, -1), "");
}

TEST(AppendTrace, TakesOnlyWavesOfTheDocumentOnEitherAxis) {
  auto doc = std::make_unique<GraphDocument>();
  doc->WaveCount = 2;
  EXPECT_FALSE(AppendTrace(*doc, -1, 0));
  EXPECT_FALSE(AppendTrace(*doc, 0, 2));
  EXPECT_EQ(doc->TraceCount, 0);
  EXPECT_TRUE(AppendTrace(*doc, 1, 0));
  EXPECT_EQ(doc->TraceCount, 1);
}

}  // namespace
}  // namespace korvelin::document
