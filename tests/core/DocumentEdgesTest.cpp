// Dialog edits of rows and traces that do not exist.

#include <gtest/gtest.h>

#include <memory>

#include "document/DialogValues.h"

namespace korvelin::document {
namespace {

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
