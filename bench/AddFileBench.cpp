// Times Add File from the command to the picture in a 1920 x 1080 window:
// the largest example shown, and on top of it a pattern file as large as the
// store still holds (about 1.04 million values, 9.3 MB of text), read aside,
// copied in, the range grown and the picture drawn with its legend.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <QApplication>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "MaxPatternText.h"
#include "ui/MainUnit.h"

namespace korvelin::ui {
namespace {

QApplication& Application() {
  static int argc = 1;
  static char name[] = "AddFileBench";
  static char* argv[] = {name, nullptr};
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  static QApplication app(argc, argv);
  return app;
}

std::string TempPath(const char* name) {
  return (std::filesystem::temp_directory_path() /
          ("korvelin-add-bench-" + std::to_string(getpid()) + "-" + name))
      .string();
}

void BM_AddFileToPictureLargestOnTopOfExample(benchmark::State& state) {
  Application();
  const std::string shown = std::string(KORVELIN_SOURCE_DIR) + "/examples/quartz-powder.pat";
  const std::string added = TempPath("added.pat");
  document::GraphDocument doc;
  auto form = std::make_unique<TMainForm>(doc, MainFormOptions{{shown}, {1920, 1080}});
  // Two waves of as many rows as the store has room for beside the example.
  const int32_t rows = (document::kMaxValues - doc.ValueCount) / 2;
  const int32_t traces = doc.TraceCount + 1;
  std::ofstream(added, std::ios::binary) << MaxPatternText(Kind::Powder, rows);
  for (auto _ : state) {
    form->AddFiles({added});
    state.PauseTiming();
    if (doc.TraceCount != traces) state.SkipWithError("the added file did not come in whole");
    form->LoadFile(shown);
    state.ResumeTiming();
  }
  state.counters["rows"] = rows;
  form.reset();
  std::filesystem::remove(added);
}
BENCHMARK(BM_AddFileToPictureLargestOnTopOfExample)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace korvelin::ui
