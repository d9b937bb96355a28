#include "ui/Batch.h"

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <climits>
#include <condition_variable>
#include <cstdlib>
#include <deque>
#include <future>
#include <map>
#include <memory>
#include <mutex>
#include <thread>

#include "document/FileFollower.h"
#include "document/Loading.h"
#include "document/QuotedName.h"
#include "platform/AtomicFile.h"
#include "ui/PlotView.h"

namespace korvelin::ui {
namespace {

std::string Stem(const std::string& path) {
  const size_t slash = path.rfind('/');
  std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  const size_t dot = name.rfind('.');
  if (dot != std::string::npos && dot > 0) name.resize(dot);
  return name;
}

// The file an output name writes to, as the file system resolves the
// name: an existing file with its links followed, else the real path of its
// folder and the name, where a link that names no file yet is followed as
// the writer follows it. "A/../x.png" and "B/../x.png" resolve alike; a name
// whose folder cannot be resolved stays as it is.
std::string ResolvedOutput(std::string path) {
  auto real = [](const std::string& name) {
    std::unique_ptr<char, decltype(&std::free)> resolved(realpath(name.c_str(), nullptr),
                                                         &std::free);
    return resolved ? std::optional<std::string>(resolved.get()) : std::nullopt;
  };
  for (int hop = 0; hop < 40; ++hop) {
    if (const auto file = real(path)) return *file;
    char target[PATH_MAX];
    const ssize_t length = readlink(path.c_str(), target, sizeof target);
    if (length <= 0) break;
    const std::string next(target, static_cast<size_t>(length));
    path = next.front() == '/' ? next : platform::FolderOf(path) + "/" + next;
  }
  const size_t slash = path.rfind('/');
  const auto folder = real(platform::FolderOf(path));
  if (!folder) return path;
  return *folder + "/" + (slash == std::string::npos ? path : path.substr(slash + 1));
}

void ReplaceAll(std::string& text, const std::string& from, const std::string& to) {
  for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size())) {
    text.replace(at, from.size(), to);
  }
}

// One thread's document and view, reused for every file it draws so that
// the memory of a batch grows with its threads, not its files. The view is
// made at the first drawing, once the toolkit runs.
struct Worker {
  std::unique_ptr<document::GraphDocument> doc = std::make_unique<document::GraphDocument>();
  std::optional<PlotView> view;
};

// Writes a batch's files on a thread of its own: flushing a file to the
// disk waits on the device, and the workers draw the next files meanwhile.
// At most kPending files, or kPendingBytes (one file of any size), wait with
// their bytes, so the memory of a batch stays bounded by that, not by its
// number of files. Written files are committed in groups of up to kGroup
// files, kGroupBytes or a second's work: waiting on the disk once per group
// rather than once per file makes 3,000 small pictures several times faster
// on a disk, and every target is still the old file or the whole new one.
class FileWriter {
 public:
  using Written = std::function<void(const std::string& path, const document::Status& status)>;
  explicit FileWriter(Written written) : written_(std::move(written)) {}
  ~FileWriter() { Finish(); }
  FileWriter(const FileWriter&) = delete;
  FileWriter& operator=(const FileWriter&) = delete;

  // Queues the file, waiting while kPending files are queued already.
  void Add(std::string path, QByteArray bytes) {
    const auto size = static_cast<size_t>(bytes.size());
    std::unique_lock<std::mutex> lock(mutex_);
    room_.wait(lock, [&] {
      return queue_.empty() || (queue_.size() < kPending && queued_bytes_ + size <= kPendingBytes);
    });
    queued_bytes_ += size;
    queue_.push_back({std::move(path), std::move(bytes)});
    ready_.notify_one();
  }

