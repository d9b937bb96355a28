// Times reading the shown file again, from the command to the picture:
// Reload of the largest document (524,288 rows, 9.4 MB) and of the largest
// example file in a 1920 x 1080 window, and Follow File from the moment a
// writer has rewritten the largest document to the moment the window shows
// it, through the system's change notification, the quiet wait and the
// reload, on the real clock.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <QAction>
#include <QApplication>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "MaxPatternText.h"
#include "platform/FileWatch.h"
#include "ui/MainUnit.h"

namespace korvelin::ui {
namespace {

QApplication& Application() {
  static int argc = 1;
  static char name[] = "ReloadBench";
  static char* argv[] = {name, nullptr};
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  static QApplication app(argc, argv);
  return app;
}

// A file the window shows, in the temporary folder, gone with the bench.
struct ShownFile {
  explicit ShownFile(const std::string& text) {
    Application();
    std::ofstream(path, std::ios::binary) << text;
    form = std::make_unique<TMainForm>(doc, MainFormOptions{{path}, {1920, 1080}});
  }
  ~ShownFile() {
    form.reset();
    std::filesystem::remove(path);
  }
  std::string path = (std::filesystem::temp_directory_path() /
                      ("korvelin-reload-bench-" + std::to_string(getpid()) + ".pat"))
                         .string();
  document::GraphDocument doc;
  std::unique_ptr<TMainForm> form;
};

void BM_ReloadToPictureMaxDocument(benchmark::State& state) {
  ShownFile shown(MaxPatternText(Kind::Powder));
  for (auto _ : state) shown.form->miReloadClick();
  state.counters["rows"] = shown.doc.Waves[0].count;
}
BENCHMARK(BM_ReloadToPictureMaxDocument)->Unit(benchmark::kMillisecond);

void BM_ReloadToPictureLargestExample(benchmark::State& state) {
  std::ifstream example(std::string(KORVELIN_SOURCE_DIR) + "/examples/quartz-powder.pat",
                        std::ios::binary);
  const std::string text((std::istreambuf_iterator<char>(example)), {});
  ShownFile shown(text);
  for (auto _ : state) shown.form->miReloadClick();
  state.counters["bytes"] = double(text.size());
}
BENCHMARK(BM_ReloadToPictureLargestExample)->Unit(benchmark::kMillisecond);

// Each iteration rewrites the file (one row more or less than before, so the
// picture changes) and times from the writer's close to the new picture.
void BM_ChangeOnDiskToPictureMaxDocument(benchmark::State& state) {
  const std::string texts[2] = {MaxPatternText(Kind::Powder, kRows - 1),
                                MaxPatternText(Kind::Powder)};
  ShownFile shown(texts[1]);
  shown.form->findChild<QAction*>("miFollowFile")->trigger();
  int turn = 0;
  for (auto _ : state) {
    const int32_t rows = shown.doc.Waves[0].count;
    std::ofstream(shown.path, std::ios::binary | std::ios::trunc) << texts[turn];
    turn = 1 - turn;
    const auto start = std::chrono::steady_clock::now();
    while (shown.doc.Waves[0].count == rows) {
      QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
      if (std::chrono::steady_clock::now() - start > std::chrono::seconds(5)) {
        state.SkipWithError("no reload within 5 s");
        return;
      }
    }
    state.SetIterationTime(
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
  }
}
BENCHMARK(BM_ChangeOnDiskToPictureMaxDocument)
    ->UseManualTime()
    ->Iterations(10)
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace korvelin::ui
