#include "codec/RunDeflate.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>

namespace korvelin::codec {
namespace {

constexpr uint32_t kAdlerModulus = 65521;
// Tokens per block: a block's codes follow its own runs, and the token
// buffer stays 64 KiB however large the picture.
constexpr size_t kBlockTokens = 32768;
constexpr int kLiteralSymbols = 286;  // literals, end of block, 29 lengths
constexpr int kEndOfBlock = 256;
constexpr int kMaxCopy = 258;

constexpr std::array<uint16_t, 29> kLengthBase{3,  4,  5,  6,   7,   8,   9,   10,  11, 13,
                                               15, 17, 19, 23,  27,  31,  35,  43,  51, 59,
                                               67, 83, 99, 115, 131, 163, 195, 227, 258};
constexpr std::array<uint8_t, 29> kLengthExtraBits{0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                                   2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
// The order in which the lengths of the code-length code are sent.
constexpr std::array<uint8_t, 19> kCodeLengthOrder{16, 17, 18, 0, 8,  7, 9,  6, 10, 5,
                                                   11, 4,  12, 3, 13, 2, 14, 1, 15};

// The length code (0 .. 28) of each copy length 3 .. 258.
constexpr std::array<uint8_t, kMaxCopy + 1> kLengthCode = [] {
  std::array<uint8_t, kMaxCopy + 1> codes{};
  int code = 0;
  for (int length = 3; length <= kMaxCopy; ++length) {
    while (code + 1 < 29 && kLengthBase[code + 1] <= length) ++code;
    codes[length] = static_cast<uint8_t>(code);
  }
  return codes;
}();

// How many bytes from data on equal value, eight at a time.
size_t SameBytes(const uint8_t* data, size_t size, uint8_t value) {
  const uint64_t pattern = 0x0101010101010101ull * value;
  size_t at = 0;
  for (; at + 8 <= size; at += 8) {
    uint64_t word;
    std::memcpy(&word, data + at, 8);
    const uint64_t differ = word ^ pattern;
    if (differ != 0) {
      const int first = std::endian::native == std::endian::little ? std::countr_zero(differ)
                                                                   : std::countl_zero(differ);
      return at + static_cast<size_t>(first / 8);
    }
  }
  while (at < size && data[at] == value) ++at;
  return at;
}

using NodeArray = std::array<int, 2 * kLiteralSymbols>;

// The depth of each of count leaves in a Huffman tree over their weights,
// weight[0..count) lightest first. Two queues: the leaves in order of
// weight, and the inner nodes, which are made in order of weight too.
NodeArray LeafDepths(std::array<uint64_t, 2 * kLiteralSymbols>& weight, int count) {
  NodeArray parent{};
  int leaf = 0;
  int inner = count;
  auto lightest = [&](int made) {
    if (leaf < count && (inner >= made || weight[leaf] <= weight[inner])) return leaf++;
    return inner++;
  };
  const int nodes = 2 * count - 1;
  for (int made = count; made < nodes; ++made) {
    const int a = lightest(made);
    const int b = lightest(made);
    weight[made] = weight[a] + weight[b];
    parent[a] = parent[b] = made;
  }
  // Depths from the root down: a parent is always made after its children.
  NodeArray depth{};
  for (int node = nodes - 2; node >= 0; --node) depth[node] = depth[parent[node]] + 1;
  return depth;
}

// Codes cut to the limit oversubscribe it; lengthen shorter codes until
// the lengths fit exactly again. per_length[n] counts the codes of n bits.
void FitToLimit(NodeArray& per_length, int limit) {
  uint64_t total = 0;
  for (int length = 1; length <= limit; ++length) {
    total += static_cast<uint64_t>(per_length[length]) << (limit - length);
  }
  while (total > (uint64_t{1} << limit)) {
    --per_length[limit];
    for (int length = limit - 1; length > 0; --length) {
      if (per_length[length] != 0) {
        --per_length[length];
        per_length[length + 1] += 2;
        break;
      }
    }
    --total;
  }
}

}  // namespace

void CodeLengths(const uint32_t* frequency, int symbols, int limit, uint8_t* lengths) {
  symbols = std::clamp(symbols, 0, kLiteralSymbols);
  limit = std::clamp(limit, 1, 15);
  std::fill(lengths, lengths + symbols, uint8_t{0});
  std::array<uint16_t, kLiteralSymbols> used{};
  int count = 0;
  for (int s = 0; s < symbols; ++s) {
    if (frequency[s] != 0) used[count++] = static_cast<uint16_t>(s);
  }
  if (count == 0) return;
  if (count == 1) {
    lengths[used[0]] = 1;
    if (symbols > 1) lengths[used[0] == 0 ? 1 : 0] = 1;
    return;
  }
  // No code of count symbols is shorter than log2(count) bits.
  while ((1 << limit) < count) ++limit;
  std::stable_sort(used.begin(), used.begin() + count,
                   [&](uint16_t a, uint16_t b) { return frequency[a] < frequency[b]; });
  std::array<uint64_t, 2 * kLiteralSymbols> weight{};
  for (int i = 0; i < count; ++i) weight[i] = frequency[used[i]];
  const NodeArray depth = LeafDepths(weight, count);
  NodeArray per_length{};
  for (int i = 0; i < count; ++i) ++per_length[std::min(depth[i], limit)];
  FitToLimit(per_length, limit);
  // The most frequent symbols take the shortest codes.
  int next = count - 1;
  for (int length = 1; length <= limit; ++length) {
    for (int k = 0; k < per_length[length]; ++k)
      lengths[used[next--]] = static_cast<uint8_t>(length);
  }
}

namespace {

// The canonical codes of the lengths, bit-reversed: deflate sends a code's
// first bit first and the bit writer fills from the lowest bit.
void CanonicalCodes(const uint8_t* lengths, int symbols, uint16_t* codes) {
  std::array<uint16_t, 16> per_length{};
  for (int s = 0; s < symbols; ++s) ++per_length[lengths[s]];
  per_length[0] = 0;
  std::array<uint16_t, 16> next{};
  uint16_t code = 0;
  for (int length = 1; length < 16; ++length) {
    code = static_cast<uint16_t>((code + per_length[length - 1]) << 1);
    next[length] = code;
  }
  for (int s = 0; s < symbols; ++s) {
    const int length = lengths[s];
    if (length == 0) continue;
    uint16_t forward = next[length]++;
    uint16_t reversed = 0;
    for (int bit = 0; bit < length; ++bit, forward >>= 1) {
      reversed = static_cast<uint16_t>(reversed << 1 | (forward & 1));
    }
    codes[s] = reversed;
  }
}

// One symbol of the code-length alphabet and its extra bits.
struct LengthItem {
  uint8_t symbol;
  uint8_t extra;
};

// The code lengths as sent: runs of zeros as 17 and 18, repeats of the
// previous length as 16.
std::vector<LengthItem> RunsOfLengths(const uint8_t* lengths, int size) {
  std::vector<LengthItem> items;
  for (int at = 0; at < size;) {
    const uint8_t length = lengths[at];
    int run = 1;
    while (at + run < size && lengths[at + run] == length) ++run;
    at += run;
    int left = run;
    if (length == 0) {
      for (; left >= 11; left -= std::min(left, 138)) {
        items.push_back({18, static_cast<uint8_t>(std::min(left, 138) - 11)});
      }
      if (left >= 3) {
        items.push_back({17, static_cast<uint8_t>(left - 3)});
        left = 0;
      }
    } else {
      items.push_back({length, 0});
      for (--left; left >= 3; left -= std::min(left, 6)) {
        items.push_back({16, static_cast<uint8_t>(std::min(left, 6) - 3)});
      }
    }
    for (; left > 0; --left) items.push_back({length, 0});
  }
  return items;
}

}  // namespace

RunDeflate::RunDeflate(std::string& out) : out_(out) {
  tokens_.reserve(kBlockTokens);
  // Deflate with a 32 KiB window, fastest level; 0x7801 is a multiple of 31.
  out_.push_back(static_cast<char>(0x78));
  out_.push_back(static_cast<char>(0x01));
}

void RunDeflate::Feed(const uint8_t* data, size_t size) {
  if (size == 0) return;
  if (run_length_ == 0) run_byte_ = data[0];
  for (size_t at = 0;;) {
    const size_t same = SameBytes(data + at, size - at, run_byte_);
    run_length_ += same;
    at += same;
    if (at == size) return;
    EndRun();
    run_byte_ = data[at];
    run_length_ = 0;
  }
}

void RunDeflate::FeedRun(uint8_t value, uint64_t count) {
  if (count == 0) return;
  if (run_length_ != 0 && value != run_byte_) {
    EndRun();
    run_length_ = 0;
  }
  run_byte_ = value;
  run_length_ += count;
}

// The check of n bytes of value b at once: the low sum grows by n b, the
// high sum by n times the low sum plus b n (n + 1) / 2. Runs below 2^20
// bytes are summed as they are until 2^20 bytes have gone by: the sums then
// stay below 2^30 and 2^51, far from overflowing.
void RunDeflate::SumRun(uint64_t n, uint64_t b) {
  constexpr uint64_t kUnreduced = uint64_t{1} << 20;
  if (n < kUnreduced) {
    adler_high_ += n * adler_low_ + b * (n * (n + 1) / 2);
    adler_low_ += b * n;
    unreduced_ += n;
    if (unreduced_ >= kUnreduced) ReduceSums();
    return;
  }
  ReduceSums();
  const uint64_t n_mod = n % kAdlerModulus;
  const uint64_t triangle = n % 2 == 0 ? (n / 2 % kAdlerModulus) * ((n + 1) % kAdlerModulus)
                                       : n_mod * ((n + 1) / 2 % kAdlerModulus);
  adler_high_ = (adler_high_ + n_mod * adler_low_ + b * (triangle % kAdlerModulus)) % kAdlerModulus;
  adler_low_ = (adler_low_ + b * n_mod) % kAdlerModulus;
}

void RunDeflate::ReduceSums() {
  adler_low_ %= kAdlerModulus;
  adler_high_ %= kAdlerModulus;
  unreduced_ = 0;
}

void RunDeflate::EndRun() {
  SumRun(run_length_, run_byte_);
  Token(run_byte_);
  uint64_t left = run_length_ - 1;
  // Copies of up to 258 bytes; the one or two bytes a copy cannot take are
  // literals.
  while (left >= 3) {
    const uint64_t copy = std::min<uint64_t>(left, kMaxCopy);
    Token(static_cast<uint16_t>(256 + copy));
    left -= copy;
  }
  for (; left > 0; --left) Token(run_byte_);
}

void RunDeflate::Token(uint16_t token) {
  if (tokens_.size() == kBlockTokens) WriteBlock(false);
  tokens_.push_back(token);
}

void RunDeflate::Finish() {
  if (run_length_ > 0) EndRun();
  run_length_ = 0;
  WriteBlock(true);
  FlushBits();
  ReduceSums();
  const auto adler = static_cast<uint32_t>(adler_high_ << 16 | adler_low_);
  for (int shift = 24; shift >= 0; shift -= 8) out_.push_back(static_cast<char>(adler >> shift));
}

void RunDeflate::WriteBlock(bool last) {
  std::array<uint32_t, kLiteralSymbols> frequency{};
  for (uint16_t token : tokens_) {
    ++frequency[token < 256 ? token : 257 + kLengthCode[token - 256]];
  }
  frequency[kEndOfBlock] = 1;
  // Every copy reaches one byte back: the distance code has the one symbol.
  std::array<uint8_t, kLiteralSymbols + 1> lengths{};
  CodeLengths(frequency.data(), kLiteralSymbols, 15, lengths.data());
  int literal_count = kLiteralSymbols;
  while (literal_count > 257 && lengths[literal_count - 1] == 0) --literal_count;
  lengths[literal_count] = 1;  // distance code 0, one bit
  std::array<uint16_t, kLiteralSymbols> codes{};
  CanonicalCodes(lengths.data(), literal_count, codes.data());

  const std::vector<LengthItem> items = RunsOfLengths(lengths.data(), literal_count + 1);
  std::array<uint32_t, 19> item_frequency{};
  for (const LengthItem& item : items) ++item_frequency[item.symbol];
  std::array<uint8_t, 19> item_lengths{};
  CodeLengths(item_frequency.data(), 19, 7, item_lengths.data());
  std::array<uint16_t, 19> item_codes{};
  CanonicalCodes(item_lengths.data(), 19, item_codes.data());
  int order_count = 19;
  while (order_count > 4 && item_lengths[kCodeLengthOrder[order_count - 1]] == 0) --order_count;

  Bits(last ? 1 : 0, 1);
  Bits(2, 2);  // Huffman codes of the block's own
  Bits(static_cast<uint32_t>(literal_count - 257), 5);
  Bits(0, 5);  // one distance code
  Bits(static_cast<uint32_t>(order_count - 4), 4);
  for (int i = 0; i < order_count; ++i) Bits(item_lengths[kCodeLengthOrder[i]], 3);
  for (const LengthItem& item : items) {
    Bits(item_codes[item.symbol], item_lengths[item.symbol]);
    if (item.symbol == 16) Bits(item.extra, 2);
    if (item.symbol == 17) Bits(item.extra, 3);
    if (item.symbol == 18) Bits(item.extra, 7);
  }
  for (uint16_t token : tokens_) {
    if (token < 256) {
      Bits(codes[token], lengths[token]);
      continue;
    }
    const int copy = token - 256;
    const int code = kLengthCode[copy];
    Bits(codes[257 + code], lengths[257 + code]);
    if (kLengthExtraBits[code] != 0) {
      Bits(static_cast<uint32_t>(copy - kLengthBase[code]), kLengthExtraBits[code]);
    }
    Bits(0, 1);  // distance 1
  }
  Bits(codes[kEndOfBlock], lengths[kEndOfBlock]);
  tokens_.clear();
}

void RunDeflate::Bits(uint32_t value, int count) {
  bit_buffer_ |= static_cast<uint64_t>(value) << bit_count_;
  bit_count_ += count;
  if (bit_count_ >= 32) {
    const char bytes[4] = {static_cast<char>(bit_buffer_), static_cast<char>(bit_buffer_ >> 8),
                           static_cast<char>(bit_buffer_ >> 16),
                           static_cast<char>(bit_buffer_ >> 24)};
    out_.append(bytes, 4);
    bit_buffer_ >>= 32;
    bit_count_ -= 32;
  }
}

void RunDeflate::FlushBits() {
  for (; bit_count_ > 0; bit_count_ -= 8, bit_buffer_ >>= 8) {
    out_.push_back(static_cast<char>(bit_buffer_));
  }
  bit_count_ = 0;
  bit_buffer_ = 0;
}

std::string RunDeflateBytes(const uint8_t* data, size_t size) {
  std::string out;
  RunDeflate deflate(out);
  deflate.Feed(data, size);
  deflate.Finish();
  return out;
}

}  // namespace korvelin::codec
