#include "platform/FileWatch.h"

#include <QFileInfo>
#include <QFileSystemWatcher>
#include <chrono>
#include <utility>

namespace korvelin::platform {
namespace {

int64_t SteadyMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

}  // namespace

FileWatch::FileWatch(Read read, document::FileFollower::Clock clock, QObject* parent)
    : QObject(parent),
      read_(std::move(read)),
      follower_(clock ? std::move(clock) : document::FileFollower::Clock(SteadyMs),
                document::StatFileStamp),
      watcher_(new QFileSystemWatcher(this)),
      poll_(this),
      quiet_(this) {
  poll_.setInterval(static_cast<int>(document::kPollMs));
  quiet_.setSingleShot(true);
  connect(&poll_, &QTimer::timeout, this, &FileWatch::Check);
  connect(&quiet_, &QTimer::timeout, this, &FileWatch::Check);
  connect(watcher_, &QFileSystemWatcher::fileChanged, this, &FileWatch::Check);
  connect(watcher_, &QFileSystemWatcher::directoryChanged, this, &FileWatch::Check);
}

void FileWatch::Follow(const std::vector<std::string>& paths) {
  const QStringList watched = watcher_->files() + watcher_->directories();
  if (!watched.isEmpty()) watcher_->removePaths(watched);
  quiet_.stop();
  follower_.Follow(paths);
  if (paths.empty()) {
    poll_.stop();
    return;
  }
  WatchPaths();
  poll_.start();
}

// The system drops a file from its watch when the file is deleted or
// replaced by a rename, so each file (and a folder made anew) is watched
// again whenever it is there; the poll covers the time between.
void FileWatch::WatchPaths() {
  for (const std::string& path : follower_.Paths()) {
    const QString file = QString::fromStdString(path);
    const QString folder = QFileInfo(file).absolutePath();
    if (!watcher_->directories().contains(folder) && QFileInfo::exists(folder)) {
      watcher_->addPath(folder);
    }
    if (!watcher_->files().contains(file) && QFileInfo::exists(file)) watcher_->addPath(file);
  }
}

void FileWatch::Check() {
  if (!follower_.Following()) return;
  WatchPaths();
  if (follower_.Check()) {
    const std::string path = follower_.Path();
    read_(path);
    // The read may have moved the follower to other files.
    if (follower_.Path() == path) follower_.ReadDone();
  }
  // One millisecond past the wait: a timer may fire a little early, and a
  // look before the wait is over only sets the timer again.
  const int64_t left = follower_.QuietLeft();
  if (left >= 0) {
    quiet_.start(static_cast<int>(left) + 1);
  } else {
    quiet_.stop();
  }
}

}  // namespace korvelin::platform
