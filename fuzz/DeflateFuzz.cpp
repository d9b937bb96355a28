// Feeds arbitrary bytes to the PNG rows' compressor, in pieces and runs
// whose sizes come from the input, and reads the stream back with zlib:
// it must inflate, with its check, to exactly the bytes fed. The same input,
// taken as symbol frequencies, must give Huffman codes within their length
// limit that are complete.

#include <zlib.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "codec/RunDeflate.h"

namespace {

using korvelin::codec::CodeLengths;
using korvelin::codec::RunDeflate;

[[noreturn]] void Fail(const char* what, long long a) {
  std::fprintf(stderr, "DeflateFuzz: %s (%lld)\n", what, a);
  std::abort();
}

void CheckCodes(const uint8_t* data, size_t size) {
  uint32_t frequency[286] = {};
  const int symbols = static_cast<int>(size < 286 ? size : 286);
  for (int s = 0; s < symbols; ++s) frequency[s] = data[s] * 1u << (data[s] % 24);
  for (int limit : {7, 15}) {
    // 2^limit codes at most: the limit is raised for more symbols.
    int used_symbols = 0;
    for (int s = 0; s < symbols; ++s) used_symbols += frequency[s] != 0;
    while ((1 << limit) < used_symbols) ++limit;
    uint8_t lengths[286];
    CodeLengths(frequency, symbols, limit, lengths);
    uint64_t kraft = 0;  // in units of 2^-15
    int used = 0;
    for (int s = 0; s < symbols; ++s) {
      if (lengths[s] > limit) Fail("code longer than its limit", lengths[s]);
      if (frequency[s] != 0 && lengths[s] == 0) Fail("used symbol without a code", s);
      if (frequency[s] != 0) ++used;
      if (lengths[s] != 0) kraft += uint64_t{1} << (15 - lengths[s]);
    }
    const uint64_t whole = uint64_t{1} << 15;
    if (used > 0 && kraft != (symbols == 1 ? whole / 2 : whole)) {
      Fail("incomplete code", static_cast<long long>(kraft));
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  CheckCodes(data, size);
  // The first byte chooses the piece size; bytes with the top bit set in
  // the second half are fed as runs of (value, length) pairs instead.
  std::vector<uint8_t> fed;
  std::string stream;
  {
    RunDeflate deflate(stream);
    const size_t piece = size > 0 ? data[0] % 64 + 1 : 1;
    const size_t half = size / 2;
    for (size_t at = 1; at < half; at += piece) {
      const size_t n = at + piece <= half ? piece : half - at;
      deflate.Feed(data + at, n);
      fed.insert(fed.end(), data + at, data + at + n);
    }
    // Long runs (up to 255,000 bytes) cross the copy length and the
    // check's lazy reduction; 4 MiB in all keeps every run quick.
    for (size_t at = half; at + 1 < size && fed.size() < (size_t{1} << 22); at += 2) {
      const uint64_t length = uint64_t{data[at + 1]} * (data[at + 1] > 200 ? 1000 : 1);
      deflate.FeedRun(data[at], length);
      fed.insert(fed.end(), length, data[at]);
    }
    deflate.Finish();
  }
  std::vector<uint8_t> back(fed.size() + 1);
  uLongf back_size = static_cast<uLongf>(back.size());
  const int status =
      uncompress(back.data(), &back_size, reinterpret_cast<const Bytef*>(stream.data()),
                 static_cast<uLong>(stream.size()));
  if (status != Z_OK) Fail("stream does not inflate", status);
  if (back_size != fed.size()) Fail("inflated size differs", static_cast<long long>(back_size));
  if (!fed.empty() && std::memcmp(back.data(), fed.data(), fed.size()) != 0) {
    Fail("inflated bytes differ", 0);
  }
  return 0;
}
