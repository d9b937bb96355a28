// Draws one trace into the raster surface or onto a vector canvas: the point
// sequence, the mode and marker decoding, the clip test and the six drawing
// loops. Setting up the mapping, choosing the traces and their order, and
// drawing frame and scale are the plots' business.

#include "render/TraceDrawing.h"

#include <algorithm>
#include <vector>

#include "render/IntensityScale.h"
#include "render/RasterLine.h"
#include "render/ScaledTraceLines.h"
#include "render/TracePoints.h"

namespace korvelin::render {
namespace {

using document::GraphDocument;
using document::TWave;

struct MappedBlock {
  double xs[kBlock];
  double ys[kBlock];
  int64_t x[kBlock];
  int64_t y[kBlock];
  bool drawable[kBlock];
};

// Only x is tested: a segment towards a point above or below the range is
// drawn and cut by the surface. A NaN y breaks the line like a point outside
// the range, since it has no place on the plot (a NaN x is outside anyway).
void MapBlock(const PlotMapping& m, const TracePoints& p, int32_t first, int32_t n,
              MappedBlock& b) {
  p.Read(first, n, b.xs, b.ys);
  MapPositions(b.xs, n, m.DataOriginX, m.ScaleX, m.PixelOriginX, b.x);
  MapPositions(b.ys, n, m.DataOriginY, m.ScaleY, m.PixelOriginY, b.y);
  for (int32_t j = 0; j < n; ++j) {
    b.drawable[j] = InsideX(m, b.xs[j]) & (b.ys[j] == b.ys[j]);
  }
}

// Segments that stay in one pixel column are vertical lines sharing their
// ends, so together they set exactly the column's pixels from the lowest to
// the highest of their points: a run of them is drawn as that one line. A
// slow scan puts hundreds of points into each column of the plot.
class ColumnRun {
 public:
  // Extends the run by the segment from (x, y0) to (x, y1).
  void Add(int64_t x, int64_t y0, int64_t y1) {
    if (!active_) {
      active_ = true;
      x_ = x;
      low_ = y0;
      high_ = y0;
    }
    low_ = std::min(low_, y1);
    high_ = std::max(high_, y1);
  }
  void Flush(RasterLineDrawer& drawer, uint32_t colour) {
    if (active_) drawer.Draw(x_, low_, x_, high_, colour);
    active_ = false;
  }

 private:
  bool active_ = false;
  int64_t x_ = 0;
  int64_t low_ = 0;
  int64_t high_ = 0;
};

void RasterTraceLines(RasterImage& image, const PlotMapping& m, const TracePoints& p,
                      uint32_t colour) {
  MappedBlock b;
  RasterLineDrawer drawer(image);
  ColumnRun run;
  bool pen_down = false;
  int64_t prev_x = 0;
  int64_t prev_y = 0;
  XOrder order = XOrder::Unknown;
  for (int32_t k = 0; k < p.Count();) {
    const int32_t n = std::min(kBlock, p.Count() - k);
    MapBlock(m, p, k, n, b);
    int32_t next = k + n;
    for (int32_t j = 0; j < n; ++j) {
      if (!b.drawable[j]) {
        run.Flush(drawer, colour);
        pen_down = false;
        if (InsideX(m, b.xs[j])) continue;  // a NaN y
        if (const int32_t resume = ResumeAfterOutside(p, m, order, k + j); resume > k + j + 1) {
          next = resume;
          break;
        }
        continue;
      }
      if (pen_down) {
        if (b.x[j] == prev_x) {
          run.Add(prev_x, prev_y, b.y[j]);
        } else {
          run.Flush(drawer, colour);
          drawer.Draw(prev_x, prev_y, b.x[j], b.y[j], colour);
        }
      }
      prev_x = b.x[j];
      prev_y = b.y[j];
      pen_down = true;
    }
    k = next;
  }
  run.Flush(drawer, colour);
}

// Calls visit(px, py) for each point inside the whole clip box, both bounds
// inclusive on both axes: the point test of every marker loop.
template <class Visit>
void ForEachPointInside(const PlotMapping& m, const TracePoints& p, Visit visit) {
  for (int32_t k = 0; k < p.Count(); ++k) {
    const double x = p.X(k);
    const double y = p.Y(k);
    if (PointInside(m, x, y)) visit(MapX(m, x), MapY(m, y));
  }
}

// The pixels the markers of one trace have set in each row and in each
// column of the surface, as one run per line. A marker's two lines lie along
// a row and a column, and within a trace every marker has the same size and
// colour, so a marker sets only the part of its lines outside the runs that
// earlier markers set. A marker of msize 100000 reaches across any surface:
// 524,288 of them cost the rows and columns they cover, not 524,288 times
// their length. The pixels are those the line drawer sets for whole lines.
class MarkerRuns {
 public:
  MarkerRuns(RasterImage& image, uint32_t colour)
      : image_(image),
        colour_(colour),
        rows_(static_cast<size_t>(image.Height())),
        columns_(static_cast<size_t>(image.Width())) {}

