// The real program, started as a process: what it does without a display,
// its headless modes' exit codes and messages, and its window on an X server
// (Xvfb) grabbed from the screen.

#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QProcess>
#include <QRegularExpression>
#include <QScreen>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <functional>

#include "document/IgorReader.h"
#include "render/MouseZoom.h"
#include "render/PlotMapping.h"
#include "ui/PatternFiles.h"
#include "ui/PlotView.h"

namespace korvelin::ui {
namespace {

using korvelin::testing::DiagonalPattern;
using korvelin::testing::PatternDir;

QString Binary() {
  const QString named = qEnvironmentVariable("KORVELIN_BINARY");
  if (!named.isEmpty()) return named;
  // Run by hand from the build tree: the program lies one folder up.
  return QFileInfo(QString("/proc/self/exe")).symLinkTarget().section('/', 0, -3) + "/korvelin";
}

struct Outcome {
  bool crashed = true;
  int exit_code = -1;
  QString out;
  QString err;
};

// The environment without any display or platform choice, plus extra.
QProcessEnvironment Environment(const QStringList& extra = {}) {
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) env.remove(name);
  for (const QString& pair : extra) env.insert(pair.section('=', 0, 0), pair.section('=', 1));
  return env;
}

// Runs the program; `prepare` may redirect its output or put a wrapper (a
// shell, a change of user) in front of it by changing program and args.
Outcome RunProgram(QStringList args, const QProcessEnvironment& env,
                   const std::function<void(QProcess&, QString&, QStringList&)>& prepare = {}) {
  QProcess process;
  process.setProcessEnvironment(env);
  QString program = Binary();
  if (prepare) prepare(process, program, args);
  process.start(program, args);
  Outcome outcome;
  if (!process.waitForFinished(30000)) return outcome;
  outcome.crashed = process.exitStatus() == QProcess::CrashExit;
  outcome.exit_code = process.exitCode();
  outcome.out = QString::fromLocal8Bit(process.readAllStandardOutput());
  outcome.err = QString::fromLocal8Bit(process.readAllStandardError());
  return outcome;
}

TEST(Program, WithoutADisplaySaysSoInOneLineAndNamesExport) {
  PatternDir dir;
  const QString red = QString::fromStdString(dir.Write("red.pat", DiagonalPattern()));
  const Outcome outcome = RunProgram({red}, Environment());
  EXPECT_FALSE(outcome.crashed);
  EXPECT_NE(outcome.exit_code, 0);
  EXPECT_EQ(outcome.err.count('\n'), 1) << outcome.err.toStdString();
  EXPECT_TRUE(outcome.err.contains("display")) << outcome.err.toStdString();
  EXPECT_TRUE(outcome.err.contains("--export")) << outcome.err.toStdString();
}

TEST(Program, AnUnreachableDisplayIsReportedTheSameWay) {
  const Outcome outcome = RunProgram({}, Environment({"DISPLAY=:0.77"}));
  EXPECT_FALSE(outcome.crashed);
  EXPECT_NE(outcome.exit_code, 0);
  EXPECT_EQ(outcome.err.count('\n'), 1) << outcome.err.toStdString();
  EXPECT_TRUE(outcome.err.contains("--export")) << outcome.err.toStdString();
}

TEST(Program, DumpWithoutSizeStartsNoToolkit) {
  PatternDir dir;
  const QString red = QString::fromStdString(dir.Write("red.pat", DiagonalPattern()));
  // Any toolkit start would fail on this platform and end the process.
  const Outcome outcome =
      RunProgram({"--dump", red}, Environment({"QT_QPA_PLATFORM=no-such-platform"}));
  EXPECT_FALSE(outcome.crashed);
  EXPECT_EQ(outcome.exit_code, 0) << outcome.err.toStdString();
  EXPECT_TRUE(outcome.out.startsWith("{")) << outcome.out.toStdString();
  EXPECT_EQ(outcome.err, "");
}

TEST(Program, ExportChoosesItsOwnPlatformAndNamesOnlyRejectedFiles) {
  PatternDir dir;
  const QString red = QString::fromStdString(dir.Write("red.pat", DiagonalPattern()));
  const QString missing = QString::fromStdString(dir.Path("missing.pat"));
  const QString out = QString::fromStdString(dir.Path("out.png"));
  const Outcome outcome = RunProgram({"--export", out, "--size", "320x200", red, missing},
                                     Environment({"QT_QPA_PLATFORM=no-such-platform"}));
  EXPECT_FALSE(outcome.crashed);
  EXPECT_EQ(outcome.exit_code, 1);
  EXPECT_EQ(outcome.err.count('\n'), 1) << outcome.err.toStdString();
  EXPECT_TRUE(outcome.err.startsWith("korvelin: " + missing + ": ")) << outcome.err.toStdString();
  EXPECT_EQ(QImage(out).size(), QSize(320, 200));
}

TEST(Program, HelpVersionAndBadOptions) {
  const Outcome help = RunProgram({"--help"}, Environment());
  EXPECT_EQ(help.exit_code, 0);
  EXPECT_TRUE(help.out.contains("--export OUT.png|.bmp|.emf|.svg|.pdf"));
  const Outcome version = RunProgram({"--version"}, Environment());
  EXPECT_EQ(version.exit_code, 0);
  EXPECT_EQ(version.out, "korvelin 0.2.0\n");
  const Outcome bad = RunProgram({"--size", "12"}, Environment());
  EXPECT_EQ(bad.exit_code, 2);
  EXPECT_TRUE(bad.err.contains("--help"));
}

// Started by the test below as a separate process on the X server: grabs the
// whole screen into the file KORVELIN_GRAB_OUT names.
TEST(ProgramUnderXvfb, DISABLED_GrabScreen) {
  const QString path = qEnvironmentVariable("KORVELIN_GRAB_OUT");
  ASSERT_FALSE(path.isEmpty());
  QScreen* screen = QGuiApplication::primaryScreen();
  ASSERT_NE(screen, nullptr);
  ASSERT_TRUE(screen->grabWindow(0).save(path, "PNG"));
}

// Output that cannot be written is a failure with its reason, in one line,
// whatever the output is: standard output or a picture file.
TEST(HonestOutput, AFullOrClosedOutputFailsWithTheSystemsReason) {
  PatternDir dir;
  const QString red = QString::fromStdString(dir.Write("red.pat", DiagonalPattern()));
  auto to_full = [](QProcess& process, QString&, QStringList&) {
    process.setStandardOutputFile("/dev/full");
  };
  for (const QStringList& args :
       {QStringList{"--dump", red}, QStringList{"--help"}, QStringList{"--version"},
        QStringList{"--dump", "--size", "320x200", red}}) {
    const Outcome outcome = RunProgram(args, Environment(), to_full);
    EXPECT_EQ(outcome.exit_code, 1) << args.join(' ').toStdString();
    EXPECT_EQ(outcome.err, "korvelin: standard output: No space left on device\n");
  }
  auto closed = [](QProcess&, QString& program, QStringList& args) {
    args.prepend(program);
    args = QStringList{"-c", "exec \"$0\" \"$@\" >&-"} + args;
    program = "/bin/sh";
  };
  const Outcome outcome = RunProgram({"--dump", red}, Environment(), closed);
  EXPECT_EQ(outcome.exit_code, 1);
  EXPECT_EQ(outcome.err, "korvelin: standard output: Bad file descriptor\n");

  const QString full = QString::fromStdString(dir.Path("full.png"));
  ASSERT_TRUE(QFile::link("/dev/full", full));
  const Outcome device = RunProgram({"--export", full, red}, Environment());
  EXPECT_EQ(device.exit_code, 1);
  EXPECT_EQ(device.err, "korvelin: " + full + ": No space left on device\n");
}

// A file system that fills up part-way: a small one is mounted where the
// test may (as root); elsewhere the writer's own test fails each step.
TEST(HonestOutput, AFullDiskKeepsTheOldPictureAndLeavesNothingBehind) {
  QTemporaryDir dir;
  const QString folder = dir.path() + "/small";
  QDir().mkpath(folder);
  QProcess mount;
  mount.start("mount", {"-t", "tmpfs", "-o", "size=16k", "tmpfs", folder});
  if (!mount.waitForFinished(10000) || mount.exitCode() != 0) {
    GTEST_SKIP() << "cannot mount a small file system here (needs root); "
                    "AtomicFileFailure covers a disk that fills";
  }
  PatternDir patterns;
  const QString red = QString::fromStdString(patterns.Write("red.pat", DiagonalPattern()));
  const QString target = folder + "/plot.png";
  QFile old(target);
  ASSERT_TRUE(old.open(QIODevice::WriteOnly));
  old.write("old");
  old.close();
  const Outcome outcome =
      RunProgram({"--export", target, "--size", "3000x3000", red}, Environment());
  QFile kept(target);
  kept.open(QIODevice::ReadOnly);
  const QByteArray bytes = kept.readAll();
  kept.close();
  const QStringList left = QDir(folder).entryList(QDir::Files | QDir::Hidden);
  QProcess::execute("umount", {folder});
  EXPECT_EQ(outcome.exit_code, 1);
  EXPECT_EQ(outcome.err, "korvelin: " + target + ": No space left on device\n");
  EXPECT_EQ(bytes, "old");
  EXPECT_EQ(left, QStringList{"plot.png"});
}

// Root may write anywhere, so as root the program runs as nobody.
TEST(HonestOutput, AReadOnlyFolderIsNamedAndLeftEmpty) {
  const QString folder = "/tmp/korvelin-read-only-" + QString::number(getpid());
  QDir().mkpath(folder + "/out");
  QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                    QFileDevice::ExeOwner | QFileDevice::ReadOther |
                                    QFileDevice::ExeOther);
  QFile pattern(folder + "/red.pat");
  ASSERT_TRUE(pattern.open(QIODevice::WriteOnly));
  pattern.write(QByteArray::fromStdString(DiagonalPattern()));
  pattern.close();
  pattern.setPermissions(QFileDevice::ReadOwner | QFileDevice::ReadOther);
  QFile::setPermissions(folder + "/out", QFileDevice::ReadOwner | QFileDevice::ExeOwner |
                                             QFileDevice::ReadOther | QFileDevice::ExeOther);
  auto as_nobody = [](QProcess&, QString& program, QStringList& args) {
    if (getuid() != 0) return;
    args = QStringList{"--reuid=65534", "--regid=65534", "--clear-groups", program} + args;
    program = "setpriv";
  };
  const QString target = folder + "/out/plot.png";
  const Outcome outcome =
      RunProgram({"--export", target, folder + "/red.pat"}, Environment(), as_nobody);
  const QStringList left = QDir(folder + "/out").entryList(QDir::Files | QDir::Hidden);
  QFile::setPermissions(folder + "/out",
                        QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
  QDir(folder).removeRecursively();
  EXPECT_EQ(outcome.exit_code, 1);
  EXPECT_EQ(outcome.err, "korvelin: " + target + ": Permission denied\n");
  EXPECT_TRUE(left.isEmpty()) << left.join(' ').toStdString();
}

TEST(HonestOutput, AKilledExportLeavesTheOldPictureWhole) {
  PatternDir dir;
  const QString red = QString::fromStdString(dir.Write("red.pat", DiagonalPattern()));
  const QString target = QString::fromStdString(dir.Path("plot.bmp"));
  ASSERT_EQ(RunProgram({"--export", target, "--size", "200x100", red}, Environment()).exit_code, 0);
  QFile before(target);
  before.open(QIODevice::ReadOnly);
  const QByteArray old = before.readAll();
  before.close();
  QProcess process;
  process.setProcessEnvironment(Environment());
  process.start(Binary(), {"--export", target, "--size", "16384x16384", red});
  // Killed once the new picture is being written beside the old one.
  QDir folder(QString::fromStdString(dir.Path("")));
  for (int i = 0;
       i < 600 && folder.entryList({".plot.bmp.*"}, QDir::Hidden | QDir::Files).isEmpty(); ++i) {
    QThread::msleep(25);
    folder.refresh();
  }
  EXPECT_FALSE(folder.entryList({".plot.bmp.*"}, QDir::Hidden | QDir::Files).isEmpty());
  process.kill();
  process.waitForFinished(10000);
  QFile after(target);
  after.open(QIODevice::ReadOnly);
  EXPECT_TRUE(after.readAll() == old) << "the old picture is replaced or cut";
}

// The hidden temporary files beside the targets in folder.
QStringList Temporaries(const QString& folder) {
  return QDir(folder).entryList({".*.bmp.*"}, QDir::Hidden | QDir::Files);
}

// Ctrl+C, a terminal hanging up or a polite kill while a picture is being
// written: the temporary file goes, the old picture stays, and the program
// ends as the signal ends it.
TEST(HonestOutput, AnInterruptedExportRemovesItsTemporaryFile) {
  PatternDir dir;
  const QString red = QString::fromStdString(dir.Write("red.pat", DiagonalPattern()));
  const QString folder = QString::fromStdString(dir.Path(""));
  QDir().mkpath(folder + "/each");
  const struct {
    int signal;
    QStringList args;
    QString watched;
  } cases[] = {
      {SIGINT, {"--export", folder + "/plot.bmp"}, folder},
      {SIGTERM, {"--export", folder + "/plot.bmp"}, folder},
      {SIGHUP, {"--export", folder + "/plot.bmp"}, folder},
      {SIGINT, {"--export-each", folder + "/each/{name}.bmp"}, folder + "/each"},
  };
  for (const auto& c : cases) {
    QProcess process;
    process.setProcessEnvironment(Environment());
    process.start(Binary(), c.args + QStringList{"--size", "16384x16384", red});
    for (int i = 0; i < 600 && Temporaries(c.watched).isEmpty(); ++i) QThread::msleep(25);
    ASSERT_FALSE(Temporaries(c.watched).isEmpty()) << c.signal;
    kill(static_cast<pid_t>(process.processId()), c.signal);
    ASSERT_TRUE(process.waitForFinished(10000));
    EXPECT_EQ(process.exitStatus(), QProcess::CrashExit) << c.signal;
    EXPECT_EQ(process.exitCode(), c.signal);
    EXPECT_EQ(Temporaries(c.watched), QStringList()) << c.signal;
  }
}

TEST(HonestOutput, NamesAreBytesAndOneExportIsOne) {
  PatternDir dir;
  const std::string red = dir.Write("red.pat", DiagonalPattern());
  const std::string raw = dir.Path("o\xff\xfe.png");
  QProcess process;
  process.setProcessEnvironment(Environment());
  // Arguments as the bytes a shell passes, not as text.
  process.start("/bin/sh",
                {"-c", "exec \"$0\" --export \"$(printf '%s' \"$1\" | xxd -r -p)\" \"$2\"",
                 Binary(), QByteArray::fromStdString(raw).toHex(), QString::fromStdString(red)});
  ASSERT_TRUE(process.waitForFinished(30000));
  EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
  EXPECT_EQ(access(raw.c_str(), F_OK), 0) << "the file has the name's bytes";
  const Outcome twice =
      RunProgram({"--export", "a.png", "--export", "b.png", "x.pat"}, Environment());
  EXPECT_EQ(twice.exit_code, 2);
  EXPECT_TRUE(twice.err.startsWith("korvelin: --export may be given once\n"));
}

TEST(HonestOutput, AnOverlongLineIsNamedAndTheRowsBeforeItKept) {
  PatternDir dir;
  const std::string path = dir.Write("long.pat", "IGOR\r\nWAVES a\r\nBEGIN\r\n1\r\n2\r\n");
  ASSERT_EQ(truncate(path.c_str(), off_t{100} << 20), 0);
  const Outcome outcome = RunProgram({"--dump", QString::fromStdString(path)}, Environment());
  EXPECT_EQ(outcome.exit_code, 1);
  EXPECT_TRUE(outcome.err.startsWith("korvelin: " + QString::fromStdString(path) +
                                     ": line 6 is longer than 64 MiB"))
      << outcome.err.toStdString();
  // The rows before the line are kept (and drawn against their index).
  EXPECT_TRUE(outcome.out.contains("{\"name\": \"a\", \"first\": 0, \"stride\": 1, \"count\": 2,"))
      << outcome.out.left(120).toStdString();
}

TEST(Program, HeadlessModesSayHowAFileSavedByAnotherProgramWasRead) {
  PatternDir dir;
  const QString saved = QString::fromStdString(
      dir.Write("saved.pat",
                "IGOR\r\nWAVES/D 'Scan 1', counts\r\nBEGIN\r\n1 5\r\n4 6\r\nEND\r\n"
                "X SetScale/P x 0,0.5,\"\", 'Scan 1'; SetScale y 0,0,\"\", counts\r\n"));
  const QString text = QString::fromStdString(dir.Write("text.pat",
                                                        "IGOR\r\nWAVES/T names\r\n"
                                                        "BEGIN\r\n\"a\"\r\nEND\r\n"));
  const Outcome dump = RunProgram({"--dump", saved}, Environment());
  EXPECT_EQ(dump.exit_code, 0);
  EXPECT_EQ(dump.err, "korvelin: " + saved + ": read as saved waves: 2 traces\n");
  const Outcome nothing =
      RunProgram({"--export", QString::fromStdString(dir.Path("t.png")), text}, Environment());
  EXPECT_EQ(nothing.exit_code, 0);
  EXPECT_EQ(nothing.err, "korvelin: " + text + ": no wave to plot; left out: text wave (1)\n");
}

// A vector page of no size, or one past 20 m, is a wrong command line: no
// file is made and the status is 2, for one export and for a batch.
TEST(Program, AVectorPageOfNoSizeIsAWrongCommandLine) {
  PatternDir dir;
  const QString red = QString::fromStdString(dir.Write("red.pat", DiagonalPattern()));
  const QString pdf = QString::fromStdString(dir.Path("page.pdf"));
  for (const QStringList& args :
       {QStringList{"--export", pdf, "--set", "MetafileWidth=0"},
        QStringList{"--export", pdf, "--set", "MetafileHeight=2000001"},
        QStringList{"--export-each", QString::fromStdString(dir.Path("{name}.svg")), "--set",
                    "MetafileWidth=-5"}}) {
    const Outcome outcome = RunProgram(args + QStringList{red}, Environment());
    EXPECT_EQ(outcome.exit_code, 2) << args.join(' ').toStdString();
    EXPECT_TRUE(outcome.err.contains("is not a page")) << outcome.err.toStdString();
    EXPECT_EQ(QDir(QString::fromStdString(dir.Path(""))).entryList(QDir::Files),
              QStringList{"red.pat"});
  }
  // A picture of the window needs no page.
  const QString png = QString::fromStdString(dir.Path("plot.png"));
  EXPECT_EQ(RunProgram({"--export", png, "--set", "MetafileWidth=0", red}, Environment()).exit_code,
            0);
}

// The layout of the largest window is printed without making its picture:
// within 400 MB of address space, where a 16384 x 16384 picture alone takes
// a gigabyte.
TEST(Program, DumpWithASizeMakesNoPicture) {
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "the sanitizer's shadow memory needs more address space than the limit";
#endif
  auto bounded = [](QProcess&, QString& program, QStringList& args) {
    args = QStringList{"-c", "ulimit -v 400000; exec \"$0\" \"$@\"", program} + args;
    program = "/bin/sh";
  };
  PatternDir dir;
  const QString red = QString::fromStdString(dir.Write("red.pat", DiagonalPattern()));
  const Outcome outcome =
      RunProgram({"--dump", "--size", "16384x16384", red}, Environment(), bounded);
  EXPECT_EQ(outcome.exit_code, 0) << outcome.err.toStdString();
  EXPECT_TRUE(outcome.out.contains("\"client\": [16384, 16384]"))
      << outcome.out.right(300).toStdString();
}

// Two texts that name one file, through "..", a link to a folder or a
// link to the file, are one output: refused before anything is written.
TEST(Program, ExportEachFindsCollisionsThroughTheFileSystem) {
  PatternDir dir;
  const QString root = QString::fromStdString(dir.Path(""));
  QDir().mkpath(root + "/A");
  QDir().mkpath(root + "/B");
  ASSERT_TRUE(QFile::link(root + "/A", root + "/link"));
  const QString a = QString::fromStdString(dir.Write("A/x.pat", DiagonalPattern()));
  const QString b = QString::fromStdString(dir.Write("B/x.pat", DiagonalPattern()));
  const QString c = QString::fromStdString(dir.Write("C.pat", DiagonalPattern()));
  ASSERT_TRUE(QFile::link(root + "/A/x.png", root + "/A/C.png"));  // a link to the file
  for (const QStringList& args : {QStringList{"{dir}/../{name}.png", a, b},
                                  QStringList{"{dir}/x.png", a, root + "/link/x.pat"},
                                  QStringList{root + "/A/{name}.png", a, c}}) {
    const Outcome outcome = RunProgram(QStringList{"--export-each"} + args, Environment());
    EXPECT_EQ(outcome.exit_code, 2) << args.join(' ').toStdString();
    EXPECT_TRUE(outcome.err.contains("nothing was written")) << outcome.err.toStdString();
  }
  EXPECT_EQ(QDir(root).entryList({"*.png"}, QDir::Files), QStringList());
  EXPECT_EQ(QDir(root + "/A").entryList({"*.png"}, QDir::Files | QDir::System),
            QStringList{"C.png"});
}

// Any name the file system takes can be written, up to its 255 bytes: the
// temporary file beside it gets a shorter stem.
TEST(HonestOutput, NamesUpToTheFileSystemsLimitAreWritten) {
  PatternDir dir;
  const QString red = QString::fromStdString(dir.Write("red.pat", DiagonalPattern()));
  for (int length : {247, 248, 251, 255}) {
    const QString name = QString(length - 4, 'n') + ".png";
    const QString target = QString::fromStdString(dir.Path(name.toStdString()));
    const Outcome outcome = RunProgram({"--export", target, red}, Environment());
    EXPECT_EQ(outcome.exit_code, 0) << length << " " << outcome.err.toStdString();
    EXPECT_FALSE(QImage(target).isNull()) << length;
  }
  const QString too_long = QString::fromStdString(dir.Path(std::string(252, 'n') + ".png"));
  const Outcome outcome = RunProgram({"--export", too_long, red}, Environment());
  EXPECT_EQ(outcome.exit_code, 1);
  EXPECT_TRUE(outcome.err.endsWith(": File name too long\n")) << outcome.err.toStdString();
  EXPECT_EQ(QDir(QString::fromStdString(dir.Path(""))).entryList(QDir::Files | QDir::Hidden).size(),
            5);
}

// A name holding a newline cannot forge a second line of diagnostics: it
// is quoted as the shell quotes it, in every message that names it.
TEST(HonestOutput, NamesWithControlCharactersAreQuoted) {
  PatternDir dir;
  const QString red = QString::fromStdString(dir.Write("red.pat", DiagonalPattern()));
  const QString forged = "gone\nkorvelin: fake.pat: forged";
  const QString quoted = "$'gone\\nkorvelin: fake.pat: forged'";
  const Outcome dump = RunProgram({"--dump", forged}, Environment());
  EXPECT_EQ(dump.err, "korvelin: " + quoted + ": No such file or directory\n");
  const Outcome out = RunProgram({"--export", "nowhere/" + forged + ".png", red}, Environment());
  EXPECT_EQ(out.err,
            "korvelin: $'nowhere/gone\\nkorvelin: fake.pat: forged.png': No such file "
            "or directory\n");
  const Outcome each =
      RunProgram({"--export-each", "nowhere/{name}.png", "--", red, forged}, Environment());
  EXPECT_EQ(each.err.count('\n'), 2) << each.err.toStdString();
  EXPECT_TRUE(each.err.contains("korvelin: " + quoted + ": No such")) << each.err.toStdString();
}

// --format names the format of a name without an extension, and "-" is
// standard output: korvelin --export - --format png F | convert - ...
TEST(Program, FormatAndStandardOutput) {
  PatternDir dir;
  const QString red = QString::fromStdString(dir.Write("red.pat", DiagonalPattern()));
  const QString file = QString::fromStdString(dir.Path("plot.png"));
  ASSERT_EQ(RunProgram({"--export", file, red}, Environment()).exit_code, 0);
  QProcess piped;
  piped.setProcessEnvironment(Environment());
  piped.start(Binary(), {"--export", "-", "--format", "png", red});
  ASSERT_TRUE(piped.waitForFinished(30000));
  EXPECT_EQ(piped.exitCode(), 0) << piped.readAllStandardError().toStdString();
  QFile written(file);
  ASSERT_TRUE(written.open(QIODevice::ReadOnly));
  EXPECT_TRUE(piped.readAllStandardOutput() == written.readAll());

  const QString plain = QString::fromStdString(dir.Path("plot"));
  EXPECT_EQ(RunProgram({"--export", plain, "--format", "SVG", red}, Environment()).exit_code, 0);
  QFile svg(plain);
  ASSERT_TRUE(svg.open(QIODevice::ReadOnly));
  EXPECT_TRUE(svg.read(5) == "<?xml");

  const struct {
    QStringList args;
    QString err;
  } wrong[] = {
      {{"--export", "/dev/stdout"},
       "must end in .png, .bmp, .emf, .svg or .pdf (or give --format)"},
      {{"--export", "-", "--format", "gif"}, "--format needs png, bmp, emf, svg or pdf"},
      {{"--dump", "--format", "png"}, "--format goes with --export or --export-each"},
  };
  for (const auto& w : wrong) {
    const Outcome outcome = RunProgram(w.args + QStringList{red}, Environment());
    EXPECT_EQ(outcome.exit_code, 2) << w.args.join(' ').toStdString();
    EXPECT_TRUE(outcome.err.contains(w.err)) << outcome.err.toStdString();
    EXPECT_EQ(outcome.out, "");
  }
}

// The window stays silent about a rejected file; the program names it.
TEST(HonestOutput, TheWindowModeNamesEachRejectedFile) {
  PatternDir dir;
  const QString missing = QString::fromStdString(dir.Path("nope.pat"));
  const QString text = QString::fromStdString(dir.Write("notes.txt", "Just notes\n"));
  QProcess process;
  process.setProcessEnvironment(Environment({"QT_QPA_PLATFORM=offscreen"}));
  process.start(Binary(), {missing, text});
  QByteArray err;
  for (int i = 0; i < 100 && err.count("korvelin: ") < 2; ++i) {
    process.waitForReadyRead(100);
    err += process.readAllStandardError();
  }
  process.kill();
  process.waitForFinished(5000);
  // Only the program's own lines: the offscreen platform adds notes of its own.
  const QStringList lines = QString::fromLocal8Bit(err)
                                .split('\n', Qt::SkipEmptyParts)
                                .filter(QRegularExpression("^korvelin: "));
  ASSERT_EQ(lines.size(), 2) << err.toStdString();
  EXPECT_EQ(lines[0], "korvelin: " + missing + ": No such file or directory");
  EXPECT_EQ(lines[1], "korvelin: " + text + ": not a pattern file (the first line is not IGOR)");
}

// A command-line file read in part is named on standard error at once; its
// box waits for the window instead of holding the start-up before it.
TEST(HonestOutput, TheWindowNamesAFileReadInPartBeforeItsBox) {
  PatternDir dir;
  const std::string path = dir.Write("long.pat", "IGOR\r\nWAVES a\r\nBEGIN\r\n1\r\n2\r\n");
  ASSERT_EQ(truncate(path.c_str(), off_t{100} << 20), 0);
  QProcess process;
  process.setProcessEnvironment(Environment({"QT_QPA_PLATFORM=offscreen"}));
  process.start(Binary(), {QString::fromStdString(path)});
  QByteArray err;
  for (int i = 0; i < 100 && !err.contains("MiB"); ++i) {
    process.waitForReadyRead(100);
    err += process.readAllStandardError();
  }
  process.kill();
  process.waitForFinished(5000);
  EXPECT_TRUE(err.contains("korvelin: " + QByteArray::fromStdString(path) +
                           ": line 6 is longer than 64 MiB"))
      << err.toStdString();
}

class XServer {
 public:
  ~XServer() { Stop(server_); }
  bool Start(const QString& xvfb) {
    for (int n = 71; n < 120; ++n) {
      if (QFile::exists(QString("/tmp/.X%1-lock").arg(n))) continue;
      if (QFile::exists(QString("/tmp/.X11-unix/X%1").arg(n))) continue;
      server_.start(xvfb,
                    {QString(":%1").arg(n), "-screen", "0", "1024x768x24", "-nolisten", "tcp"});
      server_.waitForStarted(5000);
      for (int i = 0; i < 200 && server_.state() == QProcess::Running; ++i) {
        if (QFile::exists(QString("/tmp/.X11-unix/X%1").arg(n))) {
          display_ = QString(":%1").arg(n);
          return true;
        }
        QThread::msleep(50);
      }
      Stop(server_);
    }
    return false;
  }
  const QString& Display() const { return display_; }
  static void Stop(QProcess& process) {
    if (process.state() == QProcess::NotRunning) return;
    process.terminate();
    if (!process.waitForFinished(5000)) process.kill();
    process.waitForFinished(5000);
  }

