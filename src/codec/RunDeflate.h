#pragma once
// A zlib stream (a deflate stream with its two-byte header and Adler-32
// check) made of runs: each run of one byte value becomes that byte and
// copies of the byte before it. A plot's rows are long runs of the
// background broken by a few trace and text pixels, so this finds what a
// general compressor would find in a small fraction of its time: runs are
// found eight bytes at a time, the check is summed per run, and each block
// gets Huffman codes made for its own runs.
//
// Bytes are fed in pieces of any size (a picture row by row); a run may
// span pieces. Which bytes are fed (the PNG rows and their filters) is the
// caller's; the file around the stream is PngChunks'.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace korvelin::codec {

class RunDeflate {
 public:
  // Appends the stream to out as it is made.
  explicit RunDeflate(std::string& out);

  void Feed(const uint8_t* data, size_t size);
  // count bytes of value, as Feed of that many would.
  void FeedRun(uint8_t value, uint64_t count);
  // Ends the stream: the last block and the check. Feed no more after it.
  void Finish();

 private:
  void EndRun();
  void Token(uint16_t token);
  void WriteBlock(bool last);
  void Bits(uint32_t value, int count);
  void FlushBits();

  std::string& out_;
  std::vector<uint16_t> tokens_;  // < 256 a literal, else 256 + length of a copy
  uint64_t bit_buffer_ = 0;
  int bit_count_ = 0;
  void SumRun(uint64_t length, uint64_t value);
  void ReduceSums();

  // The check's two sums, reduced modulo 65521 only every megabyte or so.
  uint64_t adler_low_ = 1;
  uint64_t adler_high_ = 0;
  uint64_t unreduced_ = 0;  // bytes summed since the last reduction
  uint8_t run_byte_ = 0;
  uint64_t run_length_ = 0;  // 0 before the first byte
};

// The zlib stream of size bytes at data, in one call.
std::string RunDeflateBytes(const uint8_t* data, size_t size);

// Huffman code lengths for the frequencies of symbols (at most 286), none
// longer than limit (at most 15); unused symbols get 0. Two or more
// symbols always make a complete code; a lone symbol is paired with
// another of length 1 (in an alphabet of one, it is the one code). A limit too short for the number
// of used symbols (more than 2^limit) is raised to the shortest that has room for them.
void CodeLengths(const uint32_t* frequency, int symbols, int limit, uint8_t* lengths);

}  // namespace korvelin::codec
