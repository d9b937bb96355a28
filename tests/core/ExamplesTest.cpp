// Loads the bundled example files through the reader and checks that each
// shows what its generator meant: the right waves, traces, attributes and
// axis range, and data that fills the range the file sets.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "TestWaves.h"
#include "document/IgorReader.h"

namespace korvelin::document {
namespace {

using korvelin::testing::Points;

std::string ExamplePath(const char* name) {
  const char* dir = std::getenv("KORVELIN_EXAMPLES");
  return std::string(dir ? dir : "examples") + "/" + name;
}

korvelin::testing::Doc LoadExample(const char* name) {
  auto doc = korvelin::testing::NewDoc();
  LoadResult result = LoadPatternFile(*doc, ExamplePath(name));
  EXPECT_TRUE(result.accepted()) << name << ": " << result.reason;
  return doc;
}

double Point(const GraphDocument& doc, int32_t wave, int32_t i) { return Points(doc, wave)[i]; }

// Smallest and largest value of a wave, to compare with the axis range.
std::pair<double, double> Extent(const GraphDocument& doc, int32_t wave) {
  const std::vector<double> points = Points(doc, wave);
  const auto [low, high] = std::minmax_element(points.begin(), points.end());
  return {*low, *high};
}

// One bundled file: its shape as the reader loads it and the range it sets.
struct ExampleCase {
  const char* file;
  int32_t waves;
  int32_t points;  // of every wave
  int32_t traces;
  TRealRect range;
};

void PrintTo(const ExampleCase& c, std::ostream* os) { *os << c.file; }

class Example : public ::testing::TestWithParam<ExampleCase> {};

// Every trace plots its own wave against the first, and every point, shifted
// by its wave's offset, lies inside the range the file sets.
TEST_P(Example, LoadsItsTracesInsideTheRangeItSets) {
  const ExampleCase& c = GetParam();
  auto doc = LoadExample(c.file);
  ASSERT_EQ(doc->WaveCount, c.waves);
  ASSERT_EQ(doc->TraceCount, c.traces);
  EXPECT_EQ(doc->ValueCount, c.waves * c.points);
  EXPECT_EQ(doc->AxisRange, c.range);
  for (int32_t t = 0; t < doc->TraceCount; ++t) {
    const TTrace& trace = doc->Traces[t];
    EXPECT_EQ(trace.XWave, 0);
    EXPECT_EQ(trace.YWave, t + 1);
    EXPECT_EQ(doc->Waves[trace.YWave].count, c.points);
    const auto [x_low, x_high] = Extent(*doc, trace.XWave);
    const auto [y_low, y_high] = Extent(*doc, trace.YWave);
    const double offset = doc->Waves[trace.YWave].offsety;
    EXPECT_GE(x_low, c.range.Left) << t;
    EXPECT_LE(x_high, c.range.Right) << t;
    EXPECT_GE(y_low + offset, c.range.Bottom) << t;
    EXPECT_LT(y_high + offset, c.range.Top) << t;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Bundled, Example,
    ::testing::Values(ExampleCase{"quartz-powder.pat", 2, 4251, 1, RealRect(5, 13000, 90, 0)},
                      ExampleCase{"two-blocks.pat", 4, 701, 3, RealRect(18, 5200, 46, -2500)},
                      ExampleCase{"rocking-curve-lf.pat", 2, 201, 1, RealRect(16, 9000, 17.6, 0)}));

// 5 to 90 degrees in steps of 0.02, and the strongest peak nearly fills the
// plot.
TEST(Examples, QuartzPowderRunsFromFiveToNinetyDegrees) {
  auto doc = LoadExample("quartz-powder.pat");
  EXPECT_DOUBLE_EQ(Point(*doc, 0, 0), 5.0);
  EXPECT_DOUBLE_EQ(Point(*doc, 0, 4250), 90.0);
  EXPECT_GT(Extent(*doc, 1).second, 0.9 * doc->AxisRange.Top);
}

// The first block holds three waves side by side, the second block follows
// it with one; the shifted difference curve stays below the data.
TEST(Examples, TwoBlocksShareTheAnglesAndKeepTheDifferenceBelow) {
  auto doc = LoadExample("two-blocks.pat");
  EXPECT_EQ(WaveName(doc->Waves[3]), "diff");
  EXPECT_EQ(doc->Waves[0].stride, 3);
  EXPECT_EQ(doc->Waves[3].stride, 1);
  EXPECT_EQ(doc->Waves[3].first, 3 * doc->Waves[0].count);
  EXPECT_EQ(doc->Waves[3].offsety, -1500);
  EXPECT_LT(Extent(*doc, 3).second + doc->Waves[3].offsety, Extent(*doc, 1).first);
}

TEST(Examples, LineFeedFileEndsAtItsLastAngle) {
  auto doc = LoadExample("rocking-curve-lf.pat");
  EXPECT_DOUBLE_EQ(Point(*doc, 0, 200), 17.6);
}

}  // namespace
}  // namespace korvelin::document
