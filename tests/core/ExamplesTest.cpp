// Loads the bundled example files through the reader and checks that each
// shows what its generator meant: the right waves, traces, attributes and
// axis range, and data that fills the range the file sets.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <string>
#include <utility>

#include "document/GraphDocument.h"
#include "document/IgorReader.h"

namespace korvelin::document {
namespace {

std::string ExamplePath(const char* name) {
  const char* dir = std::getenv("KORVELIN_EXAMPLES");
  return std::string(dir ? dir : "examples") + "/" + name;
}

std::unique_ptr<GraphDocument> LoadExample(const char* name) {
  auto doc = std::make_unique<GraphDocument>();
  InitValueStore(doc->Values);
  LoadResult result = LoadPatternFile(*doc, ExamplePath(name));
  EXPECT_TRUE(result.accepted()) << name << ": " << result.reason;
  return doc;
}

double Point(const GraphDocument& doc, int32_t wave, int32_t i) {
  const TWave& w = doc.Waves[wave];
  return GetValue(doc.Values, w.first + i * w.stride);
}

// Smallest and largest value of a wave, to compare with the axis range.
std::pair<double, double> Extent(const GraphDocument& doc, int32_t wave) {
  double low = Point(doc, wave, 0), high = low;
  for (int32_t i = 1; i < doc.Waves[wave].count; ++i) {
    low = std::min(low, Point(doc, wave, i));
    high = std::max(high, Point(doc, wave, i));
  }
  return {low, high};
}

TEST(Examples, QuartzPowderIsOneTraceOfIntensityAgainstTwoTheta) {
  auto doc = LoadExample("quartz-powder.pat");
  ASSERT_EQ(doc->WaveCount, 2);
  EXPECT_EQ(WaveName(doc->Waves[0]), "tth");
  EXPECT_EQ(WaveName(doc->Waves[1]), "int");
  EXPECT_EQ(doc->Waves[1].count, 4251);  // 5 to 90 degrees in steps of 0.02
  EXPECT_EQ(doc->ValueCount, 2 * 4251);
  EXPECT_DOUBLE_EQ(Point(*doc, 0, 0), 5.0);
  EXPECT_DOUBLE_EQ(Point(*doc, 0, 4250), 90.0);
  ASSERT_EQ(doc->TraceCount, 1);
  EXPECT_EQ(doc->Traces[0].XWave, 0);
  EXPECT_EQ(doc->Traces[0].YWave, 1);
  EXPECT_EQ(doc->Waves[1].rgb, 0x0000CCu);
  EXPECT_EQ(doc->AxisRange, RealRect(5, 13000, 90, 0));
  auto [low, high] = Extent(*doc, 1);
  EXPECT_GT(low, 0.0);
  EXPECT_GT(high, 0.9 * doc->AxisRange.Top);  // the strongest peak nearly fills the plot
  EXPECT_LT(high, doc->AxisRange.Top);
}

TEST(Examples, TwoBlocksHaveThreeStyledTracesSharingTheAngles) {
  auto doc = LoadExample("two-blocks.pat");
  ASSERT_EQ(doc->WaveCount, 4);
  EXPECT_EQ(WaveName(doc->Waves[3]), "diff");
  EXPECT_EQ(doc->Waves[0].stride, 3);
  EXPECT_EQ(doc->Waves[3].stride, 1);
  EXPECT_EQ(doc->Waves[3].first, 3 * doc->Waves[0].count);  // the second block follows the first
  EXPECT_EQ(doc->Waves[3].count, doc->Waves[0].count);
  ASSERT_EQ(doc->TraceCount, 3);
  for (int t = 0; t < 3; ++t) {
    EXPECT_EQ(doc->Traces[t].XWave, 0);
    EXPECT_EQ(doc->Traces[t].YWave, t + 1);
  }
  const TWave& yobs = doc->Waves[1];
  EXPECT_EQ(yobs.mode, 3);
  EXPECT_EQ(yobs.marker, 0);
  EXPECT_EQ(yobs.msize, 2);
  EXPECT_EQ(yobs.rgb, 0xFF0000u);
  EXPECT_EQ(doc->Waves[2].lsize, 1.5);
  EXPECT_EQ(doc->Waves[2].rgb, 0x0000FFu);
  const TWave& diff = doc->Waves[3];
  EXPECT_EQ(diff.mode, 4);
  EXPECT_EQ(diff.marker, 10);
  EXPECT_EQ(diff.mrkThick, 0.5);
  EXPECT_EQ(diff.rgb, 0x009900u);
  EXPECT_EQ(diff.offsety, -1500);
  EXPECT_EQ(doc->AxisRange, RealRect(18, 5200, 46, -2500));
  // The shifted difference curve stays inside the plot below the data.
  auto [low, high] = Extent(*doc, 3);
  EXPECT_GT(low + diff.offsety, doc->AxisRange.Bottom);
  EXPECT_LT(high + diff.offsety, Extent(*doc, 1).first);
}

TEST(Examples, LineFeedFileIsReadLikeTheOthers) {
  auto doc = LoadExample("rocking-curve-lf.pat");
  ASSERT_EQ(doc->WaveCount, 2);
  EXPECT_EQ(doc->Waves[0].count, 201);
  EXPECT_DOUBLE_EQ(Point(*doc, 0, 200), 17.6);
  ASSERT_EQ(doc->TraceCount, 1);
  EXPECT_EQ(doc->Waves[1].rgb, 0x800080u);
  EXPECT_EQ(doc->AxisRange, RealRect(16, 9000, 17.6, 0));
}

}  // namespace
}  // namespace korvelin::document
