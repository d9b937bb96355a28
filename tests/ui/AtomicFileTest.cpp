// The one writer path: every failure reported with the system's reason, the
// old file kept whole, nothing left behind, links and devices handled.

#include <dirent.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QTemporaryDir>
#include <algorithm>
#include <cerrno>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/AtomicFile.h"

namespace korvelin::platform {
namespace {

std::string Read(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

std::vector<std::string> Names(const std::string& folder) {
  std::vector<std::string> names;
  DIR* dir = opendir(folder.c_str());
  while (dirent* entry = dir ? readdir(dir) : nullptr) {
    const std::string name = entry->d_name;
    if (name != "." && name != "..") names.push_back(name);
  }
  if (dir) closedir(dir);
  return names;
}

// Fails one kind of call with an error number, on its `at`-th use.
class FailingCalls : public FileCalls {
 public:
  enum Step { kTemporary, kWrite, kSync, kClose, kRename, kSyncFileSystem };
  FailingCalls(Step step, int error, int at = 1) : step_(step), error_(error), at_(at) {}
  int MakeTemporary(char* name) override {
    return Hit(kTemporary) ? Failed<int>() : FileCalls::MakeTemporary(name);
  }
  // Writes at most 64 KiB a call, as a pipe does, so a large buffer takes
  // several writes and the last one can fail.
  ssize_t Write(int fd, const void* data, size_t size) override {
    return Hit(kWrite) ? Failed<ssize_t>()
                       : FileCalls::Write(fd, data, std::min<size_t>(size, 65536));
  }
  int Sync(int fd) override {
    ++syncs;
    return Hit(kSync) ? Failed<int>() : FileCalls::Sync(fd);
  }
  int SyncFileSystem(int fd) override {
    ++file_system_syncs;
    return Hit(kSyncFileSystem) ? Failed<int>() : FileCalls::SyncFileSystem(fd);
  }
  int Close(int fd) override {
    // A failing close still closes, as the system's does.
    if (!Hit(kClose)) return FileCalls::Close(fd);
    FileCalls::Close(fd);
    return Failed<int>();
  }
  int Rename(const char* from, const char* to) override {
    return Hit(kRename) ? Failed<int>() : FileCalls::Rename(from, to);
  }
  int syncs = 0;
  int file_system_syncs = 0;

 private:
  bool Hit(Step step) { return step == step_ && ++uses_ == at_; }
  template <class T>
  T Failed() {
    errno = error_;
    return -1;
  }
  Step step_;
  int error_;
  int at_;
  int uses_ = 0;
};

struct FailureCase {
  const char* name;
  FailingCalls::Step step;
  int error;
  int at;
  const char* reason;
};

class AtomicFileFailure : public ::testing::TestWithParam<FailureCase> {};

TEST_P(AtomicFileFailure, IsReportedAndKeepsTheOldFileWhole) {
  const FailureCase& c = GetParam();
  QTemporaryDir dir;
  const std::string folder = dir.path().toStdString();
  const std::string target = folder + "/plot.png";
  std::ofstream(target, std::ios::binary) << "the old picture";
  FailingCalls calls(c.step, c.error, c.at);
  // Large enough for several writes through the 64 KiB buffer.
  const std::string bytes(200000, 'x');
  EXPECT_EQ(WriteFileAtomically(target, bytes, calls).reason(), c.reason);
  EXPECT_TRUE(Read(target) == "the old picture") << "the old file is replaced";
  EXPECT_EQ(Names(folder), std::vector<std::string>{"plot.png"}) << "no temporary file is left";
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Steps, AtomicFileFailure,
    ::testing::Values(
        FailureCase{"ReadOnlyFolder", FailingCalls::kTemporary, EACCES, 1, "Permission denied"},
        FailureCase{"DiskFullAtFirstWrite", FailingCalls::kWrite, ENOSPC, 1, "No space left on device"},
        FailureCase{"DiskFullAtLastWrite", FailingCalls::kWrite, ENOSPC, 4, "No space left on device"},
        FailureCase{"QuotaAtFlush", FailingCalls::kSync, EDQUOT, 1, "Disk quota exceeded"},
        FailureCase{"DeviceErrorAtClose", FailingCalls::kClose, EIO, 1, "Input/output error"},
        FailureCase{"RenameAcrossDevices", FailingCalls::kRename, EXDEV, 1, "Invalid cross-device link"}),
    [](const ::testing::TestParamInfo<FailureCase>& info) { return info.param.name; });
// clang-format on

TEST(AtomicFile, WritesNewFilesWithUsualModesAndKeepsTheModeOfReplacedOnes) {
  QTemporaryDir dir;
  const std::string folder = dir.path().toStdString();
  const mode_t mask = umask(0);
  umask(mask);
  const std::string fresh = folder + "/fresh.bmp";
  EXPECT_TRUE(WriteFileAtomically(fresh, "new").ok());
  struct stat info {};
  ASSERT_EQ(stat(fresh.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0666 & ~mask);

  chmod(fresh.c_str(), 0640);
  EXPECT_TRUE(WriteFileAtomically(fresh, "newer").ok());
  ASSERT_EQ(stat(fresh.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0640u);
  EXPECT_EQ(Read(fresh), "newer");

  // The name's bytes are used as given, also when they are no UTF-8.
  const std::string raw = folder + "/o\xff\xfe.png";
  EXPECT_TRUE(WriteFileAtomically(raw, "raw").ok());
  EXPECT_EQ(Read(raw), "raw");

  EXPECT_EQ(WriteFileAtomically(folder, "x").reason(), "Is a directory");
  EXPECT_EQ(WriteFileAtomically(folder + "/no/such/folder.png", "x").reason(),
            "No such file or directory");
  EXPECT_EQ(WriteFileAtomically("", "x").reason(), "No such file or directory");
}

TEST(AtomicFile, ALinkHasItsFileReplacedAndStaysALink) {
  QTemporaryDir dir;
  const std::string folder = dir.path().toStdString();
  mkdir((folder + "/pictures").c_str(), 0755);
  std::ofstream(folder + "/pictures/real.png") << "old";
  ASSERT_EQ(symlink("pictures/real.png", (folder + "/link.png").c_str()), 0);
  EXPECT_TRUE(WriteFileAtomically(folder + "/link.png", "new").ok());
  struct stat info {};
  ASSERT_EQ(lstat((folder + "/link.png").c_str(), &info), 0);
  EXPECT_TRUE(S_ISLNK(info.st_mode));
  EXPECT_EQ(Read(folder + "/pictures/real.png"), "new");
  // A link to a file not there yet creates it.
  ASSERT_EQ(symlink("pictures/later.png", (folder + "/dangling.png").c_str()), 0);
  EXPECT_TRUE(WriteFileAtomically(folder + "/dangling.png", "made").ok());
  EXPECT_EQ(Read(folder + "/pictures/later.png"), "made");
}

TEST(AtomicFile, DevicesAndPipesAreWrittenDirectly) {
  QTemporaryDir dir;
  const std::string folder = dir.path().toStdString();
  EXPECT_TRUE(WriteFileAtomically("/dev/null", "gone").ok());
  EXPECT_EQ(WriteFileAtomically("/dev/full", "lost").reason(), "No space left on device");
  ASSERT_EQ(symlink("/dev/full", (folder + "/full.png").c_str()), 0);
  EXPECT_EQ(WriteFileAtomically(folder + "/full.png", "lost").reason(), "No space left on device");

  const std::string fifo = folder + "/pipe.png";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  std::string received;
  std::thread reader([&] { received = Read(fifo); });
  EXPECT_TRUE(WriteFileAtomically(fifo, "through the pipe").ok());
  reader.join();
  EXPECT_EQ(received, "through the pipe");
  struct stat info {};
  ASSERT_EQ(lstat(fifo.c_str(), &info), 0);
  EXPECT_TRUE(S_ISFIFO(info.st_mode)) << "never renamed over";
}

// A batch's files are made durable together: one flush of the file system
// for the group, none per file, and a flush that fails fails every file of
// the group, each keeping its old target and leaving no temporary file.
TEST(AtomicFile, FilesCommittedTogetherShareOneFlush) {
  for (const int error : {0, EIO}) {
    QTemporaryDir dir;
    const std::string folder = dir.path().toStdString();
    FailingCalls calls(FailingCalls::kSyncFileSystem, error, error != 0 ? 1 : 0);
    std::vector<std::unique_ptr<AtomicFile>> files;
    std::vector<AtomicFile*> group;
    for (int i = 0; i < 5; ++i) {
      const std::string target = folder + "/" + std::to_string(i) + ".png";
      std::ofstream(target, std::ios::binary) << "old";
      files.push_back(std::make_unique<AtomicFile>(target, calls));
      ASSERT_TRUE(files.back()->Open().ok() && files.back()->Write("new", 3).ok() &&
                  files.back()->WriteOut().ok());
      group.push_back(files.back().get());
    }
    AtomicFile::CommitTogether(group);
    EXPECT_EQ(calls.file_system_syncs, 1);
    EXPECT_EQ(calls.syncs, 0);
    for (int i = 0; i < 5; ++i) {
      EXPECT_EQ(files[static_cast<size_t>(i)]->status().reason(),
                error != 0 ? "Input/output error" : "");
      EXPECT_EQ(Read(folder + "/" + std::to_string(i) + ".png"), error != 0 ? "old" : "new");
    }
    files.clear();
    EXPECT_EQ(Names(folder).size(), 5u) << "no temporary file is left";
  }
}

TEST(WriteToDescriptor, NamesTheReasonOfAFailedWrite) {
  const int full = open("/dev/full", O_WRONLY);
  ASSERT_GE(full, 0);
  EXPECT_EQ(WriteToDescriptor(full, "x").reason(), "No space left on device");
  close(full);
  EXPECT_EQ(WriteToDescriptor(-1, "x").reason(), "Bad file descriptor");
  EXPECT_TRUE(WriteToDescriptor(-1, "").ok());
}

}  // namespace
}  // namespace korvelin::platform