  // The part of the line from (a, at) to (b, at) on the surface, along row
  // `at` (or from (at, a) to (at, b) along column `at`).
  void Row(int64_t at, int64_t a, int64_t b) { Line(rows_, at, a, b, image_.Width(), true); }
  void Column(int64_t at, int64_t a, int64_t b) {
    Line(columns_, at, a, b, image_.Height(), false);
  }

 private:
  struct Run {
    int64_t first = 0;
    int64_t last = -1;  // empty while last < first
  };

  void Line(std::vector<Run>& runs, int64_t at, int64_t a, int64_t b, int64_t length, bool row) {
    if (at < 0 || at >= static_cast<int64_t>(runs.size())) return;
    a = std::max<int64_t>(a, 0);
    b = std::min<int64_t>(b, length - 1);
    if (a > b) return;
    Run& run = runs[static_cast<size_t>(at)];
    const bool joins = run.first <= run.last && a <= run.last + 1 && b >= run.first - 1;
    if (!joins) {
      Set(at, a, b, row);
      run = {a, b};
      return;
    }
    if (a < run.first) Set(at, a, run.first - 1, row);
    if (b > run.last) Set(at, run.last + 1, b, row);
    run = {std::min(a, run.first), std::max(b, run.last)};
  }

  void Set(int64_t at, int64_t a, int64_t b, bool row) {
    if (row) {
      DrawRasterLine(image_, a, at, b, at, colour_);
    } else {
      DrawRasterLine(image_, at, a, at, b, colour_);
    }
  }

