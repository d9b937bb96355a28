#pragma once
// Running the real program as a process for the program and screen tests:
// where its binary lies, an environment without a display, and its exit
// code and output.

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <functional>
#include <string>
#include <utility>

namespace korvelin::ui {

inline QString Binary() {
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
inline QProcessEnvironment Environment(const QStringList& extra = {}) {
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) env.remove(name);
  for (const QString& pair : extra) env.insert(pair.section('=', 0, 0), pair.section('=', 1));
  return env;
}

// Runs the program; `prepare` may redirect its output or put a wrapper (a
// shell, a change of user) in front of it by changing program and args.
inline Outcome RunProgram(
    QStringList args, const QProcessEnvironment& env,
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

// The program run in the environment without a display.
inline Outcome RunProgram(QStringList args) { return RunProgram(std::move(args), Environment()); }

// A whole file's bytes; empty when it cannot be read.
inline QByteArray ReadFile(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The standard output of a tool (pdfinfo, pdftotext) run to its end; empty
// when it fails or takes over a minute.
inline std::string RunTool(const QString& tool, const QStringList& arguments) {
  QProcess process;
  process.start(tool, arguments);
  if (!process.waitForFinished(60000) || process.exitCode() != 0) return {};
  return process.readAllStandardOutput().toStdString();
}

}  // namespace korvelin::ui
