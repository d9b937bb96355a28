// The document's invariant names the first rule a document breaks, so a
// reader fault found by a test, the fuzzer or the monkey reads as a sentence.

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include "document/TablesError.h"

namespace korvelin::document {
namespace {

// Three stored values, a wave over all of them and one trace of it.
std::unique_ptr<GraphDocument> SoundDocument() {
  auto doc = std::make_unique<GraphDocument>();
  doc->ValueCount = 3;
  doc->WaveCount = doc->TraceCount = 1;
  doc->Waves[0].stride = 1;
  doc->Waves[0].count = 3;
  doc->Traces[0] = {-1, 0};
  return doc;
}

struct BrokenCase {
  const char* name;
  std::function<void(GraphDocument&)> Break;
  const char* error;
};

void PrintTo(const BrokenCase& c, std::ostream* os) { *os << c.name; }

class Broken : public testing::TestWithParam<BrokenCase> {};

TEST_P(Broken, NamesTheFirstBrokenRule) {
  auto doc = SoundDocument();
  ASSERT_EQ(TablesError(*doc), "");
  GetParam().Break(*doc);
  EXPECT_EQ(TablesError(*doc), GetParam().error);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Table, Broken,
    testing::Values(
        BrokenCase{"ValuesPastTheTable", [](GraphDocument& d) { d.ValueCount = kMaxValues + 1; }, "ValueCount 1048577 outside 0 .. 1048576"},
        BrokenCase{"NegativeWaveCount", [](GraphDocument& d) { d.WaveCount = -1; }, "WaveCount -1 outside 0 .. 256"},
        BrokenCase{"TracesPastTheTable", [](GraphDocument& d) { d.TraceCount = kMaxTraces + 1; }, "TraceCount 257 outside 0 .. 256"},
        BrokenCase{"TraceOfAnUndeclaredWave", [](GraphDocument& d) { d.Traces[0].XWave = 1; }, "trace 0 names wave 1 of 1"},
        BrokenCase{"TraceBelowMinusOne", [](GraphDocument& d) { d.Traces[0].YWave = -2; }, "trace 0 names wave -2 of 1"},
        BrokenCase{"NegativeCount", [](GraphDocument& d) { d.Waves[0].count = -1; }, "wave 0 has count -1"},
        BrokenCase{"StandingStride", [](GraphDocument& d) { d.Waves[0].stride = 0; }, "wave 0 has stride 0"},
        BrokenCase{"FirstBeforeTheValues", [](GraphDocument& d) { d.Waves[0].first = -1; }, "wave 0 reads values -1 .. 1 of 3"},
        BrokenCase{"LastPastTheValues", [](GraphDocument& d) { d.Waves[0].stride = 2; }, "wave 0 reads values 0 .. 4 of 3"},
        BrokenCase{"StrideBeyond32Bits", [](GraphDocument& d) { d.Waves[0].stride = 0x7FFFFFFF; }, "wave 0 reads values 0 .. 4294967294 of 3"},
        // A wave without points reads no value, whatever its first and stride.
        BrokenCase{"NoneForAWaveWithoutPoints", [](GraphDocument& d) { d.Waves[0].count = 0; d.Waves[0].first = -7; d.Waves[0].stride = 0; }, ""}),
    [](const testing::TestParamInfo<BrokenCase>& info) { return std::string(info.param.name); });
// clang-format on

}  // namespace
}  // namespace korvelin::document
