// Times the main window's layout step on a 1920 x 1080 client area holding
// the largest document: a new picture and raster surface, the whole redraw
// (frame, 524,288 points, scale, numbers) and the copy onto the picture.
// The parts are timed alone too, so a slow step shows where it lies. The
// mouse: a zoom from release to picture, one drag move, one readout. The
// clipboard commands: Copy Bitmap and Copy Metafile from the command to the
// clipboard holding every format, with a clipboard that keeps the data.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

#include "MaxPatternText.h"
#include "WindowMouse.h"
#include "document/GraphDocument.h"
#include "document/IgorReader.h"
#include "platform/Clipboard.h"
#include "platform/PictureControl.h"
#include "platform/RasterBlit.h"
#include "ui/MainUnit.h"

namespace korvelin::ui {
namespace {

QApplication& Application() {
  static int argc = 1;
  static char name[] = "MainWindowBench";
  static char* argv[] = {name, nullptr};
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  static QApplication app(argc, argv);
  return app;
}

// Keeps what is put on it, as the desktop's clipboard takes ownership.
class KeepingClipboard : public platform::Clipboard {
 public:
  void SetText(const std::string& text) override { text_ = text; }
  std::string Text() override { return text_; }
  void SetData(std::unique_ptr<QMimeData> data) override { data_ = std::move(data); }
  const QMimeData* Data() const { return data_.get(); }

 private:
  std::string text_;
  std::unique_ptr<QMimeData> data_;
};

struct MaxWindow {
  explicit MaxWindow(Kind kind) {
    Application();
    MainFormOptions options{{}, {1920, 1080}};
    options.services.clipboard = &clipboard;
    form = std::make_unique<TMainForm>(doc, options);
    document::LoadPatternText(doc, MaxPatternText(kind));
  }
  document::GraphDocument doc;
  KeepingClipboard clipboard;
  std::unique_ptr<TMainForm> form;
};

MaxWindow& Window(Kind kind) {
  static MaxWindow powder(Kind::Powder);
  static MaxWindow band(Kind::NoiseBand);
  return kind == Kind::Powder ? powder : band;
}

void BM_ResizeMaxDocument1920x1080(benchmark::State& state, Kind kind) {
  TMainForm& form = *Window(kind).form;
  for (auto _ : state) {
    form.FormResize();
    benchmark::DoNotOptimize(form.Picture().constBits());
  }
  state.counters["points"] = Window(kind).doc.ValueCount / 2;
}
BENCHMARK_CAPTURE(BM_ResizeMaxDocument1920x1080, Powder, Kind::Powder)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ResizeMaxDocument1920x1080, NoiseBand, Kind::NoiseBand)
    ->Unit(benchmark::kMillisecond);

void BM_RedrawMaxDocument1920x1080(benchmark::State& state, Kind kind) {
  TMainForm& form = *Window(kind).form;
  for (auto _ : state) {
    form.DrawScreenPlot();
    benchmark::DoNotOptimize(form.Picture().constBits());
  }
}
BENCHMARK_CAPTURE(BM_RedrawMaxDocument1920x1080, Powder, Kind::Powder)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_RedrawMaxDocument1920x1080, NoiseBand, Kind::NoiseBand)
    ->Unit(benchmark::kMillisecond);

void BM_BlitSurfaceOntoPicture(benchmark::State& state) {
  TMainForm& form = *Window(Kind::Powder).form;
  QImage picture = form.Picture();
  for (auto _ : state) {
    platform::BlitRasterImage(picture, form.Document().PlotRect.Left, form.Document().PlotRect.Top,
                              form.Raster());
    benchmark::DoNotOptimize(picture.constBits());
  }
  state.SetBytesProcessed(state.iterations() * int64_t{form.Raster().Width()} *
                          form.Raster().Height());
}
BENCHMARK(BM_BlitSurfaceOntoPicture)->Unit(benchmark::kMillisecond);

void BM_ZoomRelease(benchmark::State& state, Kind kind, bool deep) {
  MaxWindow& window = Window(kind);
  const document::TRealRect full = window.doc.AxisRange;
  if (deep) window.doc.AxisRange = document::RealRect(47.5, 16000.5, 47.51, 16000);
  TimeZoomRelease(state, *window.form, window.doc);
  window.doc.AxisRange = full;
  window.form->DrawScreenPlot();
}
BENCHMARK_CAPTURE(BM_ZoomRelease, FullViewPowder, Kind::Powder, false)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ZoomRelease, DeepZoomPowder, Kind::Powder, true)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ZoomRelease, FullViewNoiseBand, Kind::NoiseBand, false)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

void BM_DragMove(benchmark::State& state) {
  TimeDragMoves(state, *Window(Kind::NoiseBand).form, 1);
}
BENCHMARK(BM_DragMove)->Unit(benchmark::kMicrosecond);

// A move without a button: the inverse mapping, two number formats and the
// caption.
void BM_Readout(benchmark::State& state) {
  TMainForm& form = *Window(Kind::NoiseBand).form;
  int step = 0;
  for (auto _ : state) {
    step = (step + 1) % 1000;
    form.ImageMouseMove(100 + step, 100 + step / 2);
  }
}
BENCHMARK(BM_Readout)->Unit(benchmark::kMicrosecond);

// The Modify Graph dialog's apply: its timer fires, the settings are
// written, and the window lays out and redraws.
void BM_ModifyApply(benchmark::State& state, Kind kind) {
  TMainForm& form = *Window(kind).form;
  TFormModify& dialog = form.FormModify();
  dialog.FormShow();
  for (auto _ : state) {
    dialog.TimerTimer();
    benchmark::DoNotOptimize(form.Picture().constBits());
  }
}
BENCHMARK_CAPTURE(BM_ModifyApply, Powder, Kind::Powder)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ModifyApply, NoiseBand, Kind::NoiseBand)->Unit(benchmark::kMillisecond);

// Copy Bitmap: the picture as PNG and BMP.
void BM_CopyBitmap1920x1080(benchmark::State& state, Kind kind) {
  MaxWindow& window = Window(kind);
  for (auto _ : state) {
    window.form->miCopyBitmapClick();
    benchmark::DoNotOptimize(window.clipboard.Data());
  }
  state.counters["bytes"] = static_cast<double>(window.clipboard.Data()->data("image/png").size() +
                                                window.clipboard.Data()->data("image/bmp").size());
}
BENCHMARK_CAPTURE(BM_CopyBitmap1920x1080, Powder, Kind::Powder)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_CopyBitmap1920x1080, NoiseBand, Kind::NoiseBand)
    ->Unit(benchmark::kMillisecond);

// Copy Metafile: the vector plot recorded, then EMF, PDF and SVG of it and
// the picture as PNG.
void BM_CopyMetafile1920x1080(benchmark::State& state, Kind kind) {
  MaxWindow& window = Window(kind);
  for (auto _ : state) {
    window.form->miCopyMetafileClick();
    benchmark::DoNotOptimize(window.clipboard.Data());
  }
  qsizetype bytes = 0;
  for (const QString& format : window.clipboard.Data()->formats()) {
    bytes += window.clipboard.Data()->data(format).size();
  }
  state.counters["bytes"] = static_cast<double>(bytes);
}
BENCHMARK_CAPTURE(BM_CopyMetafile1920x1080, Powder, Kind::Powder)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_CopyMetafile1920x1080, NoiseBand, Kind::NoiseBand)
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace korvelin::ui
