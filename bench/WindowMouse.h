#pragma once
// The mouse timings the window benchmarks share, at any device pixel ratio:
// a zoom from the release to the new picture, and one move of a drag.

#include <benchmark/benchmark.h>

#include <QWidget>
#include <chrono>

#include "document/GraphDocument.h"
#include "ui/MainUnit.h"

namespace korvelin::ui {

// Release of a left-button drag over the middle third of the plot: the zoom
// and the redraw at the new range. Each zoom is undone outside the timing.
inline void TimeZoomRelease(benchmark::State& state, TMainForm& form,
                            document::GraphDocument& doc) {
  const document::PixelRect plot = doc.PlotRect;
  const int left = plot.Left + (plot.Right - plot.Left) / 3;
  const int top = plot.Top + (plot.Bottom - plot.Top) / 3;
  for (auto _ : state) {
    const document::TRealRect before = doc.AxisRange;
    form.ImageMouseDown(render::MouseButton::Left, left, top);
    const auto start = std::chrono::steady_clock::now();
    form.ImageMouseUp(render::MouseButton::Left, left * 2 - plot.Left, top * 2 - plot.Top);
    benchmark::DoNotOptimize(form.Picture().constBits());
    state.SetIterationTime(
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    doc.AxisRange = before;
  }
}

// One move of a drag across the plot: the old band erased, the new drawn,
// and the picture control repainted where they lie. Positions are picture
// pixels, `scale` of them to a pixel of a 1x window.
inline void TimeDragMoves(benchmark::State& state, TMainForm& form, int scale) {
  QWidget* image = form.findChild<QWidget*>("Image");
  image->show();
  form.ImageMouseDown(render::MouseButton::Left, 100 * scale, 100 * scale);
  int step = 0;
  for (auto _ : state) {
    step = (step + 7) % (800 * scale);
    form.ImageMouseMove(900 * scale + step, 600 * scale + step / 2);
    image->repaint();
  }
  form.ImageMouseUp(render::MouseButton::Right, 100 * scale, 100 * scale);
  form.DrawScreenPlot();
}

}  // namespace korvelin::ui
