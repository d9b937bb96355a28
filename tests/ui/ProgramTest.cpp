// The real program, started as a process: what it does without a display,
// its headless modes' exit codes and messages. Its window on an X server is
// ScreenTest's.

#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>
#include <functional>
#include <string>

#include "document/ColumnFiles.h"
#include "ui/PatternFiles.h"
#include "ui/ProgramRun.h"

namespace korvelin::ui {
namespace {

using korvelin::testing::DiagonalPattern;
using korvelin::testing::PatternDir;

// A folder of the test's own holding red.pat, with paths as the program
// takes them.
class ProgramFiles : public ::testing::Test {
 protected:
  QString Path(const std::string& name) const { return QString::fromStdString(dir_.Path(name)); }
  QString Write(const std::string& name, const std::string& text) const {
    return QString::fromStdString(dir_.Write(name, text));
  }
  PatternDir dir_;
  const QString red_ = Write("red.pat", DiagonalPattern());
  // A pattern whose sixth line runs on past 64 MiB.
  QString Overlong() const {
    const std::string path = dir_.Write("long.pat", "IGOR\r\nWAVES a\r\nBEGIN\r\n1\r\n2\r\n");
    EXPECT_EQ(truncate(path.c_str(), off_t{100} << 20), 0);
    return QString::fromStdString(path);
  }
};
class Program : public ProgramFiles {};
class HonestOutput : public ProgramFiles {};

// The hidden temporary files beside the targets in folder.
QStringList Temporaries(const QString& folder) {
  return QDir(folder).entryList({".*.bmp.*"}, QDir::Hidden | QDir::Files);
}

// Whether one shows within the deadline: however busy the machine, the
// deadline is only spent when this fails.
bool TemporaryShows(const QString& folder, int deadline_ms) {
  QElapsedTimer clock;
  clock.start();
  while (Temporaries(folder).isEmpty()) {
    if (clock.elapsed() > deadline_ms) return false;
    QThread::msleep(25);
  }
  return true;
}

// The window mode on the offscreen platform, its standard error read until
// `enough` holds of it or ten seconds pass.
QByteArray WindowErrors(const QStringList& args,
                        const std::function<bool(const QByteArray&)>& enough) {
  QProcess process;
  process.setProcessEnvironment(Environment({"QT_QPA_PLATFORM=offscreen"}));
  process.start(Binary(), args);
  QByteArray err;
  for (int i = 0; i < 100 && !enough(err); ++i) {
    process.waitForReadyRead(100);
    err += process.readAllStandardError();
  }
  process.kill();
  process.waitForFinished(5000);
  return err;
}

TEST_F(Program, WithoutADisplaySaysSoInOneLineAndNamesExport) {
  const Outcome outcome = RunProgram({red_});
  EXPECT_FALSE(outcome.crashed);
  EXPECT_NE(outcome.exit_code, 0);
  EXPECT_EQ(outcome.err.count('\n'), 1) << outcome.err.toStdString();
  EXPECT_TRUE(outcome.err.contains("display")) << outcome.err.toStdString();
  EXPECT_TRUE(outcome.err.contains("--export")) << outcome.err.toStdString();
}

TEST_F(Program, AnUnreachableDisplayIsReportedTheSameWay) {
  const Outcome outcome = RunProgram({}, Environment({"DISPLAY=:0.77"}));
  EXPECT_FALSE(outcome.crashed);
  EXPECT_NE(outcome.exit_code, 0);
  EXPECT_EQ(outcome.err.count('\n'), 1) << outcome.err.toStdString();
  EXPECT_TRUE(outcome.err.contains("--export")) << outcome.err.toStdString();
}

TEST_F(Program, DumpWithoutSizeStartsNoToolkit) {
  // Any toolkit start would fail on this platform and end the process.
  const Outcome outcome =
      RunProgram({"--dump", red_}, Environment({"QT_QPA_PLATFORM=no-such-platform"}));
  EXPECT_FALSE(outcome.crashed);
  EXPECT_EQ(outcome.exit_code, 0) << outcome.err.toStdString();
  EXPECT_TRUE(outcome.out.startsWith("{")) << outcome.out.toStdString();
  EXPECT_EQ(outcome.err, "");
}

TEST_F(Program, ExportChoosesItsOwnPlatformAndNamesOnlyRejectedFiles) {
  const QString missing = Path("missing.pat");
  const QString out = Path("out.png");
  const Outcome outcome = RunProgram({"--export", out, "--size", "320x200", red_, missing},
                                     Environment({"QT_QPA_PLATFORM=no-such-platform"}));
  EXPECT_FALSE(outcome.crashed);
  EXPECT_EQ(outcome.exit_code, 1);
  EXPECT_EQ(outcome.err.count('\n'), 1) << outcome.err.toStdString();
  EXPECT_TRUE(outcome.err.startsWith("korvelin: " + missing + ": ")) << outcome.err.toStdString();
  EXPECT_EQ(QImage(out).size(), QSize(320, 200));
}

// --add draws a file on top: its waves in the dump after the shown file's,
// its uncoloured trace in the palette's first colour with the legend's bar
// in the export, and a file that is not there named with the usual status.
TEST_F(Program, AddDrawsFilesOnTopInTheHeadlessModes) {
  const QString plain = Write("plain.xy", "0 2\n5 4\n10 6\n");
  const Outcome dump = RunProgram({"--dump", red_, "--add", plain});
  EXPECT_EQ(dump.exit_code, 0) << dump.err.toStdString();
  EXPECT_EQ(dump.out.count("\"rgb\": 2062260"), 1) << dump.out.toStdString();  // 0x1F77B4
  EXPECT_EQ(dump.out.count("\"count\": 3"), 2) << dump.out.toStdString();

  const QString out = Path("out.png");
  const QString missing = Path("missing.xy");
  const Outcome exported =
      RunProgram({"--export", out, "--size", "320x200", red_, "--add", plain, "--add", missing});
  EXPECT_EQ(exported.exit_code, 1);
  EXPECT_TRUE(exported.err.contains("korvelin: " + missing + ": ")) << exported.err.toStdString();
  const QImage image(out);
  int blue = 0;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) blue += (image.pixel(x, y) & 0xFFFFFF) == 0x1F77B4;
  }
  EXPECT_GT(blue, 10);