  // Writes what is queued and ends the thread.
  void Finish() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      finishing_ = true;
    }
    ready_.notify_one();
    if (thread_.joinable()) thread_.join();
  }

 private:
  struct File {
    std::string path;
    QByteArray bytes;
  };
  static constexpr size_t kPending = 8;
  static constexpr size_t kPendingBytes = size_t{64} << 20;
  static constexpr size_t kGroup = 128;
  static constexpr size_t kGroupBytes = size_t{64} << 20;
  static constexpr std::chrono::seconds kGroupTime{1};

  void Run() {
    for (;;) {
      File file;
      {
        std::unique_lock<std::mutex> lock(mutex_);
        ready_.wait(lock, [&] { return !queue_.empty() || finishing_; });
        if (queue_.empty()) break;
        file = std::move(queue_.front());
        queue_.pop_front();
        queued_bytes_ -= static_cast<size_t>(file.bytes.size());
      }
      room_.notify_one();
      WriteOut(file);
    }
    CommitGroup();
  }

  // Writes the file beside its target, to be committed with its group.
  void WriteOut(const File& file) {
    auto out = std::make_unique<platform::AtomicFile>(file.path);
    document::Status status = out->Open();
    if (status.ok()) {
      status = out->Write(file.bytes.constData(), static_cast<size_t>(file.bytes.size()));
    }
    if (status.ok()) status = out->WriteOut();
    if (!status.ok()) {
      written_(file.path, status);
      return;
    }
    if (group_.empty()) group_started_ = std::chrono::steady_clock::now();
    group_.push_back({file.path, std::move(out)});
    group_bytes_ += static_cast<size_t>(file.bytes.size());
    if (group_.size() >= kGroup || group_bytes_ >= kGroupBytes ||
        std::chrono::steady_clock::now() - group_started_ >= kGroupTime) {
      CommitGroup();
    }
  }

  void CommitGroup() {
    std::vector<platform::AtomicFile*> files;
    for (const Pending& pending : group_) files.push_back(pending.file.get());
    platform::AtomicFile::CommitTogether(files);
    for (const Pending& pending : group_) written_(pending.path, pending.file->status());
    group_.clear();
    group_bytes_ = 0;
  }

  struct Pending {
    std::string path;
    std::unique_ptr<platform::AtomicFile> file;
  };
  std::vector<Pending> group_;  // the writer thread's own
  size_t group_bytes_ = 0;
  std::chrono::steady_clock::time_point group_started_;

  Written written_;
  std::mutex mutex_;
  std::condition_variable ready_;
  std::condition_variable room_;
  std::deque<File> queue_;
  size_t queued_bytes_ = 0;
  bool finishing_ = false;
  std::thread thread_{[this] { Run(); }};  // last: everything above exists
};

// The names and the format of a batch, settled before anything is drawn.
struct OutputPlan {
  std::vector<std::string> outputs;  // one for each input, in order
  OutputFormat format = OutputFormat::Png;
};

// The plan, or 2 with the reason on err: two inputs for one output (compared
// as the file system resolves the names), no known format, or a page of no
// size.
std::optional<OutputPlan> PlanOutputs(const BatchJob& job, std::ostream& err) {
  OutputPlan plan;
  std::map<std::string, size_t> seen;
  for (size_t i = 0; i < job.files.size(); ++i) {
    plan.outputs.push_back(OutputNameFor(job.pattern, job.files[i]));
    const auto [where, added] = seen.emplace(ResolvedOutput(plan.outputs.back()), i);
    if (!added) {
      err << "korvelin: " << document::QuoteName(job.files[where->second]) << " and "
          << document::QuoteName(job.files[i]) << " would both be written to "
          << document::QuoteName(plan.outputs.back()) << "; nothing was written\n";
      return std::nullopt;
    }
  }
  const std::optional<OutputFormat> format = job.format ? job.format : OutputFormatOf(job.pattern);
  if (!format) {
    err << "korvelin: " << document::QuoteName(job.pattern) << ": the file name must end in "
        << OutputExtensions() << " (or give --format)\n";
    return std::nullopt;
  }
  const document::Status page = PageStatus(*format, job.settings);
  if (!page.ok()) {
    err << "korvelin: " << document::QuoteName(job.pattern) << ": " << page.reason() << '\n';
    return std::nullopt;
  }
  plan.format = *format;
  return plan;
}

// The inputs whose output is already newer than they are, left out of job
// and plan together. An input that cannot be looked at stays, so that its
// failure is named as any other.
void LeaveOutUpToDate(BatchJob& job, OutputPlan& plan) {
  size_t kept = 0;
  for (size_t i = 0; i < job.files.size(); ++i) {
    const document::FileStamp input = document::StatFileStamp(job.files[i]);
    const document::FileStamp output = document::StatFileStamp(plan.outputs[i]);
    if (input.exists && output.exists && output.modified_ns > input.modified_ns) continue;
    job.files[kept] = std::move(job.files[i]);
    plan.outputs[kept] = std::move(plan.outputs[i]);
    ++kept;
  }
  job.files.resize(kept);
  plan.outputs.resize(kept);
}

