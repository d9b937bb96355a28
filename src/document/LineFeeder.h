#pragma once
// Turns the bytes of a pattern file into lines. A line ends at CR, CR LF or
// a lone LF; code 26 ends the line and the file; the last line needs no line
// end. Bytes come from a ByteSource (the file, a text in memory, or a test's
// fake that fails on demand) in chunks of any size, and a line split between
// two chunks is carried over whole. A read error or a line longer than
// kMaxLineBytes ends the feeding with a reason; what the lines mean is the
// caller's business.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "document/Status.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace korvelin::document {

inline constexpr char kEndOfFile = 26;

// A line may be as long as a graph command of a million items (about 20 MB);
// a longer one is no pattern file, and holding it would cost memory in
// proportion to the file.
inline constexpr size_t kMaxLineBytes = size_t{64} << 20;

// Where the bytes come from.
class ByteSource {
 public:
  virtual ~ByteSource() = default;
  // Reads up to size bytes: the count read, 0 at the end, or -1 with the
  // system's error number in `error`.
  virtual ptrdiff_t Read(char* buffer, size_t size, int& error) = 0;
  // Called after a read answered EAGAIN, before it is tried again; a file
  // waits until it can be read.
  virtual void WaitReadable() {}
  // A source that holds its bytes in memory lends the next ones (at most
  // size, none at the end) without a copy and returns true; others are read.
  virtual bool Borrow(size_t /*size*/, std::string_view& /*bytes*/) { return false; }
};

// Reads an open file descriptor; interrupted reads are retried. The caller
// keeps the descriptor.
class FileByteSource : public ByteSource {
 public:
  explicit FileByteSource(int fd) : fd_(fd) {}
  ptrdiff_t Read(char* buffer, size_t size, int& error) override;
  void WaitReadable() override;

 private:
  int fd_;
};

// Serves a text held in memory, at most `chunk` bytes per read (all of it
// when chunk is 0), so a test can split a text at every position.
class MemoryByteSource : public ByteSource {
 public:
  explicit MemoryByteSource(std::string_view text, size_t chunk = 0) : text_(text), chunk_(chunk) {}
  ptrdiff_t Read(char* buffer, size_t size, int& error) override;
  bool Borrow(size_t size, std::string_view& bytes) override;

 private:
  std::string_view text_;
  size_t chunk_;
};

// Reads until size bytes are in, the source ends, or it fails (-1, error set).
// EAGAIN is waited out as a read that reads nothing.
ptrdiff_t ReadFull(ByteSource& source, char* buffer, size_t size, int& error);

// How a feeding ended.
struct FeedOutcome {
  bool complete = true;  // the source ended (or code 26 ended the file)
  std::string reason;    // why it did not, when not complete
};

// The first CR, LF or code 26 at or after p, or end. Data lines are short
// and many, so sixteen bytes are tested at a time where the processor can.
inline const char* FindLineEnd(const char* p, const char* end) {
#if defined(__SSE2__)
  const __m128i cr = _mm_set1_epi8('\r');
  const __m128i lf = _mm_set1_epi8('\n');
  const __m128i eof = _mm_set1_epi8(kEndOfFile);
  while (end - p >= 16) {
    __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    __m128i hits = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(bytes, cr), _mm_cmpeq_epi8(bytes, lf)),
                                _mm_cmpeq_epi8(bytes, eof));
    int mask = _mm_movemask_epi8(hits);
    if (mask != 0) return p + __builtin_ctz(static_cast<unsigned>(mask));
    p += 16;
  }
#endif
  while (p < end && *p != '\r' && *p != '\n' && *p != kEndOfFile) ++p;
  return p;
}

// Steps q past a row's line end when it lies wholly inside the bytes: LF,
// CR LF, or CR followed by any other byte. Returns false, q unchanged, for
// anything else and for a CR that ends the bytes, whose LF may be the next
// chunk's first byte. For sinks that take rows straight from the bytes.
inline bool SkipRowEnd(const char*& q, const char* end) {
  if (q < end && *q == '\n') {
    ++q;
    return true;
  }
  if (q + 1 < end && *q == '\r') {
    q += q[1] == '\n' ? 2 : 1;
    return true;
  }
  return false;
}

