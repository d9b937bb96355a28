#pragma once
// One trace drawn on the screen and recorded on the page, for the tests that
// compare two plots that must draw alike: a 672 x 496 client area with its
// plot at (60, 14, 612, 448), the trace in lines and plus markers of size 3.

#include <cstdint>
#include <functional>
#include <vector>

#include "RecordingCanvas.h"
#include "TestWaves.h"
#include "render/ScreenPlot.h"
#include "render/VectorPlot.h"

namespace korvelin::render::testing {

// What one screen redraw of the worked window draws into: a 672 x 496
// picture and a 552 x 434 surface, the plot's at (60, 14, 612, 448).
struct ScreenSurface {
  RasterImage raster;
  RecordingPictureCanvas picture{672, 496};
  FixedTextMeasurer label;
  PlotMapping mapping;
  ScreenPlotTarget target{raster, picture, label, mapping, FontSpec{}, '.'};

  ScreenSurface() { NewRasterImage(raster, 552, 434); }
  ScreenSurface(const ScreenSurface&) = delete;
  ScreenSurface& operator=(const ScreenSurface&) = delete;
};

struct DrawnPlot : ScreenSurface {
  document::GraphDocument doc;

  // prepare may change the document (a setting, the scale) before it is drawn.
  DrawnPlot(const document::TRealRect& range, const std::vector<double>& xs,
            const std::vector<double>& ys,
            const std::function<void(document::GraphDocument&)>& prepare = {}) {
    doc.ClientSize = {672, 496};
    doc.PlotRect = {60, 14, 612, 448};
    doc.AxisRange = range;
    const int32_t x = korvelin::testing::AddWave(doc, xs);
    const int32_t y = korvelin::testing::AddWave(doc, ys);
    doc.Waves[y].mode = 4;  // lines and markers
    doc.Waves[y].msize = 3;
    doc.Traces[doc.TraceCount++] = {x, y};
    if (prepare) prepare(doc);
    DrawScreenPlot(doc, target);
  }
  std::vector<uint8_t> Pixels() const {
    return {raster.Pixels(), raster.Pixels() + int64_t{raster.Width()} * raster.Height()};
  }
  std::vector<VectorOp> Page() {
    RecordingVectorCanvas canvas;
    ScalingMeasurer page_label;  // page texts measure as large as they are
    RecordVectorPlot(doc, page_label, FontSpec{}, '.').Play(canvas);
    return canvas.ops;
  }
};

}  // namespace korvelin::render::testing
