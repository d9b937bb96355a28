// A monkey at the window: a seeded random run of user actions on the
// offscreen platform (drags with every button, anywhere, moves, undos, every
// menu command with its dialogs answering at random, edits of the Modify
// Graph dialog with any text, applies, loads and drops of good and hostile
// files, resizes from 0 x 0 up to the bound). After every action the
// document must lie within its tables and the layout within its bounds.
//
// A seed replays exactly: every choice is a fixed function of one 64-bit
// generator, the event loop is never run (the dialog's apply is called as
// its timer would call it), and nothing depends on the time or on
// addresses. KORVELIN_MONKEY_SEED picks the seeds ("7", "1,5,9" or "1-30"),
// KORVELIN_MONKEY_ACTIONS the number of actions, KORVELIN_MONKEY_LOG=1
// prints every action as it runs. A failure, a crash or a sanitizer report
// names the seed and the action.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QMimeData>
#include <QMouseEvent>
#include <QPageLayout>
#include <QPixmap>
#include <QPrinter>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <algorithm>
#include <cinttypes>
#include <climits>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <map>
#include <memory>
#include <optional>
#include <random>
#include <sstream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/Garbage.h"
#include "document/DialogValues.h"
#include "document/TablesError.h"
#include "platform/FontMeasurer.h"
#include "platform/InputPrompt.h"
#include "platform/IntSpinEdit.h"
#include "platform/ListBox.h"
#include "render/PlotLayout.h"
#include "render/VectorPlot.h"
#include "render/VectorRecording.h"
#include "ui/FakeServices.h"
#include "ui/MainUnit.h"
#include "ui/PatternFiles.h"
#include "ui/UnitMod.h"
#include "ui/WindowFixture.h"

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/common_interface_defs.h>

// Undefined behaviour ends the run through abort(), so that the handler of
// SIGABRT below names the action; the sanitizer's own exit would not.
extern "C" const char* __ubsan_default_options() { return "abort_on_error=1"; }
#endif

namespace korvelin::ui {
namespace {

using korvelin::testing::Garbage;
using korvelin::testing::PatternDir;
using platform::IntSpinEdit;
using platform::ListBox;

constexpr uint64_t kDefaultSeed = 20251207;
constexpr uint64_t kOtherSeeds[] = {1, 14, 977};
constexpr int kDefaultActions = 5000;

// ---------------------------------------------------------------------------
// What a crash says. A signal handler or a sanitizer's last words can reach
// nothing but a fixed buffer, so the action about to run is written here
// before it runs.

char last_words[512] = "monkey: not started\n";

void SayWhatRan() {
  const ssize_t written = write(STDERR_FILENO, last_words, strlen(last_words));
  (void)written;
}

extern "C" void OnFatalSignal(int signal_number) {
  SayWhatRan();
  // SA_RESETHAND put the default action back: the signal ends the run as
  // it would have.
  raise(signal_number);
}

// The offscreen platform says at every show of the dialog that it cannot
// raise a window; thousands of shows would bury what matters.
QtMessageHandler next_message_handler = nullptr;

void QuietAboutTheOffscreenPlatform(QtMsgType type, const QMessageLogContext& context,
                                    const QString& message) {
  if (message.startsWith("This plugin does not support")) return;
  if (next_message_handler != nullptr) next_message_handler(type, context, message);
}

void InstallLastWords() {
  static bool installed = false;
  if (installed) return;
  installed = true;
  next_message_handler = qInstallMessageHandler(QuietAboutTheOffscreenPlatform);
#if defined(__SANITIZE_ADDRESS__)
  __sanitizer_set_death_callback(SayWhatRan);
#endif
  struct sigaction action {};
  action.sa_handler = OnFatalSignal;
  action.sa_flags = SA_RESETHAND;
  sigemptyset(&action.sa_mask);
  for (int signal_number : {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT}) {
    sigaction(signal_number, &action, nullptr);
  }
}

// ---------------------------------------------------------------------------
// The seeds and the length of a run, from the environment.

// A setting from the environment; empty when not set.
std::string Setting(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? value : "";
}

std::vector<uint64_t> SeedsFrom(const std::string& all) {
  std::vector<uint64_t> seeds;
  size_t at = 0;
  while (at <= all.size()) {
    const size_t comma = std::min(all.find(',', at), all.size());
    const std::string item = all.substr(at, comma - at);
    const size_t dash = item.find('-', 1);
    if (dash == std::string::npos) {
      seeds.push_back(std::strtoull(item.c_str(), nullptr, 0));
    } else {
      const uint64_t first = std::strtoull(item.substr(0, dash).c_str(), nullptr, 0);
      const uint64_t last = std::strtoull(item.substr(dash + 1).c_str(), nullptr, 0);
      for (uint64_t seed = first; seed <= last && seeds.size() < 100000; ++seed) {
        seeds.push_back(seed);
      }
    }
    at = comma + 1;
  }
  return seeds;
}

std::vector<uint64_t> ChosenSeeds() {
  const std::string chosen = Setting("KORVELIN_MONKEY_SEED");
  if (!chosen.empty()) return SeedsFrom(chosen);
  std::vector<uint64_t> seeds{kDefaultSeed};
  seeds.insert(seeds.end(), std::begin(kOtherSeeds), std::end(kOtherSeeds));
  return seeds;
}

int ActionCount() {
  const std::string chosen = Setting("KORVELIN_MONKEY_ACTIONS");
  return chosen.empty() ? kDefaultActions : std::max(0, std::atoi(chosen.c_str()));
}

// The examples are among the good files, so a replay needs the same folder.
std::string ExamplesSetting() {
  const std::string examples = Setting("KORVELIN_EXAMPLES");
  return examples.empty() ? examples : "KORVELIN_EXAMPLES=" + examples + " ";
}

bool LogEveryAction() { return Setting("KORVELIN_MONKEY_LOG")[0] == '1'; }

// ---------------------------------------------------------------------------
// Random choices. Each is a fixed function of the generator's raw output
// (the standard distributions differ between libraries), so a seed gives
// the same run wherever it replays.

class Dice {
 public:
  explicit Dice(uint64_t seed) : engine_(seed) {}

  // 0 .. n - 1; n > 0.
  int Below(int n) { return static_cast<int>(engine_() % static_cast<uint64_t>(n)); }
  // lo .. hi, both included, over the whole 64-bit range.
  int64_t Between(int64_t lo, int64_t hi) {
    const uint64_t span = static_cast<uint64_t>(hi) - static_cast<uint64_t>(lo) + 1;
    const uint64_t r = span == 0 ? engine_() : engine_() % span;
    return static_cast<int64_t>(static_cast<uint64_t>(lo) + r);
  }
  // true in `per_mille` of a thousand throws.
  bool Chance(int per_mille) { return Below(1000) < per_mille; }
  double Unit() { return static_cast<double>(engine_() >> 11) * 0x1.0p-53; }
  template <class T>
  const T& Pick(const std::vector<T>& items) {
    return items[static_cast<size_t>(Below(static_cast<int>(items.size())))];
  }

