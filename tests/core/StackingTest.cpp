// Stack and Unstack: offsets spread by tenths of the y span, and back to the
// file's own, also after a file was added between the two.

#include <gtest/gtest.h>

#include <cmath>

#include "TestWaves.h"
#include "document/Stacking.h"

namespace korvelin::document {
namespace {

using korvelin::testing::AddWave;

class StackTest : public ::testing::Test {
 protected:
  StackTest() {
    InitValueStore(doc_->Values);
    const int32_t x = AddWave(*doc_, {0, 1});
    for (int k = 0; k < 3; ++k)
      doc_->Traces[doc_->TraceCount++] = TTrace{x, AddWave(*doc_, {0, 5})};
    doc_->Waves[2].offsety = 7;  // the file's own offset
    doc_->AxisRange = RealRect(0, 1000, 1, 0);
  }
  double Offset(int32_t trace) const { return doc_->Waves[doc_->Traces[trace].YWave].offsety; }
  std::unique_ptr<GraphDocument> doc_ = std::make_unique<GraphDocument>();
};

TEST_F(StackTest, SpreadsByATenthOfTheSpanAndUnstackRestoresTheFilesOffsets) {
  StackTraces(*doc_);
  EXPECT_TRUE(Stacked(*doc_));
  EXPECT_EQ(Offset(0), 0);
  EXPECT_EQ(Offset(1), 100);
  EXPECT_EQ(Offset(2), 200);
  // Stacking again after a zoom re-spreads; Unstack still knows the file's.
  doc_->AxisRange = RealRect(0, 50, 1, 0);
  StackTraces(*doc_);
  EXPECT_EQ(Offset(2), 10);
  UnstackTraces(*doc_);
  EXPECT_FALSE(Stacked(*doc_));
  EXPECT_EQ(Offset(0), 0);
  EXPECT_EQ(Offset(1), 7);
  EXPECT_EQ(Offset(2), 0);
  // Unstack when not stacked changes nothing.
  UnstackTraces(*doc_);
  EXPECT_EQ(Offset(1), 7);
}

TEST_F(StackTest, RangeTheUserLeftAloneGrowsToShowTheTopTraceAndComesBack) {
  doc_->AxisHistory = FilledHistory(doc_->AxisRange);
  StackTraces(*doc_);
  EXPECT_EQ(Offset(2), 200);
  EXPECT_EQ(doc_->AxisRange, RealRect(0, 1200, 1, 0));
  // Pressed again, the stack stays as it is.
  StackTraces(*doc_);
  EXPECT_EQ(Offset(2), 200);
  EXPECT_EQ(doc_->AxisRange.Top, 1200);
  UnstackTraces(*doc_);
  EXPECT_EQ(doc_->AxisRange, RealRect(0, 1000, 1, 0));
  // A zoom after the stack is the user's and stays.
  StackTraces(*doc_);
  doc_->AxisRange = RealRect(0, 500, 1, 0);
  UnstackTraces(*doc_);
  EXPECT_EQ(doc_->AxisRange, RealRect(0, 500, 1, 0));
}

TEST_F(StackTest, ReversedAxisLiftsDownwardsInDataUnits) {
  doc_->AxisRange = RealRect(0, 0, 1, 1000);
  StackTraces(*doc_);
  EXPECT_EQ(Offset(2), -200);
}

TEST_F(StackTest, WavesAddedWhileStackedGetTheirOwnOffsetsBack) {
  StackTraces(*doc_);
  const int32_t y = AddWave(*doc_, {1, 2});
  doc_->Waves[y].offsety = -3;
  doc_->Traces[doc_->TraceCount++] = TTrace{0, y};
  StackTraces(*doc_);
  EXPECT_EQ(Offset(3), 300);
  UnstackTraces(*doc_);
  EXPECT_EQ(Offset(3), -3);
}

TEST_F(StackTest, InfiniteSpanLeavesOffsets) {
  doc_->AxisRange = RealRect(0, 1e308, 1, -1e308);
  StackTraces(*doc_);
  EXPECT_EQ(Offset(1), 7);
  UnstackTraces(*doc_);
  EXPECT_EQ(Offset(1), 7);
}

}  // namespace
}  // namespace korvelin::document
