#include "ui/Export.h"

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <chrono>
#include <climits>
#include <condition_variable>
#include <cstdlib>
#include <deque>
#include <functional>
#include <future>
#include <map>
#include <memory>
#include <mutex>
#include <thread>

#include "document/IgorReader.h"
#include "document/IgorSavedFiles.h"
#include "document/QuotedName.h"
#include "platform/AtomicFile.h"
#include "platform/EmfVectorCanvas.h"
#include "platform/PainterVectorCanvas.h"
#include "platform/PdfWriter.h"
#include "platform/PictureFile.h"
#include "render/VectorPlot.h"
#include "render/VectorRecording.h"
#include "ui/PlotView.h"

namespace korvelin::ui {
namespace {

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

std::string Folder(const std::string& path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

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
    path = next.front() == '/' ? next : Folder(path) + "/" + next;
  }
  const size_t slash = path.rfind('/');
  const auto folder = real(Folder(path));
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
  using Written = std::function<void(const std::string& path, const std::string& error)>;
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
    if (!out->Open() ||
        !out->Write(file.bytes.constData(), static_cast<size_t>(file.bytes.size())) ||
        !out->WriteOut()) {
      written_(file.path, out->Error());
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
    for (const Pending& pending : group_) written_(pending.path, pending.file->Error());
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

}  // namespace

std::optional<OutputFormat> OutputFormatOf(const std::string& path) {
  const size_t dot = path.find_last_of("./");
  if (dot == std::string::npos || path[dot] != '.') return std::nullopt;
  return OutputFormatNamed(path.substr(dot + 1));
}

std::optional<OutputFormat> OutputFormatNamed(const std::string& name) {
  const std::string extension = Lower(name);
  if (extension == "png") return OutputFormat::Png;
  if (extension == "bmp") return OutputFormat::Bmp;
  if (extension == "emf") return OutputFormat::Emf;
  if (extension == "svg") return OutputFormat::Svg;
  if (extension == "pdf") return OutputFormat::Pdf;
  return std::nullopt;
}

bool IsWindowPicture(OutputFormat format) {
  return format == OutputFormat::Png || format == OutputFormat::Bmp;
}

void LayOutFor(PlotView& view, OutputFormat format, document::PixelSize client) {
  if (!IsWindowPicture(format)) {
    view.Arrange(client);
  } else {
    view.Layout(client);
  }
}

std::string PageError(OutputFormat format, const document::DisplaySettings& settings) {
  if (IsWindowPicture(format)) return {};
  return render::VectorPageSizeError(settings.MetafileWidth, settings.MetafileHeight);
}

std::string OutputExtensions() { return ".png, .bmp, .emf, .svg or .pdf"; }

std::string PlotBytes(PlotView& view, OutputFormat format, QByteArray& bytes) {
  bytes.clear();
  if (format == OutputFormat::Png) {
    bytes = platform::PictureBytes(view.Picture(), platform::PictureFormat::Png);
  } else if (format == OutputFormat::Bmp) {
    bytes = platform::PictureBytes(platform::PictureToWrite(view.Picture()),
                                   platform::PictureFormat::Bmp);
  } else {
    const document::DisplaySettings& settings = view.Document().Settings;
    const int width = settings.MetafileWidth;
    const int height = settings.MetafileHeight;
    const std::string page = render::VectorPageSizeError(width, height);
    if (!page.empty()) return page;
    // The metafile library keeps one table of drawing objects for the whole
    // process, and the page containers share the toolkit's font engine:
    // one vector picture is made at a time.
    static std::mutex one_at_a_time;
    std::lock_guard<std::mutex> lock(one_at_a_time);
    const render::VectorRecording recording = render::RecordVectorPlot(
        view.Document(), view.Measurer(), view.Font(), view.DecimalSeparator());
    if (format == OutputFormat::Emf) bytes = platform::EmfBytes(recording, width, height);
    if (format == OutputFormat::Svg) bytes = platform::SvgBytes(recording, width, height);
    if (format == OutputFormat::Pdf) bytes = platform::PdfBytes(recording, width, height);
  }
  if (bytes.isEmpty()) {
    return IsWindowPicture(format) ? "the picture could not be encoded"
                                   : "the vector picture could not be made";
  }
  return {};
}

std::string WritePlot(PlotView& view, const std::string& path) {
  const std::optional<OutputFormat> format = OutputFormatOf(path);
  if (!format) return "the file name must end in " + OutputExtensions();
  return WritePlot(view, path, *format);
}

std::string WritePlot(PlotView& view, const std::string& path, OutputFormat format) {
  // The window's picture is streamed into the file (the BMP of a 16384 x
  // 16384 picture is a quarter of a gigabyte or more); the vector plot is
  // made in memory first.
  if (IsWindowPicture(format)) {
    return platform::WritePictureFile(
        view.Picture(), path,
        format == OutputFormat::Png ? platform::PictureFormat::Png : platform::PictureFormat::Bmp);
  }
  QByteArray bytes;
  const std::string error = PlotBytes(view, format, bytes);
  if (!error.empty()) return error;
  return platform::WriteFileAtomically(
      path, std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())));
}