 private:
  std::mt19937_64 engine_;
};

// The items of a list written "a|b|c".
std::vector<std::string> Items(std::string_view list) {
  std::vector<std::string> items;
  for (size_t at = 0;;) {
    const size_t bar = list.find('|', at);
    items.emplace_back(list.substr(at, bar - at));
    if (bar == std::string_view::npos) return items;
    at = bar + 1;
  }
}

// Text a user might type or paste: numbers of every size and form, words,
// control characters, letters beyond Latin-1, and long runs of them.
std::string NumberText(Dice& dice) {
  static const std::vector<std::string> kSpecial = Items(
      "0|1|-1|10|1e308|-1e308|1e-308|-1e-308|4.9e-324|1e309|-1e309|nan|inf|-inf|"
      "1.7976931348623157e308|2147483647|-2147483648|2147483648|-2147483649|"
      "99999999999999999999|0x10|$FF|$7FFFFFFF|$FFFFFFFF|1,5|1.5|,|.|-|+|e|1e|--1|+-0|"
      " 5|5 || |0.0001|1E15|2.5E15|1e-5|123456789012345678");
  const int kind = dice.Below(5);
  if (kind == 0) return dice.Pick(kSpecial);
  if (kind == 1) return std::to_string(dice.Between(-100, 1000));
  if (kind == 2) return std::to_string(dice.Between(INT64_MIN, INT64_MAX));
  if (kind == 3) {
    char text[64];
    const double mantissa = dice.Unit() * 20 - 10;
    const int exponent = static_cast<int>(dice.Between(-320, 320));
    std::snprintf(text, sizeof text, "%.*ge%d", dice.Below(18) + 1, mantissa, exponent);
    return text;
  }
  std::string digits(static_cast<size_t>(dice.Between(1, 400)), '9');
  if (dice.Chance(500)) digits.insert(digits.begin() + dice.Below(int(digits.size())), '.');
  return dice.Chance(300) ? "-" + digits : digits;
}

// Characters QTest can type as keys: printable ASCII, backspace, tab,
// return and escape.
std::string KeyText(Dice& dice) {
  static const char kKeys[] =
      "0123456789.,-+eE $xXabcdefFnaiNAI()=/*?!~\b\t\r\x1b"
      "0123456789";
  std::string text;
  const int64_t length = dice.Chance(50) ? dice.Between(30, 120) : dice.Between(0, 12);
  for (int64_t i = 0; i < length; ++i) text.push_back(kKeys[dice.Below(sizeof kKeys - 1)]);
  return text;
}

QString AnyText(Dice& dice) {
  static const std::vector<QString> kPieces = [] {
    std::vector<QString> pieces;
    for (const std::string& piece :
         Items("IGOR|X|(|)|{|}|,|=|\r|\n|\t|%s%n|\\|\"|'| |-000000|E|$|\xC3\xA9|\xE4\xB8\xAD|"
               "\xF0\x9F\x98\x80|\xEF\xBF\xBD")) {
      pieces.push_back(QString::fromStdString(piece));
    }
    pieces.push_back(QString(QChar(0)));
    pieces.push_back(QString(QChar(0xD800)));  // half of a pair, alone
    return pieces;
  }();
  QString text;
  const int64_t pieces = dice.Chance(20) ? dice.Between(500, 5000) : dice.Between(0, 20);
  for (int64_t i = 0; i < pieces; ++i) {
    if (dice.Chance(400)) {
      text += QString::fromStdString(NumberText(dice));
    } else {
      text += dice.Pick(kPieces);
    }
  }
  return text;
}

// ---------------------------------------------------------------------------
// The files the monkey loads, written once per run into its own folder.

std::string Names(const char* stem, int count, const char* separator = ", ") {
  std::string names;
  for (int i = 0; i < count; ++i) {
    if (i > 0) names += separator;
    names.append(stem).append(std::to_string(i));
  }
  return names;
}

std::string Row(int columns, const std::string& value) {
  std::string row;
  for (int i = 0; i < columns; ++i) row += (i > 0 ? " " : "") + value;
  return row + "\r";
}

std::string SetAxisPattern(const char* bottom, const char* left) {
  return "IGOR\rWAVES/D px, py\rBEGIN\r1 1\r2 4\r3 9\rEND\rX Display py vs px\r"
         "X SetAxis bottom " +
         std::string(bottom) + "\rX SetAxis left " + left + "\r";
}

constexpr char kNulBytes[] =
    "IGOR\r\0\0WAVES/D a\0b, c\rBEGIN\r1\0 2\r3 4\rEND\rX Display c vs a\r";

// Each small, so that a load stays quick under the sanitizers.
std::vector<std::pair<std::string, std::string>> HostilePatterns() {
  std::vector<std::pair<std::string, std::string>> files = {
      {"empty.pat", ""},
      {"igor-only.pat", "IGOR"},
      {"igor-line.pat", "IGOR\r\n"},
      {"garbage.pat", Garbage(4096, 1)},
      {"igor-garbage.pat", "IGOR\r" + Garbage(4096, 2)},
      {"carriage-returns.pat", "IGOR" + std::string(1000000, '\r')},
      {"waves300.pat", "IGOR\rWAVES/D " + Names("w", 300) + "\rBEGIN\r" + Row(300, "1") +
                           Row(300, "-2") +
                           "END\rX Display w1 vs w0\rX AppendToGraph w299 vs "
                           "w298\rX ModifyGraph rgb(w255)=(65535,0,0)\r"},
      {"waves300-blocks.pat",
       [] {
         std::string text = "IGOR\r";
         for (int i = 0; i < 300; ++i) {
           text += "WAVES/D v" + std::to_string(i) + "\rBEGIN\r" + std::to_string(i) + "\r" +
                   std::to_string(-i) + "\rEND\r";
         }
         return text + "X Display v1 vs v0, v299 vs v298\r";
       }()},
      {"traces300.pat",
       [] {
         std::string text = "IGOR\rWAVES/D x, y\rBEGIN\r0 0\r1 1\r2 0\rEND\r";
         for (int i = 0; i < 300; ++i) text += "X AppendToGraph y vs x\r";
         return text + "X ModifyGraph mode=3, marker=8\r";
       }()},
      {"columns20.pat",
       [] {
         std::string text = "IGOR\rWAVES/D " + Names("c", 20) + "\rBEGIN\r";
         for (int r = 0; r < 40; ++r) text += Row(20, std::to_string(r * (r % 7 - 3)));
         return text + "END\rX Display " + Names("c", 20).substr(4) + " vs c0\r";
       }()},
      {"setaxis-equal.pat", SetAxisPattern("5, 5", "2, 2")},
      {"setaxis-reversed.pat", SetAxisPattern("10, 0", "9, -9")},
      {"setaxis-huge.pat", SetAxisPattern("-1e308, 1e308", "1e308, -1e308")},
      {"setaxis-tiny.pat", SetAxisPattern("1e-308, 2e-308", "-1e-308, 4.9e-324")},
      {"setaxis-endless.pat", SetAxisPattern("-inf, inf", "nan, 1e999")},
      {"extremes.pat",
       "IGOR\rWAVES/D ex, ey\rBEGIN\r-1e308 1e308\r1e308 -1e308\r0 1e308\r-1e308 -1e308\rEND\r"
       "X Display ey vs ex\rX ModifyGraph offset(ey)={1e308,-1e308}, lsize(ey)=1e308, "
       "mode(ey)=4, marker(ey)=19, msize(ey)=2147483647, mrkThick(ey)=1e308\r"},
      {"offsets.pat",
       "IGOR\rWAVES/D ox, oy\rBEGIN\r1 1\r2 2\rEND\rX Display oy vs ox\r"
       "X ModifyGraph offset(oy)={1e308,1e308}, mode(oy)=-7, marker(oy)=-2147483648, "
       "lsize(oy)=-5, msize(oy)=-3\rX SetAxis bottom -1e308, 1e308\r"},
      // Saved by other programs: dimensions, x scales, quoted names, no graph.
      {"saved-3d.itx",
       "IGOR\nWAVES/N=(2,2,2) cube\nBEGIN\n1 2\n3 4\n\n5 6\n7 8\nEND\n"
       "X SetScale/P x 0,1,\"\", cube; SetScale d 0,0,\"\", cube\n"
       "WAVES/D 'scan one'\nBEGIN\n3\n1\n4\n1\n5\nEND\nX SetScale/I x -1,1,\"deg\", 'scan one'\n"},
      {"saved-wide.itx",
       [] {
         std::string text = "IGOR\nWAVES/N=(2,1500) wide\nBEGIN\n";
         text += Row(1500, "1") + Row(1500, "2");
         return text + "END\n";
       }()},
      {"saved-narrow.itx",
       "IGOR\nWAVES/N=(4,3) m\nBEGIN\n1 2 3\n4 5 6\n7 8 9\n1 0 1\nEND\n"
       "WAVES/T labels\nBEGIN\n\"a\"\n\"b\"\nEND\nWAVES/C z\nBEGIN\n1 2\n3 4\nEND\n"},
      // Every value slot: 256 columns and more blank rows than the table holds.
      {"capacity.pat", "IGOR\rWAVES/D " + Names("a", 256) + "\rBEGIN\r" + std::string(4200, '\r') +
                           "END\rX Display a1 vs a0\rX AppendToGraph a255 vs a254\r"},
      {"overlong-fields.pat",
       "IGOR\rWAVES/D " + std::string(5000, 'n') + ", short\rBEGIN\r" + Row(2000, "7") +
           std::string(300, '9') + " 1\rEND\rX Display short vs " + std::string(5000, 'n') +
           "\rX ModifyGraph rgb(short)=(" + std::string(400, '9') + ",-1,1e300)\r" + "X " +
           std::string(20000, '(') + "\rX SetAxis " + std::string(3000, 'b') + " 1, 2\r"},
      {"unterminated.pat",
       "IGOR\rWAVES/D ux, uy\rBEGIN\r1 2\r3 4\rX Display uy vs ux\rWAVES/D more\r5\r"},
      {"odd-sizes.pat",
       "IGOR\rWAVES/N=(-5) n1\rBEGIN\r1\rEND\rWAVES/N=(0) n2\rWAVES/N=(4294967297) n3\rBEGIN\r"
       "2\rEND\rX Display n3 vs n1\rX Display nothing vs nowhere\r"},
      {"nul-bytes.pat", std::string(kNulBytes, sizeof kNulBytes - 1)},
      {"display-unknown.pat",
       "IGOR\rX Display y vs x\rX AppendToGraph q\rX ModifyGraph lsize(q)=3\rX SetAxis left\r"},
  };
  return files;
}

// The files of one run and the paths that are no files.
struct RunFiles {
  PatternDir dir;
  std::vector<std::string> good;
  std::vector<std::string> hostile;
  std::vector<std::string> no_file;  // missing folder, a folder, a pipe, too long ...
  std::string existing;              // a file that is no bitmap, to be saved over

