// The reader's byte feeding: chunk boundaries anywhere in a line or a line
// end, and read errors at a chosen read, through a fake source.

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "FailingSource.h"
#include "document/DocumentJson.h"
#include "document/IgorReader.h"
#include "document/LineFeeder.h"

namespace korvelin::document {
namespace {

// Every kind of line end, a split-worthy number, a command after the block
// and a last line without an end.
const std::string kText =
    "IGOR\r\nWAVES/D x, y\r\nBEGIN\r\n1.25\t-3e2\r\n2.5 7\n3.75 8\r4 9\r\nEND\r\n"
    "X Display y vs x\r\nX SetAxis bottom 0, 5\r\nX ModifyGraph rgb(y)=(65535,0,0)";

std::string DumpOf(ByteSource& source, size_t chunk, LoadResult* result = nullptr) {
  auto doc = std::make_unique<GraphDocument>();
  LoadResult loaded = LoadPatternSource(*doc, source, chunk);
  if (result) *result = loaded;
  return DumpDocumentJson(*doc);
}

// Serves the first `split` bytes in one read and the rest in the next.
class SplitSource : public ByteSource {
 public:
  SplitSource(std::string_view text, size_t split) : text_(text), split_(split) {}
  ptrdiff_t Read(char* buffer, size_t size, int&) override {
    size_t n = std::min(size, text_.size());
    if (served_ < split_) n = std::min(n, split_ - served_);
    std::memcpy(buffer, text_.data(), n);
    text_.remove_prefix(n);
    served_ += n;
    return static_cast<ptrdiff_t>(n);
  }

 private:
  std::string_view text_;
  size_t split_;
  size_t served_ = 0;
};

TEST(LineFeeder, EverySplitOfTheTextReadsAsTheWholeText) {
  MemoryByteSource whole(kText);
  const std::string expected = DumpOf(whole, kReadChunk);
  ASSERT_NE(expected.find("\"count\": 4"), std::string::npos) << expected;
  for (size_t split = 1; split < kText.size(); ++split) {
    SplitSource source(kText, split);
    EXPECT_EQ(DumpOf(source, kReadChunk), expected) << "split after byte " << split;
  }
  for (size_t chunk = 1; chunk <= 16; ++chunk) {
    MemoryByteSource source(kText, chunk);
    EXPECT_EQ(DumpOf(source, chunk), expected) << "buffer of " << chunk;
  }
}

// Rows of plain numbers are taken in bulk from whole chunks; every other row
// goes line by line. Each row kind below, read whole, split anywhere, and a
// byte at a time (where no row is ever whole in a chunk), loads the same.
TEST(LineFeeder, RowsTakenInBulkLoadAsRowsReadLineByLine) {
  const std::string text =
      "IGOR\nWAVES a b\nBEGIN\n1 2\r\n3\t4\n5 6\r7 8 9\r\n+1 2\n1e3 4\n\r\n"
      "  -0.5 , 6.25 \r\n.5 5.\n12345678901234567890 1\n9 x\n10\n-0 (7)\nEND\r\n"
      "WAVES c1 c2 c3 c4 c5 c6 c7 c8 c9\nBEGIN\n1 2 3 4 5 6 7 8 9\n9 8 7 6 5 4 3 2 1\nEND\n"
      "WAVES d e f\nBEGIN\n1 2 3\n4 5 6\x1a"
      "7 8 9\n";
  MemoryByteSource whole(text);
  const std::string expected = DumpOf(whole, kReadChunk);
  auto doc = std::make_unique<GraphDocument>();
  ASSERT_TRUE(LoadPatternText(*doc, text).accepted());
  // a: 1 3 5 7 1 1000 0 -0.5 0.5 12345678901234567890 9 10 -0, then the last block.
  ASSERT_EQ(doc->Waves[0].count, 13);
  EXPECT_EQ(GetValue(doc->Values, 2 * 7), -0.5);
  EXPECT_EQ(GetValue(doc->Values, 2 * 7 + 1), 6.25);
  EXPECT_EQ(GetValue(doc->Values, 2 * 9), 12345678901234567890.0);
  EXPECT_EQ(GetValue(doc->Values, 2 * 10 + 1), 0);  // "x"
  EXPECT_EQ(doc->Waves[13].count, 2);               // the row after code 26 is not read
  for (size_t split = 1; split < text.size(); ++split) {
    SplitSource source(text, split);
    ASSERT_EQ(DumpOf(source, kReadChunk), expected) << "split after byte " << split;
  }
  MemoryByteSource bytewise(text, 1);
  EXPECT_EQ(DumpOf(bytewise, 1), expected);
}

TEST(LineFeeder, AReadErrorKeepsTheLinesBeforeItAndSaysWhy) {
  // 6 bytes of header, then 13-byte reads: "WAVES/D x, y\r" and "\nBEGIN\r\n1.25\t-"
  // come in before the third read of the loop fails, which cuts the first row.
  auto doc = std::make_unique<GraphDocument>();
  FailingSource source(kText, 13, 4, EIO, 1);
  const LoadResult result = LoadPatternSource(*doc, source, 13);
  EXPECT_EQ(result.status, LoadStatus::Incomplete);
  EXPECT_TRUE(result.accepted());
  EXPECT_EQ(result.reason, "Input/output error");
  EXPECT_EQ(doc->WaveCount, 2);
  EXPECT_EQ(doc->ValueCount, 0) << "the row the error cut is not stored";
  EXPECT_TRUE(doc->InBlock);
  EXPECT_EQ(doc->AxisHistory[15], doc->AxisRange);
}

TEST(LineFeeder, AReadErrorAtTheFirstReadRejectsTheFile) {
  auto doc = std::make_unique<GraphDocument>();
  doc->WaveCount = 3;
  FailingSource source(kText, 13, 1, EIO, 1);
  const LoadResult result = LoadPatternSource(*doc, source, 13);
  EXPECT_EQ(result.status, LoadStatus::CannotOpen);
  EXPECT_EQ(result.reason, "Input/output error");
  EXPECT_EQ(doc->WaveCount, 3);
}

TEST(LineFeeder, EagainIsWaitedOutAndOnlyASourceThatStaysUnreadyFails) {
  MemoryByteSource whole(kText);
  const std::string expected = DumpOf(whole, kReadChunk);
  FailingSource brief(kText, 7, 3, EAGAIN, 5);
  LoadResult result;
  EXPECT_EQ(DumpOf(brief, 7, &result), expected);
  EXPECT_EQ(result.status, LoadStatus::Loaded);
  EXPECT_EQ(brief.waits, 5);

  FailingSource stuck(kText, 7, 3, EAGAIN, 1 << 20);
  DumpOf(stuck, 7, &result);
  EXPECT_EQ(result.status, LoadStatus::Incomplete);
  EXPECT_EQ(result.reason, std::strerror(EAGAIN));
}

TEST(LineFeeder, ALongLineBelowTheBoundIsReadWhole) {
  // A million graph items on one line, across many chunks.
  std::string text = "IGOR\r\nWAVES/D a\r\nBEGIN\r\n1\r\nEND\r\nX ModifyGraph";
  for (int i = 0; i < 1000000; ++i) text += " msize(a)=" + std::to_string(i % 10);
  text += "\r\n";
  auto doc = std::make_unique<GraphDocument>();
  EXPECT_EQ(LoadPatternText(*doc, text).status, LoadStatus::Loaded);
  EXPECT_EQ(doc->Waves[0].msize, 9);
}

}  // namespace
}  // namespace korvelin::document
