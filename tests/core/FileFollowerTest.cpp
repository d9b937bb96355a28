// The follower's decisions with the clock and the look at the file in the
// test's hands: a file rewritten, appended to in bursts, truncated, deleted
// and restored, each read once and only after it has been quiet.

#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <string>

#include "document/FileFollower.h"

namespace korvelin::document {
namespace {

class FileFollowerTest : public ::testing::Test {
 protected:
  FileFollowerTest() { follower_.Follow({"scan001.pat"}); }
  // The file as a writer leaves it at the present time.
  void Write(int64_t size) {
    ++writes_;
    disk_ = {true, size, writes_ * 1000};
  }
  void Delete() { disk_ = {}; }
  // Moves the clock on in steps of `step` ms, looking at the file at each as
  // the poll and the quiet timer would; the times at which a read was due.
  std::vector<int64_t> Run(int64_t until, int64_t step = 10) {
    std::vector<int64_t> reads;
    while (now_ < until) {
      now_ += step;
      if (follower_.Check()) {
        reads.push_back(now_);
        follower_.ReadDone();
      }
    }
    return reads;
  }

  int64_t now_ = 0;
  int64_t writes_ = 0;
  FileStamp disk_{true, 100, 0};
  FileFollower follower_{[this] { return now_; }, [this](const std::string&) { return disk_; }};
};

TEST_F(FileFollowerTest, AnUnchangedFileIsNeverRead) {
  EXPECT_TRUE(Run(5000).empty());
  EXPECT_EQ(follower_.QuietLeft(), -1);
}

TEST_F(FileFollowerTest, ARewriteIsReadOnceAfterTheQuietWait) {
  Write(120);
  EXPECT_EQ(Run(1000), (std::vector<int64_t>{210}));  // seen at 10, quiet from 10 to 210
}

TEST_F(FileFollowerTest, AFileAppendedToInBurstsIsReadOnceItStops) {
  // A writer appends every 50 ms for a second; the file is read once, whole.
  std::vector<int64_t> reads;
  for (int64_t size = 200; size < 2200; size += 100) {
    Write(size);
    for (int64_t t : Run(now_ + 50)) reads.push_back(t);
  }
  EXPECT_TRUE(reads.empty());
  const int64_t last_write = now_;
  const std::vector<int64_t> after = Run(now_ + 1000);
  ASSERT_EQ(after.size(), 1u);
  EXPECT_LE(after[0] - last_write, kQuietMs + 10);
}

TEST_F(FileFollowerTest, QuietLeftCountsDownTheWaitAndRestartsOnAChange) {
  Write(120);
  now_ = 1000;
  EXPECT_FALSE(follower_.Check());
  EXPECT_EQ(follower_.QuietLeft(), kQuietMs);
  now_ = 1150;
  EXPECT_FALSE(follower_.Check());
  EXPECT_EQ(follower_.QuietLeft(), 50);
  Write(130);
  EXPECT_FALSE(follower_.Check());
  EXPECT_EQ(follower_.QuietLeft(), kQuietMs);
  now_ = 1350;
  EXPECT_TRUE(follower_.Check());
  follower_.ReadDone();
  EXPECT_EQ(follower_.QuietLeft(), -1);
}

TEST_F(FileFollowerTest, ATruncationAndTheRewriteAfterItAreEachReadOnce) {
  Write(0);  // emptied by the writer, which reads as a refused file
  EXPECT_EQ(Run(500).size(), 1u);
  EXPECT_TRUE(Run(2000).empty());  // the refused read is not repeated
  Write(4000);
  EXPECT_EQ(Run(3000).size(), 1u);
}

TEST_F(FileFollowerTest, ADeletedFileWaitsAndIsReadWhenItComesBack) {
  Delete();
  EXPECT_TRUE(Run(5000).empty());
  EXPECT_EQ(follower_.QuietLeft(), -1);
  Write(100);  // restored, even with the size it had
  EXPECT_EQ(Run(6000).size(), 1u);
}

TEST_F(FileFollowerTest, APollOnceASecondFindsAChangeWithoutNotifications) {
  // Only the once-a-second poll looks; the quiet timer then looks at the
  // end of the wait, so the change shows within the poll and the wait.
  Write(300);
  const std::vector<int64_t> polls = Run(1000, kPollMs);
  EXPECT_TRUE(polls.empty());
  now_ += kQuietMs;
  EXPECT_TRUE(follower_.Check());
}

TEST_F(FileFollowerTest, StoppingOrFollowingAnotherFileDropsThePendingChange) {
  Write(120);
  EXPECT_FALSE(follower_.Check());
  follower_.Stop();
  EXPECT_FALSE(follower_.Following());
  EXPECT_TRUE(Run(1000).empty());
  follower_.Follow({"scan002.pat"});
  EXPECT_EQ(follower_.Path(), "scan002.pat");
  EXPECT_TRUE(Run(2000).empty());  // what is on disk at Follow counts as shown
}

// A plot of several files is read after a settled change to any of them,
// and not while one of them is gone.
TEST(FileFollowerOfAPlot, ReadsAfterAChangeToAnyFileAndNotWhileOneIsGone) {
  int64_t now = 0;
  std::map<std::string, FileStamp> disk{{"scan.pat", {true, 100, 1}}, {"ref.xy", {true, 50, 1}}};
  FileFollower follower([&] { return now; }, [&](const std::string& path) { return disk[path]; });
  follower.Follow({"scan.pat", "ref.xy"});
  EXPECT_EQ(follower.Path(), "scan.pat");
  const auto settled = [&] {
    const bool early = follower.Check();
    now += kQuietMs;
    return !early && follower.Check();
  };
  EXPECT_FALSE(settled());
  disk["ref.xy"] = {true, 60, 2};
  EXPECT_TRUE(settled());
  follower.ReadDone();
  disk["ref.xy"] = {};
  EXPECT_FALSE(settled());
  disk["scan.pat"] = {true, 120, 3};  // the shown file changes while the other is gone
  EXPECT_FALSE(settled());
  disk["ref.xy"] = {true, 60, 4};
  EXPECT_TRUE(settled());
}

TEST(StatFileStamp, TellsAMissingFileFromAPresentOne) {
  EXPECT_FALSE(StatFileStamp("/nonexistent/korvelin/scan.pat").exists);
  const FileStamp root = StatFileStamp("/");
  EXPECT_TRUE(root.exists);
  EXPECT_GT(root.modified_ns, 0);
}

}  // namespace
}  // namespace korvelin::document
