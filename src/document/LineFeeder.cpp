#include "document/LineFeeder.h"

#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

namespace korvelin::document {
namespace {

// A source that keeps answering EAGAIN is given this many waits before its
// read counts as failed; a file waits up to a second each time.
constexpr int kAgainLimit = 32;

}  // namespace

ptrdiff_t FileByteSource::Read(char* buffer, size_t size, int& error) {
  ssize_t got;
  do {
    got = read(fd_, buffer, size);
  } while (got < 0 && errno == EINTR);
  if (got < 0) error = errno;
  return got;
}

void FileByteSource::WaitReadable() {
  pollfd one{fd_, POLLIN, 0};
  poll(&one, 1, 1000);
}

ptrdiff_t MemoryByteSource::Read(char* buffer, size_t size, int&) {
  std::string_view bytes;
  Borrow(size, bytes);
  std::memcpy(buffer, bytes.data(), bytes.size());
  return static_cast<ptrdiff_t>(bytes.size());
}

bool MemoryByteSource::Borrow(size_t size, std::string_view& bytes) {
  size_t n = std::min(size, text_.size());
  if (chunk_ > 0) n = std::min(n, chunk_);
  bytes = text_.substr(0, n);
  text_.remove_prefix(n);
  return true;
}

// EAGAIN is no end of file: the source is waited for and asked again, and
// only a source that stays unready fails.
static ptrdiff_t ReadSome(ByteSource& source, char* buffer, size_t size, int& error) {
  for (int again = 0;; ++again) {
    error = 0;
    const ptrdiff_t got = source.Read(buffer, size, error);
    if (got >= 0 || (error != EAGAIN && error != EWOULDBLOCK) || again == kAgainLimit) return got;
    source.WaitReadable();
  }
}

ptrdiff_t ReadFull(ByteSource& source, char* buffer, size_t size, int& error) {
  size_t total = 0;
  while (total < size) {
    const ptrdiff_t got = ReadSome(source, buffer + total, size - total, error);
    if (got < 0) return -1;
    if (got == 0) break;
    total += static_cast<size_t>(got);
  }
  return static_cast<ptrdiff_t>(total);
}

FeedOutcome ReadLoop(ByteSource& source, std::string_view already_read, size_t chunk,
                     bool (*feed)(void* feeder, std::string_view bytes), void* feeder) {
  if (!feed(feeder, already_read)) return {};
  if (chunk == 0) chunk = kReadChunk;
  for (std::string_view lent; source.Borrow(chunk, lent);) {
    if (lent.empty() || !feed(feeder, lent)) return {};
  }
  // One buffer per thread, kept from file to file: a series of files is
  // read without mapping and zeroing a quarter megabyte for each.
  thread_local std::vector<char> buffer;
  if (buffer.size() < chunk) buffer.resize(chunk);
  for (;;) {
    int error = 0;
    const ptrdiff_t got = ReadSome(source, buffer.data(), chunk, error);
    if (got == 0) return {};
    if (got < 0) return {false, SystemReason(error)};
    if (!feed(feeder, std::string_view(buffer.data(), static_cast<size_t>(got)))) return {};
  }
}

std::string LineTooLongReason(int64_t line_number) {
  return "line " + std::to_string(line_number) + " is longer than " +
         std::to_string(kMaxLineBytes >> 20) + " MiB; the rest of the file is not read";
}

}  // namespace korvelin::document