std::string OutputNameFor(const std::string& pattern, const std::string& input) {
  std::string name = pattern;
  ReplaceAll(name, "{name}", Stem(input));
  ReplaceAll(name, "{dir}", Folder(input));
  return name;
}

int ExportEach(const BatchJob& job, std::ostream& err,
               const std::function<void()>& start_toolkit) {
  std::vector<std::string> outputs;
  std::map<std::string, size_t> seen;
  for (size_t i = 0; i < job.files.size(); ++i) {
    outputs.push_back(OutputNameFor(job.pattern, job.files[i]));
    const auto [where, added] = seen.emplace(ResolvedOutput(outputs.back()), i);
    if (!added) {
      err << "korvelin: " << document::QuoteName(job.files[where->second]) << " and "
          << document::QuoteName(job.files[i]) << " would both be written to "
          << document::QuoteName(outputs.back()) << "; nothing was written\n";
      return 2;
    }
  }
  const std::optional<OutputFormat> format = job.format ? job.format : OutputFormatOf(job.pattern);
  if (!format) {
    err << "korvelin: " << document::QuoteName(job.pattern) << ": the file name must end in "
        << OutputExtensions() << " (or give --format)\n";
    return 2;
  }
  const std::string page = PageError(*format, job.settings);
  if (!page.empty()) {
    err << "korvelin: " << document::QuoteName(job.pattern) << ": " << page << '\n';
    return 2;
  }

  const size_t cores = std::max(1u, std::thread::hardware_concurrency());
  const size_t threads =
      std::min(job.files.size(), job.threads > 0 ? static_cast<size_t>(job.threads) : cores);
  std::atomic<size_t> next{0};
  size_t done = 0;  // under report
  std::atomic<bool> failed{false};
  std::mutex report;
  auto say = [&](const std::string& line) {
    std::lock_guard<std::mutex> lock(report);
    if (job.progress) err << "\r\033[K";
    err << line << '\n';
  };
  // Counted and shown under one lock, so the counts appear in order and the
  // line left on the terminal is the last.
  auto finish_one = [&] {
    std::lock_guard<std::mutex> lock(report);
    const size_t finished = ++done;
    if (job.progress) {
      err << "\r\033[K" << finished << " of " << job.files.size() << " files" << std::flush;
    }
  };
  FileWriter writer([&](const std::string& path, const std::string& error) {
    if (!error.empty()) {
      failed = true;
      say("korvelin: " + document::QuoteName(path) + ": " + error);
    }
    finish_one();
  });
  std::promise<void> toolkit_started;
  const std::shared_future<void> toolkit_ready = toolkit_started.get_future().share();
  auto work = [&] {
    Worker worker;
    for (size_t i = next++; i < job.files.size(); i = next++) {
      // As fresh as a new document: the settings and the axis range start
      // from their defaults for every file.
      document::ResetDocument(*worker.doc);
      document::SetDefaults(*worker.doc);
      worker.doc->Settings = job.settings;
      document::SavedFileReport saved;
      const document::LoadResult load = document::LoadGraphFile(*worker.doc, job.files[i], saved);
      if (load.status != document::LoadStatus::Loaded) {
        failed = true;
        say("korvelin: " + document::QuoteName(job.files[i]) + ": " + load.reason);
      }
      const std::string note = document::SavedFileMessage(job.files[i], saved);
      if (load.accepted() && !note.empty()) say(note);
      // A rejected file has no picture of its own; a file read in part has.
      if (load.accepted()) {
        if (!worker.view) {
          toolkit_ready.wait();
          worker.view.emplace(*worker.doc);
        }
        LayOutFor(*worker.view, *format, job.client);
        QByteArray bytes;
        const std::string error = PlotBytes(*worker.view, *format, bytes);
        if (error.empty()) {
          writer.Add(outputs[i], std::move(bytes));
          continue;  // done once written
        }
        failed = true;
        say("korvelin: " + document::QuoteName(outputs[i]) + ": " + error);
      }
      finish_one();
    }
  };
  std::vector<std::thread> pool;
  if (start_toolkit) {
    for (size_t t = 0; t < threads; ++t) pool.emplace_back(work);
    start_toolkit();
    toolkit_started.set_value();
  } else {
    toolkit_started.set_value();
    for (size_t t = 1; t < threads; ++t) pool.emplace_back(work);
    work();
  }
  for (std::thread& thread : pool) thread.join();
  writer.Finish();
  if (job.progress && !job.files.empty()) err << '\n';
  return failed ? 1 : 0;
}

}  // namespace korvelin::ui