  const Outcome window = RunProgram({"--add", plain, red_});
  EXPECT_EQ(window.exit_code, 2);
  EXPECT_TRUE(window.err.contains("--add goes with --export or --dump"))
      << window.err.toStdString();
}

TEST_F(Program, HelpVersionAndBadOptions) {
  const Outcome help = RunProgram({"--help"});
  EXPECT_EQ(help.exit_code, 0);
  EXPECT_TRUE(help.out.contains("--export OUT.png|.bmp|.emf|.svg|.pdf"));
  const Outcome version = RunProgram({"--version"});
  EXPECT_EQ(version.exit_code, 0);
  EXPECT_EQ(version.out, "korvelin 0.2.0\n");
  const Outcome bad = RunProgram({"--size", "12"});
  EXPECT_EQ(bad.exit_code, 2);
  EXPECT_TRUE(bad.err.contains("--help"));
}

// Output that cannot be written is a failure with its reason, in one line,
// whatever the output is: standard output or a picture file.
TEST_F(HonestOutput, AFullOrClosedOutputFailsWithTheSystemsReason) {
  auto to_full = [](QProcess& process, QString&, QStringList&) {
    process.setStandardOutputFile("/dev/full");
  };
  for (const QStringList& args :
       {QStringList{"--dump", red_}, QStringList{"--help"}, QStringList{"--version"},
        QStringList{"--dump", "--size", "320x200", red_}}) {
    const Outcome outcome = RunProgram(args, Environment(), to_full);
    EXPECT_EQ(outcome.exit_code, 1) << args.join(' ').toStdString();
    EXPECT_EQ(outcome.err, "korvelin: standard output: No space left on device\n");
  }
  auto closed = [](QProcess&, QString& program, QStringList& args) {
    args.prepend(program);
    args = QStringList{"-c", "exec \"$0\" \"$@\" >&-"} + args;
    program = "/bin/sh";
  };
  const Outcome outcome = RunProgram({"--dump", red_}, Environment(), closed);
  EXPECT_EQ(outcome.exit_code, 1);
  EXPECT_EQ(outcome.err, "korvelin: standard output: Bad file descriptor\n");

  const QString full = Path("full.png");
  ASSERT_TRUE(QFile::link("/dev/full", full));
  const Outcome device = RunProgram({"--export", full, red_});
  EXPECT_EQ(device.exit_code, 1);
  EXPECT_EQ(device.err, "korvelin: " + full + ": No space left on device\n");
}