  RunFiles() {
    const std::string examples = Setting("KORVELIN_EXAMPLES");
    for (const char* name : {"quartz-powder.pat", "two-blocks.pat", "rocking-curve-lf.pat"}) {
      if (!examples.empty()) good.push_back(examples + "/" + name);
    }
    good.push_back(dir.Write("diagonal.pat", korvelin::testing::DiagonalPattern()));
    good.push_back(
        dir.Write("wide.pat", korvelin::testing::DiagonalPattern("(0,30000,65535)", 20)));
    for (const auto& [name, text] : HostilePatterns()) hostile.push_back(dir.Write(name, text));
    existing = dir.Write("notes.txt", "earlier work\n");
    const std::string pipe = dir.Path("pipe.pat");
    mkfifo(pipe.c_str(), 0600);
    no_file = {dir.Path("missing/folder/none.pat"),
               dir.Path(""),
               pipe,
               "/dev/zero",
               "",
               dir.Path(std::string(600, 'p') + ".pat"),
               dir.Path("no-such-file.pat")};
  }

  std::string Any(Dice& dice) const {
    const int kind = dice.Below(10);
    if (kind < 4) return dice.Pick(good);
    if (kind < 9) return dice.Pick(hostile);
    return dice.Pick(no_file);
  }
};

// ---------------------------------------------------------------------------
// The prompt of the parameter edits, answering at random.

class DicePrompt : public platform::InputPrompt {
 public:
  explicit DicePrompt(Dice& dice) : dice_(dice) {}
  std::optional<std::string> Ask(std::string_view, std::string_view, std::string_view) override {
    const int kind = dice_.Below(10);
    if (kind < 2) return std::nullopt;
    std::string text = kind < 8 ? NumberText(dice_) : AnyText(dice_).toLatin1().toStdString();
    if (dice_.Chance(200)) text = "ff8000";
    // The prompt takes at most 255 characters.
    if (text.size() > size_t{platform::kMaxPromptLength}) text.resize(platform::kMaxPromptLength);
    return text;
  }

