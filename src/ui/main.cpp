// Program entry: parses the command line, prints help, version or the JSON
// dump (which needs no toolkit at all), draws an export on Qt's offscreen
// platform, or opens the main window and runs the event loop.

#include <unistd.h>

#include <QApplication>
#include <QGuiApplication>
#include <cstdio>
#include <cstdlib>
#include <future>
#include <iostream>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "document/GraphDocument.h"
#include "platform/ApplicationTitle.h"
#include "platform/AtomicFile.h"
#include "platform/OwnFonts.h"
#include "ui/CommandLine.h"
#include "ui/MainUnit.h"

namespace {

using korvelin::ui::CommandLine;
using korvelin::ui::RunMode;

// Qt ends the process with abort() when no platform plugin can reach the
// display. While the application starts, its messages are held back; if it
// fails, the program says in one line what it needs and exits instead.
QString first_startup_message;

void DisplayFailureHandler(QtMsgType type, const QMessageLogContext&, const QString& message) {
  if (first_startup_message.isEmpty()) first_startup_message = message.section('\n', 0, 0);
  if (type != QtFatalMsg) return;
  std::cerr << "korvelin: the window cannot reach a display ("
            << first_startup_message.toStdString()
            << "); use --export OUT.png FILE... to draw the graph without one\n";
  std::_Exit(2);
}

// In the headless modes standard error names the rejected files and nothing
// else: Qt's notes about the missing desktop session (no runtime directory,
// no session bus) are left out, its errors are kept.
void HeadlessMessageHandler(QtMsgType type, const QMessageLogContext&, const QString& message) {
  if (type == QtDebugMsg || type == QtInfoMsg || type == QtWarningMsg) return;
  std::cerr << message.toStdString() << '\n';
  if (type == QtFatalMsg) std::abort();
}

// Writes a mode's output to standard output. Standard output may be a full
// disk, /dev/full or closed: the failure is named on standard error and the
// status becomes 1, never a success with the output lost.
int Print(const std::string& text, int status) {
  const korvelin::document::Status written = korvelin::platform::WriteToDescriptor(1, text);
  if (written.ok()) return status;
  std::cerr << "korvelin: standard output: " << written.reason() << '\n';
  return 1;
}

int RunDump(const CommandLine& line, korvelin::ui::LoadedFiles loaded) {
  std::ostringstream out;
  const int status = korvelin::ui::RunDump(line, std::move(loaded), out, std::cerr);
  return Print(out.str(), status);
}

// Headless modes draw on Qt's offscreen platform whatever the environment
// names, so the picture does not depend on the desktop it was made on.
int RunHeadless(const CommandLine& line) {
  // The files are read while the toolkit starts: the reader needs none of
  // it, and on two cores the two take about as long (15 ms each for the
  // largest file). A batch's workers read their first files meanwhile.
  std::future<korvelin::ui::LoadedFiles> loading;
  if (line.mode != RunMode::ExportEach) {
    loading = std::async(std::launch::async, korvelin::ui::LoadForRun, std::cref(line));
  }
  qInstallMessageHandler(HeadlessMessageHandler);
  qputenv("QT_QPA_PLATFORM", "offscreen");
  int qt_argc = 1;
  char program[] = "korvelin";
  char* qt_argv[] = {program, nullptr};
  std::optional<QGuiApplication> app;
  auto start_toolkit = [&] {
    korvelin::platform::UseOwnFontConfiguration();
    // Pictures need fonts and painting, no widgets.
    app.emplace(qt_argc, qt_argv);
    // PNG and BMP are built into Qt: with no plugin folders to search,
    // writing the picture does not load the image plugins and their
    // libraries, which took 7 ms of a 90 ms export.
    QCoreApplication::setLibraryPaths({});
    korvelin::platform::SetApplicationTitle(korvelin::ui::kCaption);
  };
  int status = 0;
  if (line.mode == RunMode::ExportEach) {
    status = korvelin::ui::RunExportEach(line, std::cerr, isatty(2) == 1, start_toolkit);
  } else {
    start_toolkit();
    if (line.mode == RunMode::Dump) {
      status = RunDump(line, loading.get());
    } else {
      status = korvelin::ui::RunExport(line, loading.get(), std::cerr);
    }
  }
  // Every output is written and closed and standard error is unbuffered:
  // tearing the toolkit down would only cost time (3 ms of an export).
  std::_Exit(status);
}

int RunWindow(const CommandLine& line) {
  if (!korvelin::ui::HasDisplay()) {
    std::cerr << korvelin::ui::NoDisplayMessage() << '\n';
    return 2;
  }
  qInstallMessageHandler(DisplayFailureHandler);
  // The file names are the program's own arguments; Qt is given none, so a
  // file named like one of its options is still a file.
  int qt_argc = 1;
  char program[] = "korvelin";
  char* qt_argv[] = {program, nullptr};
  QApplication app(qt_argc, qt_argv);
  qInstallMessageHandler(nullptr);
  korvelin::platform::SetApplicationTitle(korvelin::ui::kCaption);
  auto doc = std::make_unique<korvelin::document::GraphDocument>();
  korvelin::ui::MainFormOptions options;
  options.files = line.files;
  options.settings = line.settings;
  options.view = line.view;
  if (line.size) options.client_size = QSize(line.size->Width, line.size->Height);
  korvelin::ui::TMainForm form(*doc, options);
  // The window says nothing of a rejected file; the program names each on
  // standard error, as the headless modes do.
  korvelin::ui::ReportRejected(form.Loads(), std::cerr, false);
  form.show();
  // On an X server without a window manager nobody gives the new window the
  // keyboard focus; it takes it, so its shortcuts work at once.
  form.activateWindow();
  return app.exec();
}

}  // namespace

int main(int argc, char** argv) {
  // Before any thread starts, so that every thread leaves the signals to it.
  korvelin::platform::RemoveTemporaryFilesOnSignals();
  const std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
  const korvelin::ui::ParsedCommandLine parsed = korvelin::ui::ParseCommandLine(args);
  if (!parsed.ok()) {
    std::cerr << "korvelin: " << parsed.reason() << "\nTry 'korvelin --help'.\n";
    return 2;
  }
  const CommandLine& line = parsed.value();
  switch (line.mode) {
    case RunMode::Help:
      return Print(korvelin::ui::UsageText(), 0);
    case RunMode::Version:
      return Print(std::string("korvelin ") + KORVELIN_VERSION + "\n", 0);
    case RunMode::Dump:
      if (!line.size) return RunDump(line, korvelin::ui::LoadForRun(line));
      return RunHeadless(line);
    case RunMode::Export:
    case RunMode::ExportEach:
      return RunHeadless(line);
    case RunMode::Window:
      return RunWindow(line);
  }
  return 2;
}
