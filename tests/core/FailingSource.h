#pragma once
// A byte source for tests of read errors: it serves a text in chunks and
// fails at a chosen read, as a disk or a network share may.

#include <algorithm>
#include <cstring>
#include <string_view>

#include "document/LineFeeder.h"

namespace korvelin::document {

// Serves `chunk` bytes per read; read number `fail_at` (from 1) fails with
// `error` `failures` times before reading goes on.
class FailingSource : public ByteSource {
 public:
  FailingSource(std::string_view text, size_t chunk, int fail_at, int error, int failures)
      : text_(text), chunk_(chunk), fail_at_(fail_at), error_(error), failures_(failures) {}
  ptrdiff_t Read(char* buffer, size_t size, int& error) override {
    if (++reads_ >= fail_at_ && failures_ > 0) {
      --failures_;
      error = error_;
      return -1;
    }
    const size_t n = std::min({size, chunk_, text_.size()});
    std::memcpy(buffer, text_.data(), n);
    text_.remove_prefix(n);
    return static_cast<ptrdiff_t>(n);
  }
  void WaitReadable() override { ++waits; }
  int waits = 0;

 private:
  std::string_view text_;
  size_t chunk_;
  int reads_ = 0;
  int fail_at_;
  int error_;
  int failures_;
};

}  // namespace korvelin::document