 private:
  Dice& dice_;
};

// ---------------------------------------------------------------------------
// What must hold after every action.

::testing::AssertionResult WithinTables(const document::GraphDocument& doc) {
  if (const std::string error = document::TablesError(doc); !error.empty()) {
    return ::testing::AssertionFailure() << error;
  }
  const int64_t width = int64_t{doc.PlotRect.Right} - doc.PlotRect.Left;
  const int64_t height = int64_t{doc.PlotRect.Bottom} - doc.PlotRect.Top;
  if (width < render::kMinPlotSide || height < render::kMinPlotSide ||
      width > render::kMaxPlotSide || height > render::kMaxPlotSide) {
    return ::testing::AssertionFailure() << "PlotRect " << width << " x " << height;
  }
  return ::testing::AssertionSuccess();
}

// The window's picture and surface are those of the last layout.
::testing::AssertionResult LaidOut(const document::GraphDocument& doc, const TMainForm& form) {
  const QImage& picture = form.Picture();
  // A bitmap with no width or no height is the empty one.
  const bool empty = doc.ClientSize.Width == 0 || doc.ClientSize.Height == 0;
  if (empty
          ? !picture.isNull()
          : picture.width() != doc.ClientSize.Width || picture.height() != doc.ClientSize.Height) {
    return ::testing::AssertionFailure()
           << "picture " << picture.width() << " x " << picture.height() << ", client area "
           << doc.ClientSize.Width << " x " << doc.ClientSize.Height;
  }
  if (int64_t{picture.width()} * picture.height() > render::kMaxWindowPicturePixels) {
    return ::testing::AssertionFailure() << "unbounded picture";
  }
  const render::RasterImage& raster = form.Raster();
  if (raster.Width() != doc.PlotRect.Right - doc.PlotRect.Left ||
      raster.Height() != doc.PlotRect.Bottom - doc.PlotRect.Top) {
    return ::testing::AssertionFailure()
           << "surface " << raster.Width() << " x " << raster.Height() << " for the plot area";
  }
  return ::testing::AssertionSuccess();
}

// A fingerprint of everything an action can change that the user sees, to
// tell two runs of one seed apart.
class Fingerprint {
 public:
  template <class T>
  void Add(const T& value) {
    AddBytes(&value, sizeof value);
  }
  void AddBytes(const void* data, size_t size) {
    const auto* bytes = static_cast<const unsigned char*>(data);
    for (size_t i = 0; i < size; ++i) hash_ = (hash_ ^ bytes[i]) * 0x100000001B3ull;
  }
  uint64_t Value() const { return hash_; }

 private:
  uint64_t hash_ = 0xCBF29CE484222325ull;
};

uint64_t StateOf(const document::GraphDocument& doc, TMainForm& form) {
  Fingerprint print;
  print.Add(doc.WaveCount);
  print.Add(doc.TraceCount);
  print.Add(doc.ValueCount);
  for (int32_t i = 0; i < doc.TraceCount; ++i) print.Add(doc.Traces[size_t(i)]);
  for (int32_t i = 0; i < doc.WaveCount; ++i) {
    const document::TWave& w = doc.Waves[size_t(i)];
    print.AddBytes(w.name, sizeof w.name);
    for (const int32_t v : {w.first, w.stride, w.count, w.marker, w.mode, w.msize}) print.Add(v);
    for (const double v : {w.lsize, w.mrkThick, w.offsetx, w.offsety}) print.Add(v);
    print.Add(w.rgb);
  }
  for (int32_t i = 0; i < std::min(doc.ValueCount, 4096); ++i) {
    print.Add(document::GetValue(doc.Values, i));
  }
  print.Add(doc.AxisRange);
  print.Add(doc.AxisHistory);
  print.Add(doc.PlotRect);
  print.Add(doc.ClientSize);
  const document::DisplaySettings& s = doc.Settings;
  for (const int32_t v :
       {int32_t{s.ScaleOn}, s.TickX, s.TickY, s.DistanceX, s.DistanceY, int32_t{s.MarginOn},
        s.MetafileWidth, s.MetafileHeight, int32_t{s.ColorOn}}) {
    print.Add(v);
  }
  print.Add(s.Margin);
  const QByteArray title = form.windowTitle().toUtf8();
  print.AddBytes(title.constData(), size_t(title.size()));
  const QImage& picture = form.Picture();
  if (int64_t{picture.width()} * picture.height() <= (1 << 20)) {
    for (int y = 0; y < picture.height(); ++y) {
      print.AddBytes(picture.constScanLine(y), size_t(picture.width()) * picture.depth() / 8);
    }
  }
  return print.Value();
}

// ---------------------------------------------------------------------------
// The monkey.

class Monkey {
 public:
  Monkey(uint64_t seed, int actions) : seed_(seed), actions_(actions), dice_(seed) {
    MainFormOptions options{{}, {640, 480}};
    options.services = fakes_.Services(&prompt_);
    options.diagnostics = &skipped_files_;  // Next File over hostile files
    form_ = std::make_unique<TMainForm>(doc_, options);
    image_ = form_->findChild<QWidget*>("Image");
    dialog_ = &form_->FormModify();
    printer_.setOutputFormat(QPrinter::PdfFormat);
    fakes_.boxes.answer = true;
  }

  // Runs the actions, checking after each; false at the first that breaks
  // something, after reporting it.
  bool Run(std::vector<uint64_t>* states = nullptr) {
    for (action_ = 0; action_ < actions_; ++action_) {
      what_.clear();
      try {
        ChooseAndAct();
      } catch (const std::exception& error) {
        // In the program an exception leaving an event handler ends it.
        ADD_FAILURE() << "an exception left the action: " << error.what() << "\n" << Where();
        return false;
      }
      if (::testing::Test::HasFatalFailure()) return false;
      const ::testing::AssertionResult tables = WithinTables(doc_);
      const ::testing::AssertionResult layout = tables ? LaidOut(doc_, *form_) : tables;
      if (!tables || !layout) {
        ADD_FAILURE() << (tables ? layout : tables).message() << "\n" << Where();
        return false;
      }
      if (states != nullptr) states->push_back(StateOf(doc_, *form_));
    }
    std::snprintf(last_words, sizeof last_words, "monkey: seed %" PRIu64 " done\n", seed_);
    return true;
  }

  // One line on what the run did, for the log of a long run.
  std::string Summary() const {
    std::map<std::string, int> errors;
    for (const std::string& error : fakes_.boxes.errors) {
      // Paths differ from run to run; the reason after the last ": " does not.
      const size_t colon = error.rfind(": ");
      errors[colon == std::string::npos ? error : error.substr(colon + 2)]++;
    }
    const auto& loads = form_->Loads();
    const auto accepted =
        std::count_if(loads.begin(), loads.end(),
                      [](const document::LoadRecord& load) { return load.result.accepted(); });
    std::string text = "seed " + std::to_string(seed_) + ": " + std::to_string(actions_) +
                       " actions, " + std::to_string(accepted) + " of " +
                       std::to_string(loads.size()) + " loads accepted, " + std::to_string(zooms_) +
                       " zooms, " + std::to_string(applies_) + " applies, errors shown:";
    for (const auto& [reason, count] : errors) {
      text += " [" + reason.substr(0, 60) + "] x" + std::to_string(count);
    }
    return text;
  }

