// The run compressor against zlib, which reads every stream back and checks
// its sum: many inputs of the shapes a picture has (runs of every length,
// noise, skewed colours) and of the shapes that stress the codes.

#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "codec/RunDeflate.h"

namespace korvelin::codec {
namespace {

std::vector<uint8_t> Inflate(const std::string& stream, size_t expected_size) {
  std::vector<uint8_t> out(expected_size + 1);
  uLongf size = static_cast<uLongf>(out.size());
  const int status = uncompress(out.data(), &size, reinterpret_cast<const Bytef*>(stream.data()),
                                static_cast<uLong>(stream.size()));
  EXPECT_EQ(status, Z_OK);
  out.resize(status == Z_OK ? size : 0);
  return out;
}

// zlib's own run-length setting at its fastest level: the size to match.
size_t ZlibRunLengthSize(const std::vector<uint8_t>& data) {
  z_stream z{};
  deflateInit2(&z, 1, Z_DEFLATED, 15, 8, Z_RLE);
  std::vector<uint8_t> out(deflateBound(&z, static_cast<uLong>(data.size())));
  z.next_in = const_cast<Bytef*>(data.data());
  z.avail_in = static_cast<uInt>(data.size());
  z.next_out = out.data();
  z.avail_out = static_cast<uInt>(out.size());
  deflate(&z, Z_FINISH);
  const size_t size = z.total_out;
  deflateEnd(&z);
  return size;
}

// Feeds data in pieces of random sizes, as a picture is fed row by row.
std::string DeflateInPieces(const std::vector<uint8_t>& data, std::mt19937& random) {
  std::string out;
  RunDeflate deflate(out);
  for (size_t at = 0; at < data.size();) {
    const size_t piece = std::min(data.size() - at, size_t{random() % 700});
    deflate.Feed(data.data() + at, piece);
    at += piece;
  }
  deflate.Finish();
  return out;
}

// Runs of a few colours over a background, like plot rows: long white runs,
// short trace runs, single text pixels.
std::vector<uint8_t> PictureLike(std::mt19937& random, size_t size, int colours) {
  std::vector<uint8_t> data;
  while (data.size() < size) {
    const int kind = static_cast<int>(random() % 10);
    const size_t run = kind < 5 ? random() % 2000 + 1 : kind < 8 ? random() % 8 + 1 : 1;
    const uint8_t value = kind < 5 ? 0 : static_cast<uint8_t>(random() % colours);
    data.insert(data.end(), std::min(run, size - data.size()), value);
  }
  return data;
}

TEST(RunDeflate, EveryStreamReadsBackAsItsInput) {
  std::mt19937 random(2026);
  for (int example = 0; example < 400; ++example) {
    std::vector<uint8_t> data;
    const size_t size = random() % 200000;
    switch (example % 4) {
      case 0:
        data = PictureLike(random, size, 2 + static_cast<int>(random() % 255));
        break;
      case 1:  // noise: every byte a literal, all 256 values
        for (size_t i = 0; i < size; ++i) data.push_back(static_cast<uint8_t>(random()));
        break;
      case 2:  // two values: the shortest codes
        for (size_t i = 0; i < size; ++i) data.push_back(static_cast<uint8_t>(random() % 2));
        break;
      default:  // one run of a random length
        data.assign(size, static_cast<uint8_t>(random()));
        break;
    }
    const std::string stream = DeflateInPieces(data, random);
    ASSERT_EQ(Inflate(stream, data.size()), data) << "example " << example;
    if (example % 4 == 0 && size > 10000) {
      // As small as zlib's run-length setting, within a few per cent.
      EXPECT_LE(stream.size(), ZlibRunLengthSize(data) * 105 / 100) << "example " << example;
    }
  }
}

TEST(RunDeflate, RunsFedAsRunsMakeTheSameStreamAsTheirBytes) {
  std::mt19937 random(8);
  for (int example = 0; example < 100; ++example) {
    std::string by_runs;
    RunDeflate runs(by_runs);
    std::vector<uint8_t> bytes;
    for (int run = 0; run < 200; ++run) {
      // Repeated values join the run before; empty runs change nothing.
      const uint8_t value = static_cast<uint8_t>(random() % 4);
      const uint64_t count = random() % 5 == 0 ? 0 : random() % 3000;
      runs.FeedRun(value, count);
      bytes.insert(bytes.end(), count, value);
    }
    runs.Finish();
    ASSERT_EQ(by_runs, RunDeflateBytes(bytes.data(), bytes.size())) << "example " << example;
  }
}

TEST(RunDeflate, RunsOfEveryLengthAroundTheLongestCopy) {
  // 258 is the longest copy: runs past it end in shorter copies or in one
  // or two literals; each run follows a different value.
  std::vector<uint8_t> data;
  for (size_t run = 1; run <= 1100; ++run) data.insert(data.end(), run, static_cast<uint8_t>(run));
  EXPECT_EQ(Inflate(RunDeflateBytes(data.data(), data.size()), data.size()), data);
}

TEST(RunDeflate, EdgesOfTheInput) {
  EXPECT_TRUE(Inflate(RunDeflateBytes(nullptr, 0), 0).empty());
  const uint8_t one = 0xAB;
  EXPECT_EQ(Inflate(RunDeflateBytes(&one, 1), 1), std::vector<uint8_t>{0xAB});
  // A run of 40 million bytes: several blocks, and the check summed in one
  // step over a count far past the sum's modulus.
  const std::vector<uint8_t> long_run(40'000'000, 0xFF);
  const std::string stream = RunDeflateBytes(long_run.data(), long_run.size());
  EXPECT_LT(stream.size(), 40'000'000u / 200);
  EXPECT_EQ(Inflate(stream, long_run.size()), long_run);
  // 3 MB of short runs: the check is summed lazily and reduced on the way.
  std::mt19937 random(3);
  std::vector<uint8_t> short_runs;
  while (short_runs.size() < 3'000'000)
    short_runs.insert(short_runs.end(), random() % 9 + 1, random());
  EXPECT_EQ(Inflate(RunDeflateBytes(short_runs.data(), short_runs.size()), short_runs.size()),
            short_runs);
}

TEST(RunDeflate, SkewedColoursNeedCodesCutToFifteenBits) {
  // Colour k appears Fibonacci(k) times: a plain Huffman code would be 24
  // bits deep.
  std::vector<uint8_t> data;
  uint32_t a = 1, b = 1;
  for (int colour = 0; colour < 25; ++colour) {
    for (uint32_t i = 0; i < a; ++i) data.push_back(static_cast<uint8_t>(colour));
    const uint32_t next = a + b;
    a = b;
    b = next;
  }
  std::mt19937 random(5);
  std::shuffle(data.begin(), data.end(), random);
  EXPECT_EQ(Inflate(RunDeflateBytes(data.data(), data.size()), data.size()), data);
}

// Every code: no longer than the limit, a length for every used symbol and
// none for the others, and complete (the Kraft sum is exactly one).
TEST(CodeLengths, LimitedCompleteCodesForManyFrequencies) {
  std::mt19937 random(11);
  for (int example = 0; example < 2000; ++example) {
    const int symbols = 2 + static_cast<int>(random() % 285);
    const int limit = example % 2 == 0 ? 15 : 7;
    if (limit == 7 && symbols > 128) continue;
    std::vector<uint32_t> frequency(static_cast<size_t>(symbols));
    uint32_t fibonacci_a = 1, fibonacci_b = 1;
    for (uint32_t& f : frequency) {
      switch (example % 3) {
        case 0:
          f = random() % 3 == 0 ? 0 : random() % 100000;
          break;
        case 1:
          f = fibonacci_a;
          fibonacci_a = fibonacci_b;
          fibonacci_b += f;
          break;
        default:
          f = random() % 2;
          break;
      }
    }
    std::vector<uint8_t> lengths(frequency.size());
    CodeLengths(frequency.data(), symbols, limit, lengths.data());
    int used = 0;
    double kraft = 0;
    for (int s = 0; s < symbols; ++s) {
      ASSERT_LE(lengths[s], limit);
      if (frequency[s] != 0) {
        ++used;
        ASSERT_GT(lengths[s], 0) << "symbol " << s;
      }
      if (lengths[s] != 0) kraft += std::ldexp(1.0, -lengths[s]);
    }
    if (used >= 1) {
      EXPECT_DOUBLE_EQ(kraft, 1.0) << "example " << example;
    }
  }
  // An alphabet of one symbol: its one code, and nothing written past it.
  const uint32_t lone = 5;
  uint8_t lengths[2] = {0, 77};
  CodeLengths(&lone, 1, 15, lengths);
  EXPECT_EQ(lengths[0], 1);
  EXPECT_EQ(lengths[1], 77);
  // 200 symbols cannot have codes of 7 bits: the limit gives way to 8.
  std::vector<uint32_t> many(200, 1);
  std::vector<uint8_t> many_lengths(200);
  CodeLengths(many.data(), 200, 7, many_lengths.data());
  for (uint8_t length : many_lengths) EXPECT_TRUE(length == 7 || length == 8) << int{length};
}

}  // namespace
}  // namespace korvelin::codec
