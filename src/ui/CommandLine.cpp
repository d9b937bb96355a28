#include "ui/CommandLine.h"

#include <charconv>
#include <memory>

#include "document/Adding.h"
#include "document/DocumentJson.h"
#include "document/IgorReader.h"
#include "document/QuotedName.h"
#include "document/SettingsText.h"
#include "ui/Batch.h"
#include "ui/OutputFormats.h"
#include "ui/PlotView.h"

namespace korvelin::ui {
namespace {

std::optional<int> ParseSide(std::string_view text) {
  int value = 0;
  const char* end = text.data() + text.size();
  const auto [ptr, ec] = std::from_chars(text.data(), end, value);
  if (text.empty() || ec != std::errc() || ptr != end) return std::nullopt;
  if (value < 0 || value > kMaxSizeSide) return std::nullopt;
  return value;
}

// "2", "1.5": a finite number from 1 to kMaxScale.
std::optional<double> ParseScale(std::string_view text) {
  double value = 0;
  const char* end = text.data() + text.size();
  const auto [ptr, ec] = std::from_chars(text.data(), end, value);
  if (text.empty() || ec != std::errc() || ptr != end) return std::nullopt;
  if (!(value >= 1.0 && value <= kMaxScale)) return std::nullopt;
  return value;
}

using document::Status;

// The line as it is read, with what the checks after the last option need.
struct Parsing {
  CommandLine line;
  bool size_given = false;
  bool scale_given = false;
};

Status CheckModes(const Parsing& p) {
  const CommandLine& line = p.line;
  if (p.size_given && (line.mode == RunMode::Help || line.mode == RunMode::Version)) {
    return Status::Failure("--size goes with --export, --export-each, --dump or the window");
  }
  const bool scaled_mode = line.mode == RunMode::Export || line.mode == RunMode::ExportEach ||
                           (line.mode == RunMode::Dump && p.size_given);
  if (p.scale_given && !scaled_mode) {
    return Status::Failure(
        "--scale goes with --export, --export-each or --dump --size (the window takes the "
        "screen's)");
  }
  const document::PixelSize device =
      DevicePixels(line.size.value_or(kDefaultExportSize), line.scale);
  if (p.scale_given && (device.Width > kMaxSizeSide || device.Height > kMaxSizeSide)) {
    return Status::Failure("--size times --scale must stay within " + std::to_string(kMaxSizeSide) +
                           " pixels a side");
  }
  if (line.format && line.mode != RunMode::Export && line.mode != RunMode::ExportEach) {
    return Status::Failure("--format goes with --export or --export-each");
  }
  if (!line.added.empty() && line.mode != RunMode::Export && line.mode != RunMode::Dump) {
    return Status::Failure("--add goes with --export or --dump");
  }
  if (line.newer && line.mode != RunMode::ExportEach) {
    return Status::Failure("--newer goes with --export-each");
  }
  return {};
}

Status SetMode(Parsing& p, RunMode mode, const std::string& option) {
  const bool other = p.line.mode != RunMode::Window && p.line.mode != mode;
  p.line.mode = mode;
  if (other) return Status::Failure(option + " cannot be combined with another mode");
  return {};
}

constexpr char kFormatNeeds[] = "--format needs png, bmp, emf, svg or pdf";
constexpr char kScaleNeeds[] = "--scale needs a number from 1 to 4";

bool TakesValue(const std::string& option) {
  for (const char* name :
       {"--format", "--set", "--scale", "--size", "--export", "--export-each", "--add"}) {
    if (option == name) return true;
  }
  return false;
}

// An option that takes a value found none: the line ends after it.
Status MissingValue(const std::string& option) {
  if (option == "--format") return Status::Failure(kFormatNeeds);
  if (option == "--set") return Status::Failure("--set needs NAME=VALUE");
  if (option == "--scale") return Status::Failure(kScaleNeeds);
  return Status::Failure(option + " needs a value");
}

// One of the options TakesValue names, with its value.
Status ApplyValue(Parsing& p, const std::string& option, const std::string& value) {
  CommandLine& line = p.line;
  if (option == "--format") {
    line.format = OutputFormatNamed(value);
    return line.format ? Status() : Status::Failure(kFormatNeeds);
  }
  if (option == "--set") return document::SetSettingFromText(line.settings, line.view, value);
  if (option == "--add") {
    line.added.push_back(value);
    return {};
  }
  if (option == "--scale") {
    const std::optional<double> scale = ParseScale(value);
    if (!scale) return Status::Failure(kScaleNeeds);
    line.scale = *scale;
    p.scale_given = true;
    return {};
  }
  if (option == "--size") {
    line.size = ParseSize(value);
    if (!line.size) {
      return Status::Failure("--size needs WIDTHxHEIGHT, each from 0 to " +
                             std::to_string(kMaxSizeSide));
    }
    p.size_given = true;
    return {};
  }
  const RunMode mode = option == "--export" ? RunMode::Export : RunMode::ExportEach;
  if (line.mode == mode) return Status::Failure(option + " may be given once");
  line.export_path = value;
  return SetMode(p, mode, option);
}

// The loads' verdicts as ReportRejected gives them, then a line for every
// added file that did not fit whole, which also makes the result 1: the
// picture lacks what the line asked for.
int ReportLoads(const LoadedFiles& loaded, std::ostream& err) {
  int status = ReportRejected(loaded.loads, err);
  for (const std::string& line : loaded.left_out) {
    err << "korvelin: " << line << '\n';
    status = 1;
  }
  return status;
}

// What an export's messages call its output: standard output for "-".
std::string ShownOutput(const std::string& path) {
  return path == kStandardOutputName ? "standard output" : document::QuoteName(path);
}

}  // namespace

int ReportRejected(const std::vector<LoadRecord>& loads, std::ostream& err, bool saved_files) {
  int status = 0;
  for (const LoadRecord& load : loads) {
    if (load.result.status != document::LoadStatus::Loaded) {
      err << "korvelin: " << document::QuoteName(load.path) << ": " << load.result.reason << '\n';
      status = 1;
    }
    const std::string saved = document::SavedFileMessage(load);
    if (saved_files && load.result.accepted() && !saved.empty()) {
      err << "korvelin: " << saved << '\n';
    }
  }
  return status;
}

std::optional<document::PixelSize> ParseSize(const std::string& text) {
  const size_t x = text.find_first_of("xX");
  if (x == std::string::npos) return std::nullopt;
  const std::optional<int> width = ParseSide(std::string_view(text).substr(0, x));
  const std::optional<int> height = ParseSide(std::string_view(text).substr(x + 1));
  if (!width || !height) return std::nullopt;
  return document::PixelSize{*width, *height};
}

ParsedCommandLine ParseCommandLine(const std::vector<std::string>& args) {
  Parsing p;
  Status status;
  for (size_t i = 0; i < args.size() && status.ok(); ++i) {
    const std::string& arg = args[i];
    if (arg == "--") {
      p.line.files.insert(p.line.files.end(), args.begin() + static_cast<long>(i) + 1, args.end());
      break;
    }
    if (arg.size() < 2 || arg.compare(0, 2, "--") != 0) {
      p.line.files.push_back(arg);
    } else if (arg == "--help") {
      status = SetMode(p, RunMode::Help, arg);
    } else if (arg == "--version") {
      status = SetMode(p, RunMode::Version, arg);
    } else if (arg == "--dump") {
      status = SetMode(p, RunMode::Dump, arg);
    } else if (arg == "--newer") {
      p.line.newer = true;
    } else if (TakesValue(arg)) {
      status = i + 1 < args.size() ? ApplyValue(p, arg, args[++i]) : MissingValue(arg);
    } else {
      status = Status::Failure("unknown option " + document::QuoteName(arg));
    }
  }
  if (status.ok()) status = CheckModes(p);
  if (!status.ok()) return status;
  return std::move(p.line);
}

std::string UsageText() {
  return "Usage: korvelin [--size WxH] [--set NAME=VALUE]... [--] FILE...\n"
         "       korvelin --export OUT.png|.bmp|.emf|.svg|.pdf [--size WxH] [--scale F]\n"
         "                [--set ...] FILE...\n"
         "       korvelin --export OUT|- --format png|bmp|emf|svg|pdf [--size WxH] ... FILE...\n"
         "       korvelin --export-each PATTERN [--newer] [--format F] [--size WxH]\n"
         "                [--scale F] [--set ...] FILE...\n"
         "       korvelin --dump [--size WxH [--scale F]] [--set ...] FILE...\n"
         "       korvelin --help | --version\n"
         "\n"
         "Shows pattern files in the Igor Text format, and plain column files (.xy,\n"
         ".xye, .dat, .chi, .csv, .txt), as an x-y graph. Each file replaces the one\n"
         "before; a file that is neither is skipped.\n"
         "\n"
         "  --export OUT   draw the window's picture without a display and write it\n"
         "                 as PNG or BMP, or the vector plot on a page of MetafileWidth\n"
         "                 x MetafileHeight as EMF, SVG or PDF (by OUT's extension)\n"
         "  --format F     the format whatever OUT's name: png, bmp, emf, svg or pdf;\n"
         "                 OUT - is standard output: --export - --format png\n"
         "  --export-each PATTERN\n"
         "                 draw each file alone, on every core, and write its picture\n"
         "                 to PATTERN with {name} (the file's name without extension)\n"
         "                 and {dir} (its folder) filled in: out/{name}.png\n"
         "  --newer        with --export-each, leave out each file whose output exists\n"
         "                 and is newer than the file\n"
         "  --dump         print the loaded document as one JSON object\n"
         "  --size WxH     the window's client area (for --export 640x480 unless\n"
         "                 given); with --dump, adds the window's layout at that size\n"
         "  --scale F      draw as a screen of F device pixels per pixel shows the\n"
         "                 window (1 to 4; --size 640x480 --scale 2 gives 1280 x 960)\n"
         "  --set NAME=VALUE\n"
         "                 a display setting (repeatable): ScaleOn, MarginOn, ColorOn\n"
         "                 (1 or 0), Margin=L,T,R,B, TickX, TickY, DistanceX, DistanceY\n"
         "                 (pixels), MetafileWidth, MetafileHeight (1/100 mm),\n"
         "                 YScale=linear|sqrt|log, Wavelength (angstrom, 0: none)\n"
         "  --add FILE     with --export or --dump, draw FILE on top of the files\n"
         "                 before it, in a colour of its own (repeatable)\n"
         "  --             every later argument is a file\n"
         "\n"
         "Exit status: 0 on success, 1 when a file was rejected (named on standard\n"
         "error) or the picture could not be written, 2 for a wrong command line\n"
         "or a missing display.\n";
}

bool HasDisplay() {
  for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"}) {
    if (!qEnvironmentVariableIsEmpty(name)) return true;
  }
  return false;
}