// Feeds complete lines to sink(std::string_view), carrying a line that is
// split between two chunks. A sink with a member
// `const char* TakeLines(const char* p, const char* end, int64_t& lines)`
// is first offered the bytes of each chunk from a line's start: it handles
// the whole lines it can, adds their number to lines and returns the start
// of the first line it left (p when none).
template <class Sink>
class LineFeeder {
 public:
  explicit LineFeeder(Sink& sink) : sink_(sink) {}

  // Returns false once code 26 has ended the file or a line grew too long.
  bool Feed(std::string_view chunk) {
    const char* p = chunk.data();
    const char* end = p + chunk.size();
    if (skip_lf_ && p < end) {
      if (*p == '\n') ++p;
      skip_lf_ = false;
    }
    while (p < end) {
      if constexpr (requires(int64_t & lines) { sink_.TakeLines(p, end, lines); }) {
        // A sink may take whole lines straight from the bytes, as many as
        // it can, before they are split; it gets each line it leaves.
        if (carry_.empty()) {
          p = sink_.TakeLines(p, end, lines_);
          if (p == end) break;
        }
      }
      const char* line_end = FindLineEnd(p, end);
      if (line_end == end) return Carry(std::string_view(p, static_cast<size_t>(end - p)));
      if (!Emit(std::string_view(p, static_cast<size_t>(line_end - p)))) return false;
      if (*line_end == kEndOfFile) return false;
      p = line_end + 1;
      if (*line_end == '\r') {
        if (p == end) {
          skip_lf_ = true;
        } else if (*p == '\n') {
          ++p;
        }
      }
    }
    return true;
  }

  // The last line needs no line end.
  void Finish() {
    if (!carry_.empty()) sink_(std::string_view(carry_));
    carry_.clear();
  }

  bool TooLong() const { return too_long_; }
  // Lines handed to the sink so far; the line being carried is the next one.
  int64_t Lines() const { return lines_; }

 private:
  bool Carry(std::string_view piece) {
    if (carry_.size() + piece.size() > kMaxLineBytes) {
      too_long_ = true;
      carry_.clear();
      carry_.shrink_to_fit();
      return false;
    }
    carry_.append(piece);
    return true;
  }

  bool Emit(std::string_view piece) {
    ++lines_;
    if (carry_.empty()) {
      sink_(piece);
      return true;
    }
    if (!Carry(piece)) return false;
    sink_(std::string_view(carry_));
    carry_.clear();
    return true;
  }

  Sink& sink_;
  std::string carry_;
  bool skip_lf_ = false;
  bool too_long_ = false;
  int64_t lines_ = 0;
};

// The chunk size the reader reads a file in.
inline constexpr size_t kReadChunk = size_t{1} << 18;

// Feeds `already_read` and then the rest of the source to sink, reading
// `chunk` bytes at a time. A read error stops the feeding: the lines before
// it have been passed on, the line it cut is dropped, and the outcome names
// the system's reason. A line over kMaxLineBytes stops it likewise, named by
// its number counted after `lines_before` lines the caller took itself.
template <class Sink>
FeedOutcome FeedLines(ByteSource& source, std::string_view already_read, Sink& sink,
                      int64_t lines_before = 0, size_t chunk = kReadChunk);

// Implementation of the read loop shared by every sink.
FeedOutcome ReadLoop(ByteSource& source, std::string_view already_read, size_t chunk,
                     bool (*feed)(void* feeder, std::string_view bytes), void* feeder);
std::string LineTooLongReason(int64_t line_number);

template <class Sink>
FeedOutcome FeedLines(ByteSource& source, std::string_view already_read, Sink& sink,
                      int64_t lines_before, size_t chunk) {
  LineFeeder<Sink> feeder(sink);
  auto feed = [](void* f, std::string_view bytes) {
    return static_cast<LineFeeder<Sink>*>(f)->Feed(bytes);
  };
  FeedOutcome outcome = ReadLoop(source, already_read, chunk, feed, &feeder);
  if (feeder.TooLong()) return {false, LineTooLongReason(lines_before + feeder.Lines() + 1)};
  if (outcome.complete) feeder.Finish();
  return outcome;
}

}  // namespace korvelin::document
