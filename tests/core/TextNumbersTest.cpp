#include <gtest/gtest.h>

#include <string>

#include "document/TextNumbers.h"

namespace korvelin::document {
namespace {

struct ReadoutCase {
  double value;
  int precision;
  int decimals;
  const char* text;
};

class FormatReadoutCase : public ::testing::TestWithParam<ReadoutCase> {};

TEST_P(FormatReadoutCase, RoundsHalvesAwayFromZero) {
  const ReadoutCase& c = GetParam();
  EXPECT_EQ(FormatReadout(c.value, c.precision, c.decimals), c.text)
      << c.value << " with " << c.precision << ", " << c.decimals;
}

INSTANTIATE_TEST_SUITE_P(
    Table, FormatReadoutCase,
    ::testing::Values(
        // The readout's own examples: x with 4, 2 and y with 5, 0.
        ReadoutCase{12.3456, 4, 2, "12.35"}, ReadoutCase{1234.567, 4, 2, "1235.00"},
        ReadoutCase{12345.6, 4, 2, "1.235E4"}, ReadoutCase{9999.7, 4, 2, "1E4"},
        ReadoutCase{0.004, 4, 2, "0.00"}, ReadoutCase{-0.002, 4, 2, "-0.00"},
        ReadoutCase{-0.0002, 4, 2, "0.00"}, ReadoutCase{1234.5, 5, 0, "1235"},
        ReadoutCase{123456.7, 5, 0, "1.2346E5"}, ReadoutCase{99999.6, 5, 0, "1E5"},
        ReadoutCase{-0.3, 5, 0, "-0"}, ReadoutCase{0, 4, 2, "0.00"},
        // The sign rule at its bound: 0.001 is not below 10^-3, 0.0999 is below 10^-1.
        ReadoutCase{-0.001, 4, 2, "-0.00"}, ReadoutCase{-0.0999, 5, 0, "0"},
        ReadoutCase{-0.1, 5, 0, "-0"}, ReadoutCase{-0.5, 5, 0, "-1"},
        // Halves of the decimal a user reads: 0.125 and 2.675 round up.
        ReadoutCase{0.125, 4, 2, "0.13"}, ReadoutCase{2.675, 4, 2, "2.68"},
        ReadoutCase{-2.675, 4, 2, "-2.68"}, ReadoutCase{0.05, 4, 2, "0.05"},
        ReadoutCase{5, 4, 2, "5.00"}, ReadoutCase{5, 5, 0, "5"}, ReadoutCase{9.995, 4, 2, "10.00"},
        ReadoutCase{99.995, 4, 2, "100.00"}, ReadoutCase{999.95, 4, 2, "1000.00"},
        ReadoutCase{-12345.6, 4, 2, "-1.235E4"}, ReadoutCase{1e300, 4, 2, "1E300"},
        ReadoutCase{1.5e-300, 4, 2, "0.00"}, ReadoutCase{12000, 5, 0, "12000"},
        ReadoutCase{120000, 5, 0, "1.2E5"}));

TEST(FormatReadout, UsesTheGivenSeparatorAndNamesValuesThatAreNoNumbers) {
  EXPECT_EQ(FormatReadout(12.3456, 4, 2, ','), "12,35");
  EXPECT_EQ(FormatReadout(12345.6, 4, 2, ','), "1,235E4");
  EXPECT_EQ(FormatReadout(1.0 / 0.0, 4, 2), "INF");
  EXPECT_EQ(FormatReadout(-1.0 / 0.0, 5, 0), "-INF");
  EXPECT_EQ(FormatReadout(0.0 / 0.0, 4, 2), "NAN");
}

TEST(FormatGeneral, UsesTheGivenSeparator) {
  EXPECT_EQ(FormatGeneral(0.5, ','), "0,5");
  EXPECT_EQ(FormatGeneral(-2.5e16, ','), "-2,5E16");
}

}  // namespace
}  // namespace korvelin::document