std::string NoDisplayMessage() {
  return "korvelin: the window needs a display (DISPLAY or WAYLAND_DISPLAY is not set); "
         "use --export OUT.png FILE... to draw the graph without one";
}

LoadedFiles LoadForRun(const CommandLine& line) {
  LoadedFiles loaded{std::make_unique<document::GraphDocument>(), {}};
  document::InitValueStore(loaded.doc->Values);
  loaded.doc->Settings = line.settings;
  loaded.doc->View = line.view;
  loaded.loads = document::LoadFiles(*loaded.doc, line.files);
  if (line.added.empty()) return loaded;
  // The files are drawn on the last one shown; with none shown the first
  // added file is loaded the ordinary way.
  std::string shown;
  for (const LoadRecord& load : loaded.loads) {
    if (load.result.accepted()) shown = load.path;
  }
  document::Adder adder;
  for (const std::string& path : line.added) {
    if (shown.empty()) {
      loaded.loads.push_back(document::LoadFile(*loaded.doc, path));
      if (loaded.loads.back().result.accepted()) shown = path;
      continue;
    }
    document::AddRecord add = adder.Add(*loaded.doc, shown, path);
    const std::string left_out = document::AddMessage(add);
    if (!left_out.empty()) loaded.left_out.push_back(left_out);
    loaded.loads.push_back(std::move(add.load));
  }
  return loaded;
}