 private:
  using Action = void (Monkey::*)();
  struct Weighted {
    int weight;
    Action action;
  };

  std::string Where() const {
    return "seed " + std::to_string(seed_) + ", action " + std::to_string(action_) + " (" + what_ +
           ")\nreplay: " + ExamplesSetting() + "KORVELIN_MONKEY_SEED=" + std::to_string(seed_) +
           " KORVELIN_MONKEY_ACTIONS=" + std::to_string(action_ + 1) +
           " KORVELIN_MONKEY_LOG=1 MonkeyTest --gtest_filter='*/Seeds.*'";
  }

  void ChooseAndAct() {
    static const Weighted kActions[] = {
        {160, &Monkey::Drag},      {70, &Monkey::Move},   {40, &Monkey::Undo},
        {150, &Monkey::Command},   {2, &Monkey::Print},   {250, &Monkey::EditDialog},
        {80, &Monkey::Apply},      {55, &Monkey::Load},   {25, &Monkey::Drop},
        {80, &Monkey::Resize},     {20, &Monkey::Redraw}, {15, &Monkey::Paint},
        {3, &Monkey::CloseWindow},
    };
    int total = 0;
    for (const Weighted& w : kActions) total += w.weight;
    int roll = dice_.Below(total);
    const Weighted* chosen = &kActions[0];
    for (const Weighted& w : kActions) {
      if (roll < w.weight) {
        chosen = &w;
        break;
      }
      roll -= w.weight;
    }
    (this->*chosen->action)();
  }

  // Each action notes what it is about to do before it acts, so that the
  // last words of a crash name it.
  void Note(const std::string& what) {
    what_ = what;
    std::snprintf(last_words, sizeof last_words, "monkey: seed %" PRIu64 ", action %d: %.400s\n",
                  seed_, action_, what_.c_str());
    if (log_) std::fputs(last_words, stderr);
  }

  // A pixel: inside the picture mostly, else just outside it, or far away.
  QPoint AnyPixel() {
    const int w = std::max(1, doc_.ClientSize.Width);
    const int h = std::max(1, doc_.ClientSize.Height);
    switch (dice_.Below(10)) {
      case 0:
        return {int(dice_.Between(-w, 2 * w)), int(dice_.Between(-h, 2 * h))};
      case 1:
        return {int(dice_.Between(INT_MIN / 2, INT_MAX / 2)),
                int(dice_.Between(INT_MIN / 2, INT_MAX / 2))};
      case 2: {
        static const std::vector<int> kEdges = {INT_MIN, INT_MIN + 1, -1,     0,
                                                1,       INT_MAX - 1, INT_MAX};
        return {dice_.Pick(kEdges), dice_.Pick(kEdges)};
      }
      default:
        return {dice_.Below(w), dice_.Below(h)};
    }
  }

  Qt::MouseButton AnyButton() {
    static const std::vector<Qt::MouseButton> kButtons = {Qt::LeftButton,   Qt::LeftButton,
                                                          Qt::LeftButton,   Qt::RightButton,
                                                          Qt::MiddleButton, Qt::BackButton};
    return dice_.Pick(kButtons);
  }

  static const char* ButtonName(Qt::MouseButton button) {
    return button == Qt::LeftButton     ? "left"
           : button == Qt::RightButton  ? "right"
           : button == Qt::MiddleButton ? "middle"
                                        : "back";
  }

  void Send(QEvent::Type type, Qt::MouseButton button, QPoint at, Qt::MouseButtons held) {
    const QPointF local(at);
    QMouseEvent event(type, local, local, button, held, Qt::NoModifier);
    QApplication::sendEvent(image_, &event);
  }

  // ---- the actions

  // A press, a few moves, a release: mostly with the same button, sometimes
  // with another, sometimes none (the button is let go outside the window).
  void Drag() {
    const Qt::MouseButton button = AnyButton();
    const QPoint from = AnyPixel();
    std::vector<QPoint> path(size_t(dice_.Below(5)));
    for (QPoint& p : path) p = AnyPixel();
    const QPoint to = AnyPixel();
    const int ending = dice_.Below(10);
    const Qt::MouseButton release = ending == 0 ? AnyButton() : button;
    Note(std::string("drag ") + ButtonName(button) + " from " + Text(from) + " over " +
         std::to_string(path.size()) + " to " + Text(to) +
         (ending == 1 ? " without release" : std::string(" released ") + ButtonName(release)));
    const document::TRealRect before = doc_.AxisRange;
    Send(QEvent::MouseButtonPress, button, from, button);
    for (const QPoint& p : path) Send(QEvent::MouseMove, Qt::NoButton, p, button);
    Send(QEvent::MouseMove, Qt::NoButton, to, button);
    if (ending != 1) Send(QEvent::MouseButtonRelease, release, to, Qt::NoButton);
    if (!(doc_.AxisRange == before)) ++zooms_;
  }

  void Move() {
    const QPoint to = AnyPixel();
    Note("move to " + Text(to));
    Send(QEvent::MouseMove, Qt::NoButton, to, Qt::NoButton);
  }

  void Undo() {
    if (dice_.Chance(500)) {
      Note("Undo Axis");
      Trigger("miUndo");
    } else {
      const QPoint at = AnyPixel();
      Note("right release at " + Text(at));
      Send(QEvent::MouseButtonRelease, Qt::RightButton, at, Qt::NoButton);
    }
  }

  // Every menu command but Print, with the services' answers drawn first.
  void Command() {
    static const std::vector<const char*> kItems = {
        "miOpen",    "miOpen",     "miSave",         "miQuit",       "miUndo",
        "miCopy",    "miPaste",    "miPaste",        "miCopyBitmap", "miCopyMetafile",
        "miModify",  "miModify",   "miFont",         "miHelpMe",     "miAbout",
        "miReload",  "miNextFile", "miPreviousFile", "miFollowFile", "miAddFile",
        "miAddFile", "miStack",    "miUnstack",      "miLegend"};
    const char* item = dice_.Pick(kItems);
    const std::string_view picked = item;
    std::string detail;
    if (picked == "miOpen" || picked == "miAddFile") {
      const int kind = dice_.Below(5);
      fakes_.file_dialogs.answer =
          kind == 0 ? std::nullopt : std::optional<std::string>(files_.Any(dice_));
      detail = fakes_.file_dialogs.answer.value_or("(cancel)");
    } else if (picked == "miSave") {
      fakes_.file_dialogs.answer = SaveTarget();
      fakes_.boxes.answer = dice_.Chance(500);
      detail = fakes_.file_dialogs.answer.value_or("(cancel)") +
               (fakes_.boxes.answer ? ", overwrite" : ", keep");
    } else if (picked == "miPaste") {
      fakes_.clipboard.text = ClipboardText();
      detail = std::to_string(fakes_.clipboard.text.size()) + " characters";
    } else if (picked == "miFont") {
      fakes_.font_dialog.answer = AnyFont();
      detail = fakes_.font_dialog.answer
                   ? fakes_.font_dialog.answer->name.substr(0, 40) + " " +
                         std::to_string(fakes_.font_dialog.answer->pixel_height) + " px"
                   : "(cancel)";
    } else if (HeavyPicture() && (picked == "miCopyBitmap" || picked == "miCopyMetafile")) {
      // Encoding a picture of 33 million pixels takes seconds under the
      // sanitizers; at that size the command is tried once in a while only.
      if (!dice_.Chance(100)) item = "miHelpMe";
    }
    Note(std::string(item) + " " + detail);
    Trigger(item);
  }