// A file system that fills up part-way: a small one is mounted where the
// test may (as root); elsewhere the writer's own test fails each step.
TEST_F(HonestOutput, AFullDiskKeepsTheOldPictureAndLeavesNothingBehind) {
  QTemporaryDir dir;
  const QString folder = dir.path() + "/small";
  QDir().mkpath(folder);
  QProcess mount;
  mount.start("mount", {"-t", "tmpfs", "-o", "size=16k", "tmpfs", folder});
  if (!mount.waitForFinished(10000) || mount.exitCode() != 0) {
    GTEST_SKIP() << "cannot mount a small file system here (needs root); "
                    "AtomicFileFailure covers a disk that fills";
  }
  const QString target = folder + "/plot.png";
  QFile old(target);
  ASSERT_TRUE(old.open(QIODevice::WriteOnly));
  old.write("old");
  old.close();
  const Outcome outcome = RunProgram({"--export", target, "--size", "3000x3000", red_});
  const QByteArray bytes = ReadFile(target);
  const QStringList left = QDir(folder).entryList(QDir::Files | QDir::Hidden);
  QProcess::execute("umount", {folder});
  EXPECT_EQ(outcome.exit_code, 1);
  EXPECT_EQ(outcome.err, "korvelin: " + target + ": No space left on device\n");
  EXPECT_EQ(bytes, "old");
  EXPECT_EQ(left, QStringList{"plot.png"});
}

// Root may write anywhere, so as root the program runs as nobody.
TEST_F(HonestOutput, AReadOnlyFolderIsNamedAndLeftEmpty) {
  const QString folder = "/tmp/korvelin-read-only-" + QString::number(getpid());
  QDir().mkpath(folder + "/out");
  using P = QFileDevice;
  const P::Permissions read_only = P::ReadOwner | P::ExeOwner | P::ReadOther | P::ExeOther;
  QFile::setPermissions(folder, read_only | P::WriteOwner);
  QFile pattern(folder + "/red.pat");
  ASSERT_TRUE(pattern.open(QIODevice::WriteOnly));
  pattern.write(QByteArray::fromStdString(DiagonalPattern()));
  pattern.close();
  pattern.setPermissions(P::ReadOwner | P::ReadOther);
  QFile::setPermissions(folder + "/out", read_only);
  auto as_nobody = [](QProcess&, QString& program, QStringList& args) {
    if (getuid() != 0) return;
    args = QStringList{"--reuid=65534", "--regid=65534", "--clear-groups", program} + args;
    program = "setpriv";
  };
  const QString target = folder + "/out/plot.png";
  const Outcome outcome =
      RunProgram({"--export", target, folder + "/red.pat"}, Environment(), as_nobody);
  const QStringList left = QDir(folder + "/out").entryList(QDir::Files | QDir::Hidden);
  QFile::setPermissions(folder + "/out", P::ReadOwner | P::WriteOwner | P::ExeOwner);
  QDir(folder).removeRecursively();
  EXPECT_EQ(outcome.exit_code, 1);
  EXPECT_EQ(outcome.err, "korvelin: " + target + ": Permission denied\n");
  EXPECT_TRUE(left.isEmpty()) << left.join(' ').toStdString();
}

TEST_F(HonestOutput, AKilledExportLeavesTheOldPictureWhole) {
  const QString target = Path("plot.bmp");
  ASSERT_EQ(RunProgram({"--export", target, "--size", "200x100", red_}).exit_code, 0);
  const QByteArray old = ReadFile(target);
  QProcess process;
  process.setProcessEnvironment(Environment());
  process.start(Binary(), {"--export", target, "--size", "16384x16384", red_});
  // Killed once the new picture is being written beside the old one.
  EXPECT_TRUE(TemporaryShows(Path(""), 120000));
  process.kill();
  process.waitForFinished(10000);
  EXPECT_TRUE(ReadFile(target) == old) << "the old picture is replaced or cut";
}