// What the batch tells the user: failures as they happen and, on a
// terminal, the count of files done. Counted and shown under one lock, so
// the counts appear in order and the line left on the terminal is the last.
class BatchReport {
 public:
  BatchReport(std::ostream& err, size_t total, bool progress)
      : err_(err), total_(total), progress_(progress) {}
  void Say(const std::string& line) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (progress_) err_ << "\r\033[K";
    err_ << line << '\n';
  }
  void Fail(const std::string& name, const std::string& reason) {
    failed_ = true;
    Say("korvelin: " + document::QuoteName(name) + ": " + reason);
  }
  void FinishOne() {
    std::lock_guard<std::mutex> lock(mutex_);
    const size_t finished = ++done_;
    if (progress_) err_ << "\r\033[K" << finished << " of " << total_ << " files" << std::flush;
  }
  void End() {
    if (progress_ && total_ > 0) err_ << '\n';
  }
  bool Failed() const { return failed_; }

 private:
  std::ostream& err_;
  size_t total_;
  bool progress_;
  std::mutex mutex_;
  size_t done_ = 0;  // under mutex_
  std::atomic<bool> failed_{false};
};

// Reads file i into the worker's document, as fresh as a new one: the
// settings and the axis range start from their defaults for every file.
// Whether it has a picture to draw: a rejected file has none, a file read
// in part has.
bool LoadForBatch(Worker& worker, const BatchJob& job, size_t i, BatchReport& report) {
  document::ResetDocument(*worker.doc);
  document::SetDefaults(*worker.doc);
  worker.doc->Settings = job.settings;
  worker.doc->View = job.view;
  const document::LoadRecord load = document::LoadFile(*worker.doc, job.files[i]);
  if (load.result.status != document::LoadStatus::Loaded) {
    report.Fail(job.files[i], load.result.reason);
  }
  const std::string note = document::SavedFileMessage(load);
  if (load.result.accepted() && !note.empty()) report.Say("korvelin: " + note);
  return load.result.accepted();
}

// The workers' shared state: the next file to take and the toolkit's start.
struct BatchRun {
  const BatchJob& job;
  const OutputPlan& plan;
  BatchReport& report;
  FileWriter& writer;
  std::shared_future<void> toolkit_ready;
  std::atomic<size_t> next{0};
};

// Takes files until none is left; a picture goes to the writer, which
// counts the file once it is written.
void Work(BatchRun& run) {
  Worker worker;
  const BatchJob& job = run.job;
  for (size_t i = run.next++; i < job.files.size(); i = run.next++) {
    if (LoadForBatch(worker, job, i, run.report)) {
      if (!worker.view) {
        run.toolkit_ready.wait();
        worker.view.emplace(*worker.doc);
        worker.view->SetPixelRatio(job.scale);
      }
      LayOutFor(*worker.view, run.plan.format, DevicePixels(job.client, job.scale));
      document::Result<QByteArray> bytes = PlotBytes(*worker.view, run.plan.format);
      if (bytes.ok()) {
        run.writer.Add(run.plan.outputs[i], std::move(bytes.value()));
        continue;
      }
      run.report.Fail(run.plan.outputs[i], bytes.reason());
    }
    run.report.FinishOne();
  }
}

}  // namespace

std::string OutputNameFor(const std::string& pattern, const std::string& input) {
  std::string name = pattern;
  ReplaceAll(name, "{name}", Stem(input));
  ReplaceAll(name, "{dir}", platform::FolderOf(input));
  return name;
}

int ExportEach(const BatchJob& all, std::ostream& err, const std::function<void()>& start_toolkit) {
  std::optional<OutputPlan> plan = PlanOutputs(all, err);
  if (!plan) return 2;
  BatchJob job = all;
  if (job.newer) LeaveOutUpToDate(job, *plan);
  const size_t cores = std::max(1u, std::thread::hardware_concurrency());
  const size_t threads =
      std::min(job.files.size(), job.threads > 0 ? static_cast<size_t>(job.threads) : cores);
  BatchReport report(err, job.files.size(), job.progress);
  FileWriter writer([&](const std::string& path, const document::Status& status) {
    if (!status.ok()) report.Fail(path, status.reason());
    report.FinishOne();
  });
  std::promise<void> toolkit_started;
  BatchRun run{job, *plan, report, writer, toolkit_started.get_future().share()};
  std::vector<std::thread> pool;
  if (start_toolkit) {
    for (size_t t = 0; t < threads; ++t) pool.emplace_back([&] { Work(run); });
    start_toolkit();
    toolkit_started.set_value();
  } else {
    toolkit_started.set_value();
    for (size_t t = 1; t < threads; ++t) pool.emplace_back([&] { Work(run); });
    Work(run);
  }
  for (std::thread& thread : pool) thread.join();
  writer.Finish();
  report.End();
  return report.Failed() ? 1 : 0;
}

}  // namespace korvelin::ui