  // A PDF file through the printer the print dialog hands back; rare, as
  // every page is a whole vector plot.
  void Print() {
    const int kind = dice_.Below(6);
    std::string target;
    if (kind == 0) {
      fakes_.print_dialog.printer = nullptr;
      target = "(cancel)";
    } else {
      target = kind == 1 ? files_.dir.Path("missing/page.pdf")
                         : files_.dir.Path("page" + std::to_string(kind) + ".pdf");
      printer_.setOutputFileName(QString::fromStdString(target));
      printer_.setPageOrientation(dice_.Chance(500) ? QPageLayout::Landscape
                                                    : QPageLayout::Portrait);
      printer_.setFullPage(dice_.Chance(300));
      fakes_.print_dialog.printer = &printer_;
    }
    Note("miPrint to " + target);
    Trigger("miPrint");
  }

  // One of fourteen edits, the typing and the choice of lines twice as often.
  void EditDialog() {
    static const Action kEdits[] = {
        &Monkey::TypeAxis,  &Monkey::TypeAxis,      &Monkey::TypeSpin,    &Monkey::TypeSpin,
        &Monkey::StepSpin,  &Monkey::ClickCheckBox, &Monkey::SelectLine,  &Monkey::SelectLine,
        &Monkey::KeyInList, &Monkey::ClickAppend,   &Monkey::ClickRemove, &Monkey::SwitchTab,
        &Monkey::AddOrEdit, &Monkey::ShowOrClose};
    (this->*kEdits[dice_.Below(14)])();
  }

  void AddOrEdit() { dice_.Chance(500) ? AppendPair() : EditParameter(); }
  void ClickAppend() { ClickButton("ButtonAppend"); }
  void ClickRemove() { ClickButton("ButtonRemove"); }

  void ShowOrClose() {
    Note(dialog_->isVisible() ? "close the dialog" : "Modify (show the dialog)");
    if (dialog_->isVisible()) {
      dialog_->close();
    } else {
      Trigger("miModify");
    }
  }

  void TypeAxis() {
    static const std::vector<const char*> kEdits = {"EditAxisTop", "EditAxisBottom", "EditAxisLeft",
                                                    "EditAxisRight"};
    const char* name = dice_.Pick(kEdits);
    auto* edit = dialog_->findChild<QLineEdit*>(name);
    const int how = dice_.Below(4);
    if (how == 0) {
      const QString text = AnyText(dice_);
      Note(std::string("paste into ") + name + ": " + Shown(text));
      if (dice_.Chance(500)) edit->clear();
      edit->insert(text);
    } else {
      TypeInto(edit, edit, name, how == 1 ? KeyText(dice_) : NumberText(dice_), 700);
    }
  }

  IntSpinEdit* AnySpin(const char** name_out) {
    static const std::vector<const char*> kSpins = {
        "SpinEditTop",       "SpinEditLeft",      "SpinEditBottom", "SpinEditRight",
        "SpinEditDistanceX", "SpinEditDistanceY", "SpinEditTickX",  "SpinEditTickY",
        "SpinEditMMWidth",   "SpinEditMMHeight"};
    *name_out = dice_.Pick(kSpins);
    return dialog_->findChild<IntSpinEdit*>(*name_out);
  }

  void TypeSpin() {
    const char* name = nullptr;
    IntSpinEdit* spin = AnySpin(&name);
    auto* edit = spin->findChild<QLineEdit*>();
    const int how = dice_.Below(6);
    if (how == 0) {
      const QString text = AnyText(dice_);
      Note(std::string("paste into ") + name + ": " + Shown(text));
      edit->selectAll();
      edit->insert(text);
      return;
    }
    // Else mostly sizes a user would try, sometimes anything in 32 bits.
    const std::string text =
        how == 1   ? KeyText(dice_)
        : how == 2 ? NumberText(dice_)
                   : std::to_string(dice_.Chance(800) ? dice_.Between(-100, 3000)
                                                      : dice_.Between(INT32_MIN, INT32_MAX));
    TypeInto(spin, edit, name, text, 800);
  }

  // Typed key by key over the edit's text or into it; characters no key
  // gives are left to pastes.
  void TypeInto(QWidget* target, QLineEdit* edit, const char* name, const std::string& text,
                int over_per_mille) {
    const bool replace = dice_.Chance(over_per_mille);
    Note(std::string(replace ? "type over " : "type into ") + name + ": " + text.substr(0, 80));
    if (replace) edit->selectAll();
    for (const char c : text) QTest::keyClick(target, c);
  }

  void StepSpin() {
    const char* name = nullptr;
    IntSpinEdit* spin = AnySpin(&name);
    const int steps = int(dice_.Between(-3, 3));
    const bool keys = dice_.Chance(500);
    Note(std::string("step ") + name + " by " + std::to_string(steps) + (keys ? " keys" : ""));
    if (keys) {
      for (int i = 0; i < std::abs(steps); ++i) {
        QTest::keyClick(spin, steps > 0 ? Qt::Key_Up : Qt::Key_Down);
      }
    } else {
      spin->stepBy(steps);
    }
  }

  void ClickCheckBox() {
    static const std::vector<const char*> kBoxes = {"CheckBoxAxis", "CheckBoxMargin",
                                                    "CheckBoxScale", "CheckBoxColor"};
    const char* name = dice_.Pick(kBoxes);
    Note(std::string("click ") + name);
    dialog_->findChild<QCheckBox*>(name)->click();
  }

  ListBox* AnyList(const char** name_out) {
    static const std::vector<const char*> kLists = {"ListBoxWaves", "ListBoxParams", "ListBoxYwave",
                                                    "ListBoxXwave", "ListBoxTraces"};
    *name_out = dice_.Pick(kLists);
    return dialog_->findChild<ListBox*>(*name_out);
  }

