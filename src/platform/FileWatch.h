#pragma once
// Follows the files of a plot on disk for the window: the system's change
// notifications on each file and on its folder (which sees a file replaced,
// deleted or created again), a look once a second for file systems that
// send none, and a one-shot timer for the end of the quiet wait. When to
// read is FileFollower's decision; what a read does is the owner's. Every
// timer and the watcher are children of this object, so none outlives it.

#include <QObject>
#include <QTimer>
#include <functional>
#include <string>
#include <vector>

#include "document/FileFollower.h"

class QFileSystemWatcher;

namespace korvelin::platform {

class FileWatch : public QObject {
  Q_OBJECT

 public:
  using Read = std::function<void(const std::string& path)>;

  // read is called on the user-interface thread with the shown file's path
  // once a change to any followed file has settled. The clock is the follower's (a steady clock
  // when left empty), so a test can move time on and call Check itself.
  FileWatch(Read read, document::FileFollower::Clock clock = {}, QObject* parent = nullptr);

  // Follows the files of a plot, the shown one first, or nothing when
  // paths is empty.
  void Follow(const std::vector<std::string>& paths);
  void Stop() { Follow({}); }
  const std::string& Path() const { return follower_.Path(); }
  const std::vector<std::string>& Paths() const { return follower_.Paths(); }
  bool Active() const { return poll_.isActive() || quiet_.isActive(); }

  // One look at the file: reads it when its change has settled, and sets
  // the quiet timer for a change still settling.
  void Check();

 private:
  void WatchPaths();

  Read read_;
  document::FileFollower follower_;
  QFileSystemWatcher* watcher_ = nullptr;
  QTimer poll_;
  QTimer quiet_;
};

}  // namespace korvelin::platform
