// The window on a screen of ratio 2, as most laptops have now: a 1920 x 1080
// client area is a 3840 x 2160 picture holding the largest document (the
// powder pattern of 524,288 points). Times a zoom from the release to the
// new picture and one move of a drag (the band erased and drawn, the
// control repainted where it lies), as MainWindowBench does at ratio 1.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <chrono>
#include <memory>

#include "PowderPattern.h"
#include "WindowMouse.h"
#include "document/GraphDocument.h"
#include "ui/MainUnit.h"

namespace korvelin::ui {
namespace {

QApplication& Application() {
  static int argc = 1;
  static char name[] = "HighDensityBench";
  static char* argv[] = {name, nullptr};
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  qputenv("QT_SCALE_FACTOR", "2");
  static QApplication app(argc, argv);
  return app;
}

struct DenseWindow {
  DenseWindow() {
    Application();
    form = std::make_unique<TMainForm>(doc, MainFormOptions{{}, {1920, 1080}});
    const double peak = bench::FillPowderPattern(doc);
    for (document::TRealRect& slot : doc.AxisHistory) slot = {5, peak, 125, 0};
    doc.AxisRange = {5, peak, 125, 0};
    form->DrawScreenPlot();
  }
  document::GraphDocument doc;
  std::unique_ptr<TMainForm> form;
};

DenseWindow& Window() {
  static DenseWindow window;
  return window;
}

void BM_ZoomReleaseRatio2(benchmark::State& state) {
  DenseWindow& window = Window();
  TimeZoomRelease(state, *window.form, window.doc);
  state.counters["picture_width"] = window.form->Picture().width();
  window.form->DrawScreenPlot();
}
BENCHMARK(BM_ZoomReleaseRatio2)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_DragMoveRatio2(benchmark::State& state) { TimeDragMoves(state, *Window().form, 2); }
BENCHMARK(BM_DragMoveRatio2)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace korvelin::ui