  // A line chosen as a click on it would choose it; now and then one past
  // the end or none, as a stale list might give.
  void SelectLine() {
    const char* name = nullptr;
    ListBox* list = AnyList(&name);
    const int line = dice_.Chance(100) ? int(dice_.Between(-1, list->count() + 2))
                                       : (list->count() > 0 ? dice_.Below(list->count()) : -1);
    Note(std::string("select line ") + std::to_string(line) + " of " + name + " (" +
         std::to_string(list->count()) + " lines)");
    list->SetItemIndex(line);
    emit list->Click();
  }

  void KeyInList() {
    const char* name = nullptr;
    ListBox* list = AnyList(&name);
    static const std::vector<Qt::Key> kKeys = {Qt::Key_Down, Qt::Key_Up,       Qt::Key_Home,
                                               Qt::Key_End,  Qt::Key_PageDown, Qt::Key_Space};
    const Qt::Key key = dice_.Pick(kKeys);
    Note(std::string("key ") + std::to_string(int(key)) + " in " + name);
    QTest::keyClick(list, key);
  }

  // A Y wave and an X wave selected, then Append: the common way to add a
  // trace, frequent enough to fill the list.
  void AppendPair() {
    ListBox* ys = dialog_->findChild<ListBox*>("ListBoxYwave");
    ListBox* xs = dialog_->findChild<ListBox*>("ListBoxXwave");
    const int y = ys->count() > 0 ? dice_.Below(ys->count()) : -1;
    const int x = xs->count() > 0 ? dice_.Below(xs->count()) : -1;
    Note("append " + std::to_string(y) + " vs " + std::to_string(x));
    ys->SetItemIndex(y);
    xs->SetItemIndex(x);
    dialog_->findChild<QPushButton*>("ButtonAppend")->click();
  }

  // A wave chosen, then one of its parameters: the prompt answers.
  void EditParameter() {
    ListBox* waves = dialog_->findChild<ListBox*>("ListBoxWaves");
    ListBox* params = dialog_->findChild<ListBox*>("ListBoxParams");
    const int wave = waves->count() > 0 ? dice_.Below(waves->count()) : -1;
    const int row = dice_.Below(document::kParameterCount);
    Note("edit parameter " + std::to_string(row) + " of wave " + std::to_string(wave));
    waves->SetItemIndex(wave);
    emit waves->Click();
    params->SetItemIndex(row);
    emit params->Click();
  }

  void ClickButton(const char* name) {
    Note(std::string("click ") + name);
    dialog_->findChild<QPushButton*>(name)->click();
  }

  void SwitchTab() {
    const int tab = dice_.Below(3);
    Note("tab " + std::to_string(tab));
    dialog_->findChild<QTabWidget*>("PageControl")->setCurrentIndex(tab);
  }

  // The timer's count ran out.
  void Apply() {
    Note("apply");
    ++applies_;
    dialog_->TimerTimer();
  }

  void Load() {
    const std::string path = files_.Any(dice_);
    Note("load " + path);
    form_->LoadFile(path);
  }

  void Drop() {
    std::vector<std::string> paths(size_t(dice_.Between(1, 3)));
    for (std::string& path : paths) path = files_.Any(dice_);
    std::string names;
    for (const std::string& path : paths) names += " " + path;
    Note("drop" + names);
    form_->AppMessage(paths);
  }

  // Sizes down to 0 x 0, ordinary ones, long thin ones, and now and then
  // one up to the bound: those redraw 33 million pixels at every step
  // until the next resize, so they are kept rare.
  void Resize() {
    QSize size;
    const int kind = dice_.Below(100);
    if (kind < 15) {
      size = QSize(dice_.Below(70), dice_.Below(70));
    } else if (kind < 95) {
      size = QSize(int(dice_.Between(64, 1600)), int(dice_.Between(64, 1200)));
    } else if (kind < 98) {
      const int long_side = int(dice_.Between(1600, 8000));
      const int short_side = int(dice_.Between(1, 300));
      size = dice_.Chance(500) ? QSize(long_side, short_side) : QSize(short_side, long_side);
    } else {
      size = QSize(int(dice_.Between(8000, 32767)), int(dice_.Between(8000, 32767)));
    }
    if (dice_.Chance(20)) size = dice_.Chance(700) ? QSize(0, 0) : QSize(32767, 32767);
    Note("resize to " + std::to_string(size.width()) + " x " + std::to_string(size.height()));
    form_->SetClientSize(size);
  }

  void Redraw() {
    const bool layout = dice_.Chance(500);
    Note(layout ? "FormResize" : "DrawScreenPlot");
    if (layout) {
      form_->FormResize();
    } else {
      form_->DrawScreenPlot();
    }
  }

  // The window painted, as the screen would show it, and the requests the
  // toolkit queued delivered (no timer fires: only posted events run).
  void Paint() {
    const QRect part(0, 0, dice_.Between(1, 800), dice_.Between(1, 600));
    Note("paint " + std::to_string(part.width()) + " x " + std::to_string(part.height()));
    const QPixmap shot = form_->grab(part);
    (void)shot;
    QCoreApplication::sendPostedEvents();
  }

  void CloseWindow() {
    Note("close the main window");
    form_->close();
  }

  // ---- helpers

  bool HeavyPicture() const {
    return int64_t{doc_.ClientSize.Width} * doc_.ClientSize.Height > (int64_t{1} << 22);
  }

  std::optional<std::string> SaveTarget() {
    if (HeavyPicture() && !dice_.Chance(50)) return std::nullopt;
    const int kind = dice_.Below(9);
    if (kind == 0) return std::nullopt;
    const std::string kOdd[] = {files_.dir.Path("missing/folder/plot.bmp"), files_.dir.Path(""),
                                "/dev/null", "/dev/full", files_.existing};
    if (kind <= 5) return kOdd[kind - 1];
    return files_.dir.Path("plot" + std::to_string(dice_.Below(3)) + ".bmp");
  }

  std::string ClipboardText() {
    const int kind = dice_.Below(6);
    if (kind == 0) return {};
    if (kind == 1) return NumberText(dice_);
    if (kind == 2) {
      return dice_.Chance(30) ? std::string(size_t{1} << 20, 'W')
                              : std::string(size_t(dice_.Between(100, 10000)), 'x');
    }
    return AnyText(dice_).toLatin1().toStdString();
  }

  std::optional<render::FontSpec> AnyFont() {
    if (dice_.Chance(150)) return std::nullopt;
    static const std::vector<std::string> kNames = {
        "Times New Roman",    "Arial", "Liberation Mono", "DejaVu Sans", "", "No Such Font",
        std::string(300, 'F')};
    render::FontSpec font;
    font.name = dice_.Pick(kNames);
    // 1 to 2,000 pixels, as many small as large.
    font.pixel_height =
        std::clamp(int(std::lround(std::exp(dice_.Unit() * std::log(2000.0)))), 1, 2000);
    font.bold = dice_.Chance(300);
    font.italic = dice_.Chance(300);
    return font;
  }

