// The order of a series of files and the candidates on either side of the
// shown one, in a folder of the test's making.

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "document/FileSeries.h"

namespace korvelin::document {
namespace {

struct OrderCase {
  const char* before;
  const char* after;
};

class NaturalOrder : public ::testing::TestWithParam<OrderCase> {};

TEST_P(NaturalOrder, PutsTheFirstBeforeTheSecond) {
  EXPECT_LT(NaturalCompare(GetParam().before, GetParam().after), 0);
  EXPECT_GT(NaturalCompare(GetParam().after, GetParam().before), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Table, NaturalOrder,
    ::testing::Values(OrderCase{"scan2.pat", "scan10.pat"}, OrderCase{"scan9", "scan10"},
                      OrderCase{"scan007", "scan8"}, OrderCase{"scan7", "scan007"},
                      OrderCase{"Scan1", "scan2"}, OrderCase{"SCAN1", "scan1"},
                      OrderCase{"scan", "scan1"}, OrderCase{"a1b2", "a1b10"},
                      OrderCase{"run 99999999999999999999", "run 100000000000000000000"},
                      OrderCase{"scan1.pat", "scan1.xy"}));

TEST(NaturalOrder, GivesEqualOnlyForTheSameName) {
  EXPECT_EQ(NaturalCompare("scan12.pat", "scan12.pat"), 0);
  EXPECT_EQ(NaturalCompare("", ""), 0);
  EXPECT_LT(NaturalCompare("", "a"), 0);
}

class SeriesFolder : public ::testing::Test {
 protected:
  SeriesFolder() {
    folder_ =
        std::filesystem::temp_directory_path() / ("korvelin-series-" + std::to_string(getpid()));
    std::filesystem::create_directories(folder_ / "scan5");  // a folder is no file
    for (const char* name :
         {"scan1.pat", "scan2.pat", "scan10.pat", "scan3.xy", ".scan4.swp", "notes.txt"}) {
      std::ofstream(folder_ / name) << "x";
    }
  }
  ~SeriesFolder() override { std::filesystem::remove_all(folder_); }
  std::vector<std::string> Names(const std::string& shown, SeriesStep step) {
    std::vector<std::string> names;
    for (const std::string& path : SeriesCandidates((folder_ / shown).string(), step)) {
      EXPECT_EQ(std::filesystem::path(path).parent_path(), folder_);
      names.push_back(std::filesystem::path(path).filename().string());
    }
    return names;
  }
  std::filesystem::path folder_;
};

TEST_F(SeriesFolder, ListsTheFilesOnEachSideNearestFirst) {
  EXPECT_EQ(Names("scan2.pat", SeriesStep::Next),
            (std::vector<std::string>{"scan3.xy", "scan10.pat"}));
  EXPECT_EQ(Names("scan2.pat", SeriesStep::Previous),
            (std::vector<std::string>{"scan1.pat", "notes.txt"}));
}

TEST_F(SeriesFolder, EndsAtEitherEndAndWorksForAFileGoneMeanwhile) {
  EXPECT_TRUE(Names("scan10.pat", SeriesStep::Next).empty());
  EXPECT_TRUE(Names("notes.txt", SeriesStep::Previous).empty());
  EXPECT_EQ(Names("scan2b.pat", SeriesStep::Next),
            (std::vector<std::string>{"scan3.xy", "scan10.pat"}));
}

TEST(SeriesCandidates, AFolderThatCannotBeListedGivesNone) {
  EXPECT_TRUE(SeriesCandidates("/nonexistent/korvelin/scan1.pat", SeriesStep::Next).empty());
}

}  // namespace
}  // namespace korvelin::document