// Ctrl+C, a terminal hanging up or a polite kill while a picture is being
// written: the temporary file goes, the old picture stays, and the program
// ends as the signal ends it.
TEST_F(HonestOutput, AnInterruptedExportRemovesItsTemporaryFile) {
  const QString folder = Path("");
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
    process.start(Binary(), c.args + QStringList{"--size", "16384x16384", red_});
    ASSERT_TRUE(TemporaryShows(c.watched, 15000)) << c.signal;
    kill(static_cast<pid_t>(process.processId()), c.signal);
    ASSERT_TRUE(process.waitForFinished(10000));
    EXPECT_EQ(process.exitStatus(), QProcess::CrashExit) << c.signal;
    EXPECT_EQ(process.exitCode(), c.signal);
    EXPECT_EQ(Temporaries(c.watched), QStringList()) << c.signal;
  }
}

TEST_F(HonestOutput, NamesAreBytesAndOneExportIsOne) {
  const std::string raw = dir_.Path("o\xff\xfe.png");
  QProcess process;
  process.setProcessEnvironment(Environment());
  // Arguments as the bytes a shell passes, not as text.
  process.start("/bin/sh",
                {"-c", "exec \"$0\" --export \"$(printf '%s' \"$1\" | xxd -r -p)\" \"$2\"",
                 Binary(), QByteArray::fromStdString(raw).toHex(), red_});
  ASSERT_TRUE(process.waitForFinished(30000));
  EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
  EXPECT_EQ(access(raw.c_str(), F_OK), 0) << "the file has the name's bytes";
  const Outcome twice = RunProgram({"--export", "a.png", "--export", "b.png", "x.pat"});
  EXPECT_EQ(twice.exit_code, 2);
  EXPECT_TRUE(twice.err.startsWith("korvelin: --export may be given once\n"));
}

TEST_F(HonestOutput, AnOverlongLineIsNamedAndTheRowsBeforeItKept) {
  const QString path = Overlong();
  const Outcome outcome = RunProgram({"--dump", path});
  EXPECT_EQ(outcome.exit_code, 1);
  EXPECT_TRUE(outcome.err.startsWith("korvelin: " + path + ": line 6 is longer than 64 MiB"))
      << outcome.err.toStdString();
  // The rows before the line are kept (and drawn against their index).
  EXPECT_TRUE(outcome.out.contains("{\"name\": \"a\", \"first\": 0, \"stride\": 1, \"count\": 2,"))
      << outcome.out.left(120).toStdString();
}

TEST_F(Program, HeadlessModesSayHowAFileSavedByAnotherProgramWasRead) {
  const QString saved =
      Write("saved.pat",
            "IGOR\r\nWAVES/D 'Scan 1', counts\r\nBEGIN\r\n1 5\r\n4 6\r\nEND\r\n"
            "X SetScale/P x 0,0.5,\"\", 'Scan 1'; SetScale y 0,0,\"\", counts\r\n");
  const QString text = Write("text.pat", "IGOR\r\nWAVES/T names\r\nBEGIN\r\n\"a\"\r\nEND\r\n");
  const Outcome dump = RunProgram({"--dump", saved});
  EXPECT_EQ(dump.exit_code, 0);
  EXPECT_EQ(dump.err, "korvelin: " + saved + ": read as saved waves: 2 traces\n");
  const Outcome nothing = RunProgram({"--export", Path("t.png"), text});
  EXPECT_EQ(nothing.exit_code, 0);
  EXPECT_EQ(nothing.err, "korvelin: " + text + ": no wave to plot; left out: text wave (1)\n");
}