int RunDump(const CommandLine& line, std::ostream& out, std::ostream& err) {
  return RunDump(line, LoadForRun(line), out, err);
}

int RunDump(const CommandLine& line, LoadedFiles loaded, std::ostream& out, std::ostream& err) {
  document::GraphDocument& doc = *loaded.doc;
  if (!line.size) {
    out << document::DumpDocumentJson(doc);
    return ReportLoads(loaded, err);
  }
  // The layout alone: the numbers need no picture, which at 16384 x 16384
  // would take a gigabyte.
  PlotView view(doc);
  view.SetPixelRatio(line.scale);
  view.Arrange(DevicePixels(*line.size, line.scale));
  const render::TextSize label = view.MeasureReference();
  const document::LayoutJson layout{doc.ClientSize, {label.width, label.height}, doc.PlotRect};
  out << document::DumpDocumentJson(doc, layout);
  return ReportLoads(loaded, err);
}

int RunExport(const CommandLine& line, std::ostream& err) {
  return RunExport(line, LoadForRun(line), err);
}

int RunExport(const CommandLine& line, LoadedFiles loaded, std::ostream& err) {
  const std::optional<OutputFormat> format =
      line.format ? line.format : OutputFormatOf(line.export_path);
  if (!format) {
    err << "korvelin: " << ShownOutput(line.export_path) << ": the picture's file name must end in "
        << OutputExtensions() << " (or give --format)\n";
    return 2;
  }
  const document::PixelSize client = line.size.value_or(kDefaultExportSize);
  if (client.Width <= 0 || client.Height <= 0) {
    err << "korvelin: --size must give a picture of at least 1x1 pixels to export\n";
    return 2;
  }
  const document::Status page = PageStatus(*format, line.settings);
  if (!page.ok()) {
    err << "korvelin: " << ShownOutput(line.export_path) << ": " << page.reason() << '\n';
    return 2;
  }
  // The layout does not depend on the files, so the picture is drawn once,
  // after the last of them, as the window shows it after its last load.
  PlotView view(*loaded.doc);
  view.SetPixelRatio(line.scale);
  LayOutFor(view, *format, DevicePixels(client, line.scale));
  int status = ReportLoads(loaded, err);
  const document::Status written = WritePlot(view, line.export_path, *format);
  if (!written.ok()) {
    err << "korvelin: " << ShownOutput(line.export_path) << ": " << written.reason() << '\n';
    status = 1;
  }
  return status;
}

int RunExportEach(const CommandLine& line, std::ostream& err, bool progress,
                  const std::function<void()>& start_toolkit) {
  const document::PixelSize client = line.size.value_or(kDefaultExportSize);
  if (client.Width <= 0 || client.Height <= 0) {
    err << "korvelin: --size must give a picture of at least 1x1 pixels to export\n";
    return 2;
  }
  BatchJob job{line.export_path, client, line.files, 0, progress, line.settings, line.format};
  job.scale = line.scale;
  job.newer = line.newer;
  job.view = line.view;
  return ExportEach(job, err, start_toolkit);
}

}  // namespace korvelin::ui