  RasterImage& image_;
  uint32_t colour_;
  std::vector<Run> rows_;
  std::vector<Run> columns_;
};

// A marker is 2h + 1 pixels across, the single pixel (px, py) when h is 0.
void RasterMarkers(RasterImage& image, const PlotMapping& m, const TracePoints& p, int64_t h,
                   bool plus, uint32_t colour) {
  MarkerRuns runs(image, colour);
  // A negative size draws its lines from the other end: the same pixels.
  const int64_t reach = h < 0 ? -h : h;
  ForEachPointInside(m, p, [&](int64_t px, int64_t py) {
    if (plus) runs.Row(py, px - reach, px + reach);
    runs.Column(px, py - reach, py + reach);
  });
}

// On the page both axes are tested: a point outside breaks the line, so a
// trace leaving the range in y stops at its last point inside.
void VectorTraceLines(VectorCanvas& canvas, const PlotMapping& m, const TracePoints& p) {
  bool pen_down = false;
  for (int32_t k = 0; k < p.Count(); ++k) {
    const double x = p.X(k);
    const double y = p.Y(k);
    if (!PointInside(m, x, y)) {
      pen_down = false;
      continue;
    }
    if (pen_down) {
      canvas.LineTo(MapX(m, x), MapY(m, y));
    } else {
      canvas.MoveTo(MapX(m, x), MapY(m, y));
    }
    pen_down = true;
  }
}

void VectorMarkers(VectorCanvas& canvas, const PlotMapping& m, const TracePoints& p, int64_t h,
                   bool plus) {
  ForEachPointInside(m, p, [&](int64_t px, int64_t py) {
    if (plus) {
      canvas.MoveTo(px - h, py);
      canvas.LineTo(px + h, py);
    }
    canvas.MoveTo(px, py - h);
    canvas.LineTo(px, py + h);
  });
}

bool IsDrawnMarker(int32_t marker) { return marker == 0 || marker == 10; }

}  // namespace

// m + 1 is formed in two's complement, so -2 draws both and INT32_MAX wraps.
bool ModeDrawsLines(int32_t mode) { return ((static_cast<uint32_t>(mode) + 1u) & 1u) != 0; }

bool ModeDrawsMarkers(int32_t mode) { return ((static_cast<uint32_t>(mode) + 1u) & 4u) != 0; }

// Entries 2 .. 255 serve y waves 0 .. 253. The table has no room for waves
// 254 and 255, so they share entry 255 with wave 253 (and with the ticks): the
// last trace among them to be drawn sets the colour of all three.
int PaletteIndexForWave(int32_t y_wave) {
  return static_cast<int>(std::clamp<int64_t>(int64_t{y_wave} + 2, 2, 255));
}

void DrawRasterTrace(RasterImage& image, const document::GraphDocument& doc,
                     const PlotMapping& mapping, int32_t y_wave, int32_t x_wave) {
  TraceState st;
  if (image.IsNull() || !SetUpTrace(doc, y_wave, x_wave, st)) return;
  const TWave& y = doc.Waves[y_wave];
  st.MarkerHalf = y.msize;  // screen pixels, unscaled
  st.YScale = mapping.YScale;
  const TracePoints points(doc, st);
  const bool drawable = HasDrawableRange(mapping);
  if (ModeDrawsLines(y.mode)) {
    SetPaletteEntry(image, st.PaletteIndex, st.Colour);
    if (drawable && mapping.YScale != document::IntensityScale::Linear) {
      RasterScaledTraceLines(image, mapping, points, static_cast<uint32_t>(st.PaletteIndex));
    } else if (drawable) {
      RasterTraceLines(image, mapping, points, static_cast<uint32_t>(st.PaletteIndex));
    }
  }
  if (ModeDrawsMarkers(y.mode)) {
    SetPaletteEntry(image, st.PaletteIndex, st.Colour);
    if (drawable && IsDrawnMarker(y.marker)) {
      RasterMarkers(image, mapping, points, st.MarkerHalf, y.marker == 0,
                    static_cast<uint32_t>(st.PaletteIndex));
    }
  }
}

// Marker size is msize window pixels scaled by the mean of the two page
// factors: with factors 50 and 40 and msize 3 the half size is
// round(90 * 1.5) = 135 units; with 1 and 4 and msize 1, round(2.5) = 2.
void DrawVectorTrace(VectorCanvas& canvas, const document::GraphDocument& doc,
                     const PlotMapping& mapping, int32_t y_wave, int32_t x_wave) {
  TraceState st;
  if (!SetUpTrace(doc, y_wave, x_wave, st)) return;
  const TWave& y = doc.Waves[y_wave];
  st.MarkerHalf = RoundHalfEven((VectorScaleX(doc) + VectorScaleY(doc)) * (y.msize * 0.5));
  st.YScale = mapping.YScale;
  const TracePoints points(doc, st);
  const bool drawable = HasDrawableRange(mapping);
  const uint32_t pen = document::RgbToColorRef(st.Colour);
  if (ModeDrawsLines(y.mode)) {
    canvas.SetPenColor(pen);
    canvas.SetPenWidth(RoundHalfEven32(y.lsize * 50));
    if (drawable) VectorTraceLines(canvas, mapping, points);
  }
  if (ModeDrawsMarkers(y.mode)) {
    canvas.SetPenColor(pen);
    canvas.SetPenWidth(RoundHalfEven32(y.mrkThick * 50));
    if (drawable && IsDrawnMarker(y.marker)) {
      VectorMarkers(canvas, mapping, points, st.MarkerHalf, y.marker == 0);
    }
  }
}

}  // namespace korvelin::render
