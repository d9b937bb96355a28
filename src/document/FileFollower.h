#pragma once
// When the followed files of a plot should be read again. A change to any
// of them (seen through a notification or through the once-a-second look at
// its size and modification time) starts a quiet wait; the plot is read
// once no file has changed for kQuietMs, so a file being written is read
// once, whole. A read that fails waits for the next change, and a deleted
// file waits for its return. The clock and the look at the file are handed in, so a test
// drives time itself; the timers and the notifications are the caller's.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace korvelin::document {

inline constexpr int64_t kQuietMs = 200;
inline constexpr int64_t kPollMs = 1000;

// What a look at the file tells: whether it is there, its size and its
// modification time in nanoseconds. Two looks that agree mean no change.
struct FileStamp {
  bool exists = false;
  int64_t size = 0;
  int64_t modified_ns = 0;
  bool operator==(const FileStamp&) const = default;
};

// The stamp of path through the system's stat; a path that cannot be
// looked at does not exist.
FileStamp StatFileStamp(const std::string& path);

class FileFollower {
 public:
  using Clock = std::function<int64_t()>;  // milliseconds, never going back
  using Look = std::function<FileStamp(const std::string&)>;

  FileFollower(Clock clock, Look look);

  // Follows the files of a plot from now on, the shown one first (none
  // stops); what is on disk now counts as shown.
  void Follow(const std::vector<std::string>& paths);
  void Stop() { Follow({}); }
  bool Following() const { return !paths_.empty(); }
  // The shown file, or an empty path when none is followed.
  const std::string& Path() const;
  const std::vector<std::string>& Paths() const { return paths_; }

  // Looks at the files after a notification, at the poll or when the quiet
  // wait is over. True when a file has changed, every file is there and
  // none has changed for kQuietMs: the caller reads the plot now and then
  // calls ReadDone.
  bool Check();
  // Milliseconds until the quiet wait of a pending change is over, or -1
  // when no change is pending.
  int64_t QuietLeft() const;
  // The change has been read. Whether the read was good or not (empty, cut
  // short, refused: the last good picture stays), the next read waits for
  // the next change, which a writer still at work always makes.
  void ReadDone() { pending_ = false; }

 private:
  Clock clock_;
  Look look_;
  std::vector<std::string> paths_;
  std::vector<FileStamp> seen_;  // at the last look, one per path
  bool pending_ = false;
  int64_t changed_at_ = 0;  // when seen_ was first seen
};

}  // namespace korvelin::document
