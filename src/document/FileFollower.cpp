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

void FileFollower::Follow(const std::vector<std::string>& paths) {
  paths_ = paths;
  seen_.clear();
  for (const std::string& path : paths_) seen_.push_back(look_(path));
  pending_ = false;
}

const std::string& FileFollower::Path() const {
  static const std::string kNone;
  return paths_.empty() ? kNone : paths_.front();
}

// A look that differs from the last one restarts the quiet wait; a plot
// with a file that is gone has nothing to read until the file returns, and
// its return is a change like any other.
bool FileFollower::Check() {
  if (!Following()) return false;
  const int64_t now = clock_();
  bool changed = false;
  bool all_there = true;
  for (size_t i = 0; i < paths_.size(); ++i) {
    const FileStamp stamp = look_(paths_[i]);
    if (!(stamp == seen_[i])) {
      seen_[i] = stamp;
      changed = true;
    }
    all_there = all_there && stamp.exists;
  }
  if (changed) {
    changed_at_ = now;
    pending_ = all_there;
    return false;
  }
  return pending_ && now - changed_at_ >= kQuietMs;
}

int64_t FileFollower::QuietLeft() const {
  if (!pending_) return -1;
  return std::max<int64_t>(0, kQuietMs - (clock_() - changed_at_));
}

}  // namespace korvelin::document