 private:
  QProcess server_;
  QString display_;
};

QImage GrabScreen(const QString& display, const QString& path) {
  QProcess grab;
  grab.setProcessEnvironment(
      Environment({"DISPLAY=" + display, "QT_QPA_PLATFORM=xcb", "KORVELIN_GRAB_OUT=" + path}));
  grab.start(
      QFileInfo(QString("/proc/self/exe")).symLinkTarget(),
      {"--gtest_also_run_disabled_tests", "--gtest_filter=ProgramUnderXvfb.DISABLED_GrabScreen"});
  if (!grab.waitForFinished(20000) || grab.exitCode() != 0) return {};
  return QImage(path).convertToFormat(QImage::Format_RGB32);
}

bool IsBlack(QRgb pixel) { return (pixel & 0xFFFFFF) == 0; }
bool IsRed(QRgb pixel) { return (pixel & 0xFFFFFF) == 0xFF0000; }
bool IsInk(QRgb pixel) { return qGray(pixel) < 128; }

// Length of the black run through (x, y), vertically or horizontally.
int BlackRun(const QImage& image, int x, int y, bool vertical) {
  if (!IsBlack(image.pixel(x, y))) return 0;
  int length = 1;
  for (int step : {-1, 1}) {
    for (int i = step;; i += step) {
      const int px = vertical ? x : x + i;
      const int py = vertical ? y + i : y;
      if (!image.valid(px, py) || !IsBlack(image.pixel(px, py))) break;
      ++length;
    }
  }
  return length;
}

// Walks from (x, y) by (dx, dy) to the first pixel of a frame side: a black
// line at least 48 pixels long across the walk (tick marks are shorter).
int FindFrame(const QImage& image, int x, int y, int dx, int dy) {
  while (image.valid(x, y)) {
    if (BlackRun(image, x, y, dx != 0) >= 48) return dx != 0 ? x : y;
    x += dx;
    y += dy;
  }
  return -1;
}

// The plot's frame around a point inside it; empty when none is found.
QRect FindPlot(const QImage& image, QPoint inside) {
  const int left = FindFrame(image, inside.x(), inside.y(), -1, 0);
  const int right = FindFrame(image, inside.x(), inside.y(), 1, 0);
  const int top = FindFrame(image, inside.x(), inside.y(), 0, -1);
  const int bottom = FindFrame(image, inside.x(), inside.y(), 0, 1);
  if (left < 0 || right <= left || top < 0 || bottom <= top) return {};
  return QRect(QPoint(left, top), QPoint(right, bottom));
}

TEST(ProgramUnderXvfb, ShowsTheTraceInsideThePlotAndNumbersOutside) {
  const QString xvfb = QStandardPaths::findExecutable("Xvfb");
  if (xvfb.isEmpty()) GTEST_SKIP() << "Xvfb is not installed";
  XServer server;
  ASSERT_TRUE(server.Start(xvfb));
  PatternDir dir;
  const QString red = QString::fromStdString(dir.Write("red.pat", DiagonalPattern()));
  QProcess program;
  program.setProcessEnvironment(Environment({"DISPLAY=" + server.Display()}));
  program.start(Binary(), {red});

  // The window is mapped and painted some time after the start.
  QImage screen;
  QRect trace;
  const QString path = QString::fromStdString(dir.Path("screen.png"));
  for (int attempt = 0; attempt < 40 && trace.isEmpty(); ++attempt) {
    QThread::msleep(250);
    screen = GrabScreen(server.Display(), path);
    for (int y = 0; y < screen.height(); ++y) {
      for (int x = 0; x < screen.width(); ++x) {
        if (IsRed(screen.pixel(x, y))) trace |= QRect(x, y, 1, 1);
      }
    }
  }
  XServer::Stop(program);
  ASSERT_FALSE(trace.isEmpty()) << "no trace colour on the screen";

  const QRect plot = FindPlot(screen, trace.center());
  ASSERT_FALSE(plot.isEmpty());
  EXPECT_TRUE(plot.contains(trace)) << "the trace leaves the plot area";
  const int left = plot.left();
  const int right = plot.right();
  const int top = plot.top();
  const int bottom = plot.bottom();

  // The y numbers stand left of the frame and the x numbers below it,
  // inside the window's margins (about 58 and 31 pixels).
  int ink_left = 0;
  int ink_below = 0;
  for (int y = top; y <= bottom; ++y) {
    for (int x = std::max(0, left - 40); x < left; ++x) ink_left += IsInk(screen.pixel(x, y));
  }
  for (int y = bottom + 1; y < std::min(screen.height(), bottom + 25); ++y) {
    for (int x = left; x <= right; ++x) ink_below += IsInk(screen.pixel(x, y));
  }
  EXPECT_GT(ink_left, 50);
  EXPECT_GT(ink_below, 50);

  // The headless export of the window's client size is the window's picture
  // pixel for pixel, wherever the client area lies on the screen.
  const QString exported = QString::fromStdString(dir.Path("export.png"));
  ASSERT_EQ(RunProgram({"--export", exported, "--size", "640x480", red}, Environment()).exit_code,
            0);
  const QImage picture = QImage(exported).convertToFormat(QImage::Format_RGB32);
  const QRect picture_plot = FindPlot(picture, picture.rect().center());
  ASSERT_EQ(picture_plot.size(), plot.size());
  const QPoint offset = plot.topLeft() - picture_plot.topLeft();
  ASSERT_TRUE(screen.rect().contains(picture.rect().translated(offset)));
  EXPECT_EQ(screen.copy(picture.rect().translated(offset)), picture);
}

// Runs xdotool on the display; its standard output, trimmed.
QString XDoTool(const QString& display, const QStringList& args) {
  QProcess tool;
  tool.setProcessEnvironment(Environment({"DISPLAY=" + display}));
  tool.start("xdotool", args);
  if (!tool.waitForFinished(10000)) return {};
  return QString::fromLocal8Bit(tool.readAllStandardOutput()).trimmed();
}

// The caption as the window system reports it, the way a window list and
// scripts see it; the mouse and the keyboard as a user drives them, on an X
// server with no window manager to give the window its focus.
TEST(ProgramUnderXvfb, TheTitleIsExactlyTheCaptionAndShortcutsWorkAtOnce) {
  const QString xvfb = QStandardPaths::findExecutable("Xvfb");
  if (xvfb.isEmpty() || QStandardPaths::findExecutable("xdotool").isEmpty()) {
    GTEST_SKIP() << "Xvfb or xdotool is not installed";
  }
  XServer server;
  ASSERT_TRUE(server.Start(xvfb));
  PatternDir dir;
  const std::string red = dir.Write("red.pat", DiagonalPattern());
  QProcess program;
  program.setProcessEnvironment(Environment({"DISPLAY=" + server.Display()}));
  program.start(Binary(), {"--size", "640x480", QString::fromStdString(red)});

  QString window;
  for (int attempt = 0; attempt < 80 && window.isEmpty(); ++attempt) {
    QThread::msleep(100);
    window = XDoTool(server.Display(), {"search", "--name", "^KORVELIN"}).section('\n', 0, 0);
  }
  ASSERT_FALSE(window.isEmpty()) << "no window";
  EXPECT_EQ(XDoTool(server.Display(), {"getwindowname", window}), "KORVELIN");

  // Where the picture lies on the screen: the plot's frame, found around the
  // trace, less the plot's place in the picture.
  document::GraphDocument doc;
  ASSERT_TRUE(document::LoadPatternFile(doc, red).accepted());
  PlotView view(doc);
  view.Layout({640, 480});
  const QString path = QString::fromStdString(dir.Path("screen.png"));
  QRect plot;
  QImage first;
  for (int attempt = 0;
       attempt < 40 && plot.size() != QSize(doc.PlotRect.Right - doc.PlotRect.Left,
                                            doc.PlotRect.Bottom - doc.PlotRect.Top);
       ++attempt) {
    QThread::msleep(100);
    first = GrabScreen(server.Display(), path);
    if (!first.isNull()) plot = FindPlot(first, QPoint(first.width() / 2, first.height() / 2));
  }
  ASSERT_EQ(plot.size(),
            QSize(doc.PlotRect.Right - doc.PlotRect.Left, doc.PlotRect.Bottom - doc.PlotRect.Top));
  const QPoint origin = plot.topLeft() - QPoint(doc.PlotRect.Left, doc.PlotRect.Top);
  auto move_to = [&](int x, int y) {
    XDoTool(server.Display(),
            {"mousemove", QString::number(origin.x() + x), QString::number(origin.y() + y)});
  };

  render::MouseState expected;
  const int x = doc.PlotRect.Left + 100;
  const int y = doc.PlotRect.Top + 100;
  render::PixelToData(x, y, doc.PlotRect, doc.AxisRange, expected.MouseDataX, expected.MouseDataY);
  const QString caption = QString::fromStdString(render::ReadoutCaption(expected, '.'));
  ASSERT_TRUE(caption.startsWith("KORVELIN( ")) << caption.toStdString();
  move_to(x, y);
  QString title;
  for (int attempt = 0; attempt < 40 && title != caption; ++attempt) {
    QThread::msleep(50);
    title = XDoTool(server.Display(), {"getwindowname", window});
  }
  EXPECT_EQ(title, caption);

  // A drag zooms; Ctrl+U, sent with no window manager running, undoes it.
  XDoTool(server.Display(), {"mousedown", "1"});
  move_to(x + 200, y + 150);
  XDoTool(server.Display(), {"mouseup", "1"});
  QThread::msleep(300);
  const QRect picture(origin, QSize(640, 480));
  EXPECT_NE(GrabScreen(server.Display(), path).copy(picture), first.copy(picture));
  XDoTool(server.Display(), {"key", "ctrl+u"});
  QImage undone;
  for (int attempt = 0; attempt < 20 && undone != first.copy(picture); ++attempt) {
    QThread::msleep(100);
    undone = GrabScreen(server.Display(), path).copy(picture);
  }
  EXPECT_EQ(undone, first.copy(picture));
  XServer::Stop(program);
}

}  // namespace
}  // namespace korvelin::ui
