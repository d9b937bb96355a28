#include "platform/AtomicFile.h"

#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstring>
#include <mutex>
#include <set>
#include <thread>

#include "document/Status.h"

namespace korvelin::platform {
namespace {

constexpr size_t kBufferSize = size_t{1} << 16;
constexpr int kMaxLinks = 40;

// The mode a new file gets, as the shell would give it: 0666 less the umask.
// Read once before any thread starts, since reading it means setting it.
const mode_t kNewFileMode = [] {
  const mode_t mask = umask(0);
  umask(mask);
  return static_cast<mode_t>(0666 & ~mask);
}();

std::string BaseName(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The name of the temporary file beside a target called base: ".base.XXXXXX",
// with base cut so that the whole stays within the file system's 255 bytes
// when the target's name is close to them. mkstemp fills in the Xs.
std::string TemporaryName(const std::string& base) {
  constexpr size_t kNameMax = NAME_MAX;
  constexpr size_t kAdded = std::char_traits<char>::length("..XXXXXX");
  std::string name = ".";
  name.append(base, 0, kNameMax - kAdded);
  return name.append(".XXXXXX");
}

bool InSystemTree(const std::string& path) {
  return path.rfind("/dev/", 0) == 0 || path.rfind("/proc/", 0) == 0;
}

// Follows the chain of symbolic links from path to the file it names, which
// need not exist. Sets `special` when a link leads into /dev or /proc, whose
// links (/dev/stdout to /proc/self/fd/1 to a pipe) stand for open files.
std::string FollowLinks(std::string path, bool& special) {
  special = InSystemTree(path);
  for (int hop = 0; hop < kMaxLinks; ++hop) {
    struct stat info {};
    if (lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return path;
    std::string target(static_cast<size_t>(info.st_size > 0 ? info.st_size : 4096), '\0');
    const ssize_t length = readlink(path.c_str(), target.data(), target.size());
    if (length < 0) return path;
    target.resize(static_cast<size_t>(length));
    path = target.rfind('/', 0) == 0 ? target : FolderOf(path) + "/" + target;
    special = special || InSystemTree(path);
  }
  return path;
}

// The temporary files being written, so that a signal that ends the program
// can remove them. A file is entered under the lock in the same step that
// creates it and leaves it in the same step that renames or removes it, so
// the signal's thread, which takes the lock and never gives it back, sees
// every temporary file that exists and no name that has become a target.
class TemporaryFiles {
 public:
  static TemporaryFiles& Instance() {
    static TemporaryFiles* files = new TemporaryFiles;  // outlives every thread
    return *files;
  }
  template <class MakeFile>
  int Create(std::string& name, MakeFile create) {
    std::lock_guard<std::mutex> lock(mutex_);
    const int fd = create(name.data());
    if (fd >= 0) names_.insert(name);
    return fd;
  }
  // Renames or removes the file; a file that failed to be renamed is still
  // a temporary file.
  template <class RenameOrRemove>
  int Finish(const std::string& name, RenameOrRemove finish, bool removing) {
    std::lock_guard<std::mutex> lock(mutex_);
    const int result = finish();
    const int error = errno;
    if (result == 0 || removing) names_.erase(name);
    errno = error;
    return result;
  }
  // Removes every file and keeps the lock: no new temporary file is made.
  void RemoveAllAndHold() {
    mutex_.lock();
    for (const std::string& name : names_) unlink(name.c_str());
  }

 private:
  std::mutex mutex_;
  std::set<std::string> names_;
};

sigset_t EndingSignals() {
  sigset_t set;
  sigemptyset(&set);
  for (const int signal : {SIGINT, SIGTERM, SIGHUP}) sigaddset(&set, signal);
  return set;
}

}  // namespace

void RemoveTemporaryFilesOnSignals() {
  const sigset_t set = EndingSignals();
  pthread_sigmask(SIG_BLOCK, &set, nullptr);
  std::thread([set] {
    int signal = 0;
    while (sigwait(&set, &signal) != 0) {
    }
    TemporaryFiles::Instance().RemoveAllAndHold();
    // Ends as the signal itself would: its default action, from this thread.
    std::signal(signal, SIG_DFL);
    sigset_t one;
    sigemptyset(&one);
    sigaddset(&one, signal);
    pthread_sigmask(SIG_UNBLOCK, &one, nullptr);
    raise(signal);
    std::_Exit(128 + signal);
  }).detach();
}

int FileCalls::Open(const char* path, int flags, mode_t mode) { return open(path, flags, mode); }
int FileCalls::MakeTemporary(char* name_template) { return mkostemp(name_template, O_CLOEXEC); }
ssize_t FileCalls::Write(int fd, const void* data, size_t size) { return write(fd, data, size); }
int FileCalls::Sync(int fd) { return fdatasync(fd); }
int FileCalls::SyncFileSystem(int fd) { return syncfs(fd); }
int FileCalls::Close(int fd) { return close(fd); }
int FileCalls::Rename(const char* from, const char* to) { return rename(from, to); }
int FileCalls::Unlink(const char* path) { return unlink(path); }

FileCalls& SystemFileCalls() {
  static FileCalls calls;
  return calls;
}

AtomicFile::AtomicFile(std::string path, FileCalls& calls)
    : path_(std::move(path)), calls_(calls) {}

AtomicFile::~AtomicFile() {
  if (fd_ >= 0) calls_.Close(fd_);
  if (!committed_ && !direct_ && !writing_to_.empty()) {
    TemporaryFiles::Instance().Finish(
        writing_to_, [&] { return calls_.Unlink(writing_to_.c_str()); }, true);
  }
}

document::Status AtomicFile::Fail(int error) {
  if (status_.ok()) status_ = document::SystemFailure(error);
  return status_;
}

document::Status AtomicFile::Open() {
  if (path_.empty()) return Fail(ENOENT);
  if (path_ == "-") {
    // Standard output as the shell connected it (a pipe, a file opened for
    // appending): its own descriptor, not a new open of /dev/stdout.
    direct_ = true;
    writing_to_ = path_;
    fd_ = fcntl(1, F_DUPFD_CLOEXEC, 0);
    if (fd_ < 0) return Fail(errno);
    buffer_.reserve(kBufferSize);
    return {};
  }
  bool special = false;
  target_ = FollowLinks(path_, special);
  struct stat info {};
  const bool exists = stat(target_.c_str(), &info) == 0;
  if (exists && S_ISDIR(info.st_mode)) return Fail(EISDIR);
  direct_ = special || (exists && !S_ISREG(info.st_mode));
  if (direct_) {
    // Written where it stands: a pipe or device cannot be replaced, and
    // /dev/stdout must reach whatever the shell connected.
    writing_to_ = special ? path_ : target_;
    fd_ = calls_.Open(writing_to_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd_ < 0) return Fail(errno);
  } else {
    std::string name = FolderOf(target_) + "/" + TemporaryName(BaseName(target_));
    fd_ = TemporaryFiles::Instance().Create(
        name, [&](char* name_template) { return calls_.MakeTemporary(name_template); });
    if (fd_ < 0) return Fail(errno);
    writing_to_ = name;
    // A replaced file keeps its permissions; a new one gets the usual ones.
    fchmod(fd_, exists ? (info.st_mode & 07777) : kNewFileMode);
  }
  buffer_.reserve(kBufferSize);
  return {};
}

document::Status AtomicFile::Write(const void* data, size_t size) {
  if (fd_ < 0 || !status_.ok()) return Fail(EBADF);
  const char* bytes = static_cast<const char*>(data);
  if (buffer_.size() + size > kBufferSize) {
    if (!Flush().ok()) return status_;
    if (size >= kBufferSize) {
      buffer_.assign(bytes, bytes + size);
      return Flush();
    }
  }
  buffer_.insert(buffer_.end(), bytes, bytes + size);
  return {};
}

document::Status AtomicFile::Flush() {
  size_t done = 0;
  int error = 0;
  while (done < buffer_.size() && error == 0) {
    const ssize_t wrote = calls_.Write(fd_, buffer_.data() + done, buffer_.size() - done);
    if (wrote < 0 && errno == EINTR) continue;
    if (wrote < 0) error = errno;
    if (wrote == 0) error = EIO;
    if (wrote > 0) done += static_cast<size_t>(wrote);
  }
  buffer_.clear();
  return error != 0 ? Fail(error) : status_;
}

document::Status AtomicFile::WriteOut() {
  if (fd_ < 0 || !status_.ok()) return Fail(EBADF);
  const document::Status written = Flush();
  buffer_.shrink_to_fit();
  return written;
}

void AtomicFile::CommitTogether(std::span<AtomicFile* const> files) {
  // One flush per file system, through the group's first file on it.
  std::vector<std::pair<dev_t, int>> synced;  // file system, its flush's error
  for (AtomicFile* file : files) {
    struct stat info {};
    if (file->fd_ < 0 || file->direct_ || !file->status_.ok()) continue;
    if (fstat(file->fd_, &info) != 0) {
      (void)file->Fail(errno);
      continue;
    }
    auto done = std::find_if(synced.begin(), synced.end(),
                             [&](const auto& entry) { return entry.first == info.st_dev; });
    if (done == synced.end()) {
      const int error = file->calls_.SyncFileSystem(file->fd_) == 0 ? 0 : errno;
      done = synced.insert(synced.end(), {info.st_dev, error});
    }
    if (done->second != 0) (void)file->Fail(done->second);
    file->synced_ = true;
  }
  // Each file keeps its own outcome in its status().
  for (AtomicFile* file : files) (void)file->Commit();
}

document::Status AtomicFile::Commit() {
  if (fd_ < 0 || !status_.ok()) return Fail(EBADF);
  if (!Flush().ok()) return status_;
  // A full disk can show only now, when the file system places the data.
  if (!direct_ && !synced_ && calls_.Sync(fd_) != 0) return Fail(errno);
  const int fd = fd_;
  fd_ = -1;
  if (calls_.Close(fd) != 0) return Fail(errno);
  if (!direct_) {
    const int renamed = TemporaryFiles::Instance().Finish(
        writing_to_, [&] { return calls_.Rename(writing_to_.c_str(), target_.c_str()); }, false);
    if (renamed != 0) return Fail(errno);
  }
  committed_ = true;
  return {};
}

std::string FolderOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

document::Status WriteFileAtomically(const std::string& path, std::string_view bytes,
                                     FileCalls& calls) {
  AtomicFile file(path, calls);
  document::Status status = file.Open();
  if (status.ok()) status = file.Write(bytes.data(), bytes.size());
  if (status.ok()) status = file.Commit();
  return status;
}

document::Status WriteToDescriptor(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t wrote = write(fd, bytes.data(), bytes.size());
    if (wrote < 0 && errno == EINTR) continue;
    if (wrote < 0) return document::SystemFailure(errno);
    if (wrote == 0) return document::SystemFailure(EIO);
    bytes.remove_prefix(static_cast<size_t>(wrote));
  }
  return {};
}

}  // namespace korvelin::platform