  void Trigger(const char* item) { form_->findChild<QAction*>(item)->trigger(); }

  static std::string Text(QPoint p) {
    return "(" + std::to_string(p.x()) + ", " + std::to_string(p.y()) + ")";
  }

  static std::string Shown(const QString& text) {
    return std::to_string(text.size()) + " characters \"" + text.left(40).toUtf8().toStdString() +
           "\"";
  }

  const uint64_t seed_;
  const int actions_;
  Dice dice_;
  int action_ = 0;
  std::string what_;
  const bool log_ = LogEveryAction();
  RunFiles files_;
  document::GraphDocument doc_;
  DicePrompt prompt_{dice_};
  korvelin::testing::FakeServices fakes_;
  QPrinter printer_{QPrinter::HighResolution};
  std::ostringstream skipped_files_;
  std::unique_ptr<TMainForm> form_;
  QWidget* image_ = nullptr;
  TFormModify* dialog_ = nullptr;
  int zooms_ = 0;
  int applies_ = 0;
};

class Seeds : public ::testing::TestWithParam<uint64_t> {
 protected:
  void SetUp() override { InstallLastWords(); }
};

TEST_P(Seeds, LeaveTheDocumentWithinItsTables) {
  Monkey monkey(GetParam(), ActionCount());
  if (monkey.Run()) std::printf("monkey: %s\n", monkey.Summary().c_str());
}

INSTANTIATE_TEST_SUITE_P(Monkey, Seeds, ::testing::ValuesIn(ChosenSeeds()),
                         [](const ::testing::TestParamInfo<uint64_t>& info) {
                           return "Seed" + std::to_string(info.param);
                         });

// Two runs of one seed, each in a window and folder of its own, see the
// same states action by action: a failing seed shows its failure again.
TEST(MonkeyReplay, ASeedGivesTheSameRunTwice) {
  InstallLastWords();
  const uint64_t seed = ChosenSeeds().front();
  const int actions = std::min(ActionCount(), 400);
  std::vector<uint64_t> first;
  std::vector<uint64_t> second;
  ASSERT_TRUE(Monkey(seed, actions).Run(&first));
  ASSERT_TRUE(Monkey(seed, actions).Run(&second));
  ASSERT_EQ(first.size(), second.size());
  const auto differ = std::mismatch(first.begin(), first.end(), second.begin());
  EXPECT_TRUE(differ.first == first.end())
      << "seed " << seed << " went another way at action " << (differ.first - first.begin());
}

// ---------------------------------------------------------------------------
// What the monkey found, each kept as a plain case of its own.

class FoundByTheMonkey : public WindowFixture {
 protected:
  void Send(QEvent::Type type, Qt::MouseButton button, int x, int y) {
    const QPointF at(x, y);
    QMouseEvent event(type, at, at, button,
                      type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton,
                      Qt::NoModifier);
    QApplication::sendEvent(form_->findChild<QWidget*>("Image"), &event);
  }
  uint32_t Pixel(int x, int y) const { return form_->Picture().pixel(x, y) & 0xFFFFFF; }
};

// Seeds 20251207 (action 3) and 20251207 (action 231): a band from a corner
// at the far left of the 32-bit range overflowed the width of its outline,
// and one with both corners at -2147483648 the last pixel of its edge.
TEST_F(FoundByTheMonkey, ABandFromTheEndsOfTheRangeShowsItsVisibleEdges) {
  Send(QEvent::MouseButtonPress, Qt::LeftButton, INT_MIN + 1, 1);
  Send(QEvent::MouseMove, Qt::NoButton, 100, 200);
  EXPECT_EQ(Pixel(50, 1), 0x808080u) << "top edge, grey xor white";
  EXPECT_EQ(Pixel(99, 100), 0x808080u) << "right edge";
  EXPECT_EQ(Pixel(50, 199), 0x808080u) << "bottom edge";
  EXPECT_EQ(Pixel(0, 100), 0xFFFFFFu) << "the left edge lies far outside";
  Send(QEvent::MouseButtonRelease, Qt::LeftButton, 100, 200);

  const QImage before = form_->Picture();
  Send(QEvent::MouseButtonPress, Qt::LeftButton, INT_MIN, INT_MIN);
  Send(QEvent::MouseMove, Qt::NoButton, INT_MIN, INT_MIN);
  Send(QEvent::MouseMove, Qt::NoButton, INT_MAX, INT_MAX);
  Send(QEvent::MouseMove, Qt::NoButton, INT_MIN, INT_MIN);
  EXPECT_EQ(form_->Picture(), before) << "nothing of either band is on the picture";
  Send(QEvent::MouseButtonRelease, Qt::LeftButton, INT_MIN, INT_MIN);
  EXPECT_TRUE(WithinTables(doc_));
}

// Seed 117, action 3792: a 410-pixel font in a window 41 pixels high and a
// page of 2028 x 2864 mm ask the vector plot for a page font of 1.4 million
// pixels, which Qt measured 224 x 32; the scale then walked a million ticks
// and Copy Metafile took a minute to put 700 MB on the clipboard.
TEST_F(FoundByTheMonkey, AFontTooLargeForTheFontEnginesMeasuresInProportion) {
  platform::FontMeasurer measurer;
  measurer.SetFont({"Arial", 8000, false, false});
  const render::TextSize at_8000 = measurer.Measure(render::kReferenceText);
  for (const int pixels : {40000, 100000, 1440000}) {
    measurer.SetFont({"Arial", pixels, false, false});
    const render::TextSize size = measurer.Measure(render::kReferenceText);
    const double ratio = pixels / 8000.0;
    EXPECT_NEAR(size.width, at_8000.width * ratio, at_8000.width * ratio * 0.01) << pixels;
    EXPECT_NEAR(size.height, at_8000.height * ratio, at_8000.height * ratio * 0.01) << pixels;
  }

  fakes_.font_dialog.answer = render::FontSpec{"Arial", 410, false, false};
  Trigger("miFont");
  doc_.Settings.DistanceX = -352421;
  doc_.Settings.MetafileWidth = 202800;
  doc_.Settings.MetafileHeight = 286400;
  form_->SetClientSize(QSize(6485, 41));
  const render::VectorRecording recording = render::RecordVectorPlot(
      doc_, form_->View().Measurer(), form_->Font(), form_->View().DecimalSeparator());
  EXPECT_LT(recording.Size(), 1000u) << "a frame and a few dozen ticks";
  Trigger("miCopyMetafile");
  ASSERT_NE(fakes_.clipboard.data, nullptr);
  EXPECT_LT(fakes_.clipboard.data->data("image/svg+xml").size(), 1 << 20);
}

}  // namespace
}  // namespace korvelin::ui