TEST_F(Program, HeadlessModesReadColumnFilesAndSaySo) {
  const QString scan = Write("scan.xy", "# 2theta intensity\r\n10 100\r\n11 120\r\n12 90\r\n");
  const Outcome dump = RunProgram({"--dump", scan});
  EXPECT_EQ(dump.exit_code, 0);
  EXPECT_EQ(dump.err,
            "korvelin: " + scan + ": read as columns: 1 curve, 3 rows; header: 2theta intensity\n");
  EXPECT_TRUE(dump.out.contains("\"name\": \"intensity\"")) << dump.out.left(400).toStdString();

  const QString out = Path("{name}.png");
  const Outcome batch = RunProgram({"--export-each", out, scan});
  EXPECT_EQ(batch.exit_code, 0) << batch.err.toStdString();
  EXPECT_TRUE(batch.err.contains("korvelin: " + scan + ": read as columns: 1 curve, 3 rows"))
      << batch.err.toStdString();
  EXPECT_TRUE(QFileInfo::exists(Path("scan.png")));
}

// A vector page of no size, or one past 20 m, is a wrong command line: no
// file is made and the status is 2, for one export and for a batch.
TEST_F(Program, AVectorPageOfNoSizeIsAWrongCommandLine) {
  const QString pdf = Path("page.pdf");
  for (const QStringList& args :
       {QStringList{"--export", pdf, "--set", "MetafileWidth=0"},
        QStringList{"--export", pdf, "--set", "MetafileHeight=2000001"},
        QStringList{"--export-each", Path("{name}.svg"), "--set", "MetafileWidth=-5"}}) {
    const Outcome outcome = RunProgram(args + QStringList{red_});
    EXPECT_EQ(outcome.exit_code, 2) << args.join(' ').toStdString();
    EXPECT_TRUE(outcome.err.contains("is not a page")) << outcome.err.toStdString();
    EXPECT_EQ(QDir(Path("")).entryList(QDir::Files), QStringList{"red.pat"});
  }
  // A picture of the window needs no page.
  const QString png = Path("plot.png");
  EXPECT_EQ(RunProgram({"--export", png, "--set", "MetafileWidth=0", red_}).exit_code, 0);
}

// --set YScale reaches every export, --export-each too, and a scale it does
// not know is a wrong command line.
TEST_F(Program, TheIntensityScaleReachesEveryExport) {
  const auto exported = [&](const QStringList& args, const char* name) {
    const QString out = Path(name);
    EXPECT_EQ(RunProgram(QStringList{"--export", out} + args + QStringList{red_}).exit_code, 0);
    return ReadFile(out);
  };
  const QByteArray linear = exported({}, "linear.png");
  EXPECT_EQ(exported({"--set", "YScale=linear"}, "again.png"), linear);
  const QByteArray log = exported({"--set", "YScale=log"}, "log.png");
  EXPECT_NE(log, linear);
  EXPECT_NE(exported({"--set", "YScale=sqrt"}, "sqrt.svg"), exported({}, "linear.svg"));
  const QString each = Path("each-{name}.png");
  EXPECT_EQ(RunProgram({"--export-each", each, "--set", "YScale=log", red_}).exit_code, 0);
  EXPECT_EQ(ReadFile(Path("each-red.png")), log) << "the batch draws as --export does";
  const Outcome wrong = RunProgram({"--dump", "--set", "YScale=ln", red_});
  EXPECT_EQ(wrong.exit_code, 2);
  EXPECT_TRUE(wrong.err.contains("YScale takes linear, sqrt or log")) << wrong.err.toStdString();
}

// The layout of the largest window is printed without making its picture:
// within 400 MB of address space, where a 16384 x 16384 picture alone takes
// a gigabyte.
TEST_F(Program, DumpWithASizeMakesNoPicture) {
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "the sanitizer's shadow memory needs more address space than "
                  "the limit";
#endif
  auto bounded = [](QProcess&, QString& program, QStringList& args) {
    args = QStringList{"-c", "ulimit -v 400000; exec \"$0\" \"$@\"", program} + args;
    program = "/bin/sh";
  };
  const Outcome outcome =
      RunProgram({"--dump", "--size", "16384x16384", red_}, Environment(), bounded);
  EXPECT_EQ(outcome.exit_code, 0) << outcome.err.toStdString();
  EXPECT_TRUE(outcome.out.contains("\"client\": [16384, 16384]"))
      << outcome.out.right(300).toStdString();
}

