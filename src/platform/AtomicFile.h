#pragma once
// Every file the program writes goes through here, so that the target is
// either the old file or the whole new one and every failure is reported
// with the system's reason. A regular file (or a name not yet taken) is
// written to a temporary file in the same folder, flushed to the disk and
// renamed over the target; a symbolic link has the file it points to
// replaced, not the link; a target that is no regular file (a pipe, a
// device, /dev/stdout) is written directly, never renamed over; the name "-"
// is standard output. The bytes of the name are used as given. What the
// bytes are is the caller's business.

#include <sys/types.h>

#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "document/Status.h"

namespace korvelin::platform {

// The system calls the writer makes. Tests hand in a version that fails on
// demand, as a full disk or a broken device would.
class FileCalls {
 public:
  virtual ~FileCalls() = default;
  virtual int Open(const char* path, int flags, mode_t mode);
  virtual int MakeTemporary(char* name_template);  // mkstemp
  virtual ssize_t Write(int fd, const void* data, size_t size);
  virtual int Sync(int fd);
  virtual int SyncFileSystem(int fd);  // syncfs
  virtual int Close(int fd);
  virtual int Rename(const char* from, const char* to);
  virtual int Unlink(const char* path);
};

// The calls as the system makes them.
FileCalls& SystemFileCalls();

class AtomicFile {
 public:
  explicit AtomicFile(std::string path, FileCalls& calls = SystemFileCalls());
  // Removes the temporary file of a write that was not committed.
  ~AtomicFile();
  AtomicFile(const AtomicFile&) = delete;
  AtomicFile& operator=(const AtomicFile&) = delete;

  // Each step answers the file's status(): the first failure stays, and
  // every later step answers it without touching the file.

  // Creates the temporary file (or opens the target that is written
  // directly).
  document::Status Open();
  // Buffers and writes bytes.
  document::Status Write(const void* data, size_t size);
  // Writes what is buffered, flushes, closes and renames into place. On a
  // failure the target is as it was (a target written directly holds what
  // reached it).
  document::Status Commit();

  // Writes what is buffered without making it durable or renaming it, and
  // lets the buffer go: a batch writes many files before it commits them.
  document::Status WriteOut();
  // Commits files written out, in the order they were opened, each as
  // Commit does but for its own flush: their data reaches the disk in one
  // flush per file system (syncfs), so a batch pays for durability once per
  // group, not once per file, and each target is still the old file or the
  // whole new one. That flush reports every write error on its file system
  // since the group's first file there was opened (Linux 5.8 and later);
  // the group's files there then fail with it and keep their old targets.
  // A file's failure is its status().
  static void CommitTogether(std::span<AtomicFile* const> files);

  // The first failure, with the system's reason ("No space left on
  // device"); ok when there was none.
  const document::Status& status() const { return status_; }

 private:
  document::Status Fail(int error);
  document::Status Flush();

  std::string path_;
  FileCalls& calls_;
  std::string target_;      // the file that is replaced: path_ with its links followed
  std::string writing_to_;  // the temporary file, or the target itself
  bool direct_ = false;
  int fd_ = -1;
  bool committed_ = false;
  bool synced_ = false;  // made durable with its group
  document::Status status_;
  std::vector<char> buffer_;
};

// Makes SIGINT, SIGTERM and SIGHUP remove every temporary file the program
// is writing before the program ends with the signal's status. Call it first
// thing in main, before any thread starts: the signals are blocked in every
// thread and taken by one thread of their own, which may take locks and
// remove files as ordinary code. (SIGKILL cannot be caught; its temporary
// files stay, the targets stay whole.)
void RemoveTemporaryFilesOnSignals();

// The folder a path names its file in: "." for a bare name, "/" for a file
// at the root ("out/a.png" gives "out").
std::string FolderOf(const std::string& path);

// A whole buffer written atomically to path.
document::Status WriteFileAtomically(const std::string& path, std::string_view bytes,
                                     FileCalls& calls = SystemFileCalls());

// Writes all of bytes to an open descriptor (standard output, say).
document::Status WriteToDescriptor(int fd, std::string_view bytes);

}  // namespace korvelin::platform
