#include "document/FileFollower.h"

#include <sys/stat.h>

#include <algorithm>
#include <utility>

namespace korvelin::document {

FileStamp StatFileStamp(const std::string& path) {
  struct stat info {};
  if (stat(path.c_str(), &info) != 0) return {};
  return {true, static_cast<int64_t>(info.st_size),
          static_cast<int64_t>(info.st_mtim.tv_sec) * 1'000'000'000 + info.st_mtim.tv_nsec};
}

FileFollower::FileFollower(Clock clock, Look look)
    : clock_(std::move(clock)), look_(std::move(look)) {}

void FileFollower::Follow(const std::string& path) {
  path_ = path;
  seen_ = look_(path_);
  pending_ = false;
}

void FileFollower::Stop() {
  path_.clear();
  pending_ = false;
}

// A look that differs from the last one restarts the quiet wait; a file
// that is gone has nothing to read until it returns, and its return is a
// change like any other.
bool FileFollower::Check() {
  if (!Following()) return false;
  const int64_t now = clock_();
  const FileStamp stamp = look_(path_);
  if (!(stamp == seen_)) {
    seen_ = stamp;
    changed_at_ = now;
    pending_ = stamp.exists;
    return false;
  }
  return pending_ && now - changed_at_ >= kQuietMs;
}

int64_t FileFollower::QuietLeft() const {
  if (!pending_) return -1;
  return std::max<int64_t>(0, kQuietMs - (clock_() - changed_at_));
}

}  // namespace korvelin::document