// Two texts that name one file, through "..", a link to a folder or a
// link to the file, are one output: refused before anything is written.
TEST_F(Program, ExportEachFindsCollisionsThroughTheFileSystem) {
  const QString root = Path("");
  QDir().mkpath(root + "/A");
  QDir().mkpath(root + "/B");
  ASSERT_TRUE(QFile::link(root + "/A", root + "/link"));
  const QString a = Write("A/x.pat", DiagonalPattern());
  const QString b = Write("B/x.pat", DiagonalPattern());
  const QString c = Write("C.pat", DiagonalPattern());
  ASSERT_TRUE(QFile::link(root + "/A/x.png", root + "/A/C.png"));  // a link to the file
  for (const QStringList& args : {QStringList{"{dir}/../{name}.png", a, b},
                                  QStringList{"{dir}/x.png", a, root + "/link/x.pat"},
                                  QStringList{root + "/A/{name}.png", a, c}}) {
    const Outcome outcome = RunProgram(QStringList{"--export-each"} + args);
    EXPECT_EQ(outcome.exit_code, 2) << args.join(' ').toStdString();
    EXPECT_TRUE(outcome.err.contains("nothing was written")) << outcome.err.toStdString();
  }
  EXPECT_EQ(QDir(root).entryList({"*.png"}, QDir::Files), QStringList());
  EXPECT_EQ(QDir(root + "/A").entryList({"*.png"}, QDir::Files | QDir::System),
            QStringList{"C.png"});
}

// --newer: an output newer than its input stands untouched, an older one
// is drawn again, a missing one is made; without --export-each it is a
// wrong command line.
TEST_F(Program, ExportEachNewerDrawsOnlyWhatChangedSinceItsPicture) {
  const QString root = Path("");
  QStringList inputs;
  for (const char* name : {"scan1.pat", "scan2.pat", "scan3.pat"}) {
    inputs << Write(name, DiagonalPattern());
  }
  const QDateTime written = QFileInfo(inputs[0]).lastModified();
  const auto stale_output = [&](const char* name, int seconds) {
    QFile file(root + "/" + name);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("old picture");
    file.flush();  // a write after the time would set it anew
    EXPECT_TRUE(file.setFileTime(written.addSecs(seconds), QFileDevice::FileModificationTime));
  };
  stale_output("scan1.png", 60);   // newer than its input: left alone
  stale_output("scan2.png", -60);  // older: drawn again
  const Outcome outcome =
      RunProgram(QStringList{"--export-each", root + "/{name}.png", "--newer"} + inputs);
  EXPECT_EQ(outcome.exit_code, 0) << outcome.err.toStdString();
  const auto contents = [&](const char* name) { return ReadFile(root + "/" + name); };
  EXPECT_EQ(contents("scan1.png"), "old picture");
  EXPECT_TRUE(contents("scan2.png").startsWith("\x89PNG"));
  EXPECT_TRUE(contents("scan3.png").startsWith("\x89PNG"));

  const Outcome wrong = RunProgram({"--newer", inputs[0]});
  EXPECT_EQ(wrong.exit_code, 2);
  EXPECT_TRUE(wrong.err.contains("--newer goes with --export-each")) << wrong.err.toStdString();
}

// Any name the file system takes can be written, up to its 255 bytes: the
// temporary file beside it gets a shorter stem.
TEST_F(HonestOutput, NamesUpToTheFileSystemsLimitAreWritten) {
  for (int length : {247, 248, 251, 255}) {
    const QString name = QString(length - 4, 'n') + ".png";
    const QString target = Path(name.toStdString());
    const Outcome outcome = RunProgram({"--export", target, red_});
    EXPECT_EQ(outcome.exit_code, 0) << length << " " << outcome.err.toStdString();
    EXPECT_FALSE(QImage(target).isNull()) << length;
  }
  const QString too_long = Path(std::string(252, 'n') + ".png");
  const Outcome outcome = RunProgram({"--export", too_long, red_});
  EXPECT_EQ(outcome.exit_code, 1);
  EXPECT_TRUE(outcome.err.endsWith(": File name too long\n")) << outcome.err.toStdString();
  EXPECT_EQ(QDir(Path("")).entryList(QDir::Files | QDir::Hidden).size(), 5);
}

// A name holding a newline cannot forge a second line of diagnostics: it
// is quoted as the shell quotes it, in every message that names it.
TEST_F(HonestOutput, NamesWithControlCharactersAreQuoted) {
  const QString forged = "gone\nkorvelin: fake.pat: forged";
  const QString quoted = "$'gone\\nkorvelin: fake.pat: forged'";
  const Outcome dump = RunProgram({"--dump", forged});
  EXPECT_EQ(dump.err, "korvelin: " + quoted + ": No such file or directory\n");
  const Outcome out = RunProgram({"--export", "nowhere/" + forged + ".png", red_});
  EXPECT_EQ(out.err,
            "korvelin: $'nowhere/gone\\nkorvelin: fake.pat: "
            "forged.png': No such file "
            "or directory\n");
  const Outcome each = RunProgram({"--export-each", "nowhere/{name}.png", "--", red_, forged});
  EXPECT_EQ(each.err.count('\n'), 2) << each.err.toStdString();
  EXPECT_TRUE(each.err.contains("korvelin: " + quoted + ": No such")) << each.err.toStdString();
}

// --format names the format of a name without an extension, and "-" is
// standard output: korvelin --export - --format png F | convert - ...
TEST_F(Program, FormatAndStandardOutput) {
  const QString file = Path("plot.png");
  ASSERT_EQ(RunProgram({"--export", file, red_}).exit_code, 0);
  QProcess piped;
  piped.setProcessEnvironment(Environment());
  piped.start(Binary(), {"--export", "-", "--format", "png", red_});
  ASSERT_TRUE(piped.waitForFinished(30000));
  EXPECT_EQ(piped.exitCode(), 0) << piped.readAllStandardError().toStdString();
  EXPECT_TRUE(piped.readAllStandardOutput() == ReadFile(file));

  const QString plain = Path("plot");
  EXPECT_EQ(RunProgram({"--export", plain, "--format", "SVG", red_}).exit_code, 0);
  EXPECT_TRUE(ReadFile(plain).startsWith("<?xml"));

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
    const Outcome outcome = RunProgram(w.args + QStringList{red_});
    EXPECT_EQ(outcome.exit_code, 2) << w.args.join(' ').toStdString();
    EXPECT_TRUE(outcome.err.contains(w.err)) << outcome.err.toStdString();
    EXPECT_EQ(outcome.out, "");
  }
}

// The window stays silent about a rejected file; the program names it.
TEST_F(HonestOutput, TheWindowModeNamesEachRejectedFile) {
  const QString missing = Path("nope.pat");
  const QString text = Write("notes.txt", "Just notes\n");
  const QByteArray err = WindowErrors(
      {missing, text}, [](const QByteArray& err) { return err.count("korvelin: ") >= 2; });
  // Only the program's own lines: the offscreen platform adds notes of its own.
  const QStringList lines = QString::fromLocal8Bit(err)
                                .split('\n', Qt::SkipEmptyParts)
                                .filter(QRegularExpression("^korvelin: "));
  ASSERT_EQ(lines.size(), 2) << err.toStdString();
  EXPECT_EQ(lines[0], "korvelin: " + missing + ": No such file or directory");
  EXPECT_EQ(lines[1], "korvelin: " + text + ": " + document::kNoRowsReason);
}

// A command-line file read in part is named on standard error at once; its
// box waits for the window instead of holding the start-up before it.
TEST_F(HonestOutput, TheWindowNamesAFileReadInPartBeforeItsBox) {
  const QString path = Overlong();
  const QByteArray err =
      WindowErrors({path}, [](const QByteArray& err) { return err.contains("MiB"); });
  EXPECT_TRUE(err.contains("korvelin: " + path.toLocal8Bit() + ": line 6 is longer than 64 MiB"))
      << err.toStdString();
}

}  // namespace
}  // namespace korvelin::ui
