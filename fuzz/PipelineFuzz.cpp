// Runs one pattern file through everything the window does with it: the load
// (with the second reading of files saved by other programs), the layout for
// a client area, the screen plot, a mouse zoom and a number of undos, the
// redraw, and the vector plot on a recording played onto a checking canvas.
// The last kChoiceBytes bytes of an input choose the window and its settings
// (see Choices); the bytes before them are the file. The sanitizers catch
// faults inside the core; the checks here catch what the core promises its
// callers: a plot within its bounds, a surface as large as the plot, a
// history whose last slot keeps the loaded range, and drawing that ends.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <limits>
#include <memory>
#include <string_view>

#include "document/AxisHistory.h"
#include "document/GraphDocument.h"
#include "document/IgorReader.h"
#include "document/Loading.h"
#include "document/SavedWaves.h"
#include "render/Canvas.h"
#include "render/MouseZoom.h"
#include "render/PlotLayout.h"
#include "render/PlotMapping.h"
#include "render/RasterImage.h"
#include "render/ScreenPlot.h"
#include "render/VectorPlot.h"
#include "render/VectorRecording.h"

namespace {

using namespace korvelin;
using document::GraphDocument;
using document::PixelRect;
using document::PixelSize;
using document::TRealRect;

[[noreturn]] void Fail(const char* what, long long a, long long b) {
  std::fprintf(stderr, "PipelineFuzz: %s (%lld, %lld)\n", what, a, b);
  std::abort();
}

// The window's label with metrics that grow with the font: at the window's
// 16-pixel font every character is 8 pixels wide and every text 19 high
// (the reference text measures 56 x 19, as the tests' fixed measurer does);
// a 2,000-pixel font gives 1,000 x 2,375. The vector plot measures in a font
// scaled to the page, so huge pages report huge texts, held to 32 bits.
class ScaledTextMeasurer final : public render::TextMeasurer {
 public:
  void SetFont(const render::FontSpec& font) override { pixels_ = font.pixel_height; }
  render::TextSize Measure(std::string_view text) override {
    const int64_t pixels = pixels_ < 0 ? -int64_t{pixels_} : pixels_;
    const int64_t width = static_cast<int64_t>(text.size()) * ((pixels + 1) / 2);
    return {Held(width), Held(pixels * 19 / 16)};
  }

 private:
  static int Held(int64_t v) { return static_cast<int>(std::min<int64_t>(v, 0x7FFFFFFF)); }
  int pixels_ = 16;
};

// The picture of the window, checking rather than drawing: the redraw hides
// it first and shows it last, and the surface is copied whole at the plot's
// corner. Texts and rubber bands are only counted.
class CheckingPicture final : public render::PictureCanvas {
 public:
  CheckingPicture(const GraphDocument& doc, PixelSize client) : doc_(doc), client_(client) {}
  void SetPenColor(uint32_t) override {}
  void SetPenMode(render::PenMode) override {}
  void Rectangle(int, int, int, int) override { ++rectangles; }
  void SetBrushColor(uint32_t) override {}
  void SetBrushStyle(render::BrushStyle) override {}
  void FillRect(int left, int top, int right, int bottom) override {
    if (left != 0 || top != 0 || right != client_.Width || bottom != client_.Height)
      Fail("fill is not the whole picture", right, bottom);
  }
  void SetFont(const render::FontSpec&) override {}
  void TextOut(int, int, std::string_view text) override {
    if (text.empty()) Fail("empty axis number", 0, 0);
    ++texts;
  }
  void BlitRaster(const render::RasterImage& image, int x, int y) override {
    const PixelRect& plot = doc_.PlotRect;
    if (x != plot.Left || y != plot.Top) Fail("blit off the plot corner", x, y);
    if (image.Width() != plot.Right - plot.Left || image.Height() != plot.Bottom - plot.Top)
      Fail("surface is not the plot's size", image.Width(), image.Height());
    ++blits;
  }
  void SetVisible(bool visible) override {
    if (visible == visible_) Fail("hidden or shown twice", visible, 0);
    visible_ = visible;
  }
  int Width() const override { return client_.Width; }
  int Height() const override { return client_.Height; }

  int64_t rectangles = 0;
  int64_t texts = 0;
  int64_t blits = 0;
  bool Visible() const { return visible_; }

 private:
  const GraphDocument& doc_;
  PixelSize client_;
  bool visible_ = true;
};

// Counts what a recording plays; no position may sit at the far clamp of
// both signs at once, and no text may be empty.
class CountingVectorCanvas final : public render::VectorCanvas {
 public:
  void SetPenColor(uint32_t) override { ++ops; }
  void SetPenWidth(int) override { ++ops; }
  void MoveTo(int64_t, int64_t) override { ++ops; }
  void LineTo(int64_t, int64_t) override { ++ops; }
  void SetFont(const render::FontSpec& font) override {
    if (font.pixel_height < 0) Fail("negative page font", font.pixel_height, 0);
    ++ops;
  }
  void SetBrushStyle(render::BrushStyle) override { ++ops; }
  void TextOut(int64_t, int64_t, std::string_view text) override {
    if (text.empty()) Fail("empty page number", 0, 0);
    ++ops;
  }
  size_t ops = 0;
};

// The window's choices, read from a fixed block at the end of the input.
//
// The block, kChoiceBytes long, field by field (little-endian):
//   2  client width  % 4001     2  client height % 3001
//   1  flags: bit 0 ScaleOn, 1 MarginOn, 2 ColorOn, bits 3-4 the button
//      that ends the drag (left, middle, right, other)
//   1  undos % 33              2  font pixel height % 2001
//   10 settings of 3 bytes each (see Setting): Margin left, top, right,
//      bottom, TickX, TickY, DistanceX, DistanceY, MetafileWidth, -Height
//   8  drag from (x0, y0) to (x1, y1), signed 16-bit window pixels
constexpr size_t kChoiceBytes = 2 + 2 + 1 + 1 + 2 + 10 * 3 + 8;

class ChoiceReader {
 public:
  explicit ChoiceReader(const uint8_t* block) : p_(block) {}
  uint32_t U8() { return *p_++; }
  uint32_t U16() {
    const uint32_t v = p_[0] | uint32_t{p_[1]} << 8;
    p_ += 2;
    return v;
  }
  int32_t I16() { return static_cast<int16_t>(U16()); }
  // A setting: a kind byte and a 16-bit value. Kinds 0-4 take the value as
  // a signed number of pixels (the everyday range, negative ones included),
  // kind 5 one of the extremes below, kinds 6-7 the value times 65,536.
  int32_t Setting() {
    static constexpr int32_t kExtremes[] = {std::numeric_limits<int32_t>::min(),
                                            std::numeric_limits<int32_t>::max(),
                                            std::numeric_limits<int32_t>::min() + 1,
                                            -(1 << 20) - 1,
                                            -(1 << 20),
                                            1 << 20,
                                            (1 << 20) + 1,
                                            1 << 30,
                                            -(1 << 30),
                                            render::kMaxVectorPageSide,
                                            render::kMaxVectorPageSide + 1,
                                            0,
                                            -1};
    const uint32_t kind = U8() % 8;
    const int32_t value = I16();
    if (kind <= 4) return value;
    if (kind == 5) return kExtremes[static_cast<uint32_t>(value) % std::size(kExtremes)];
    return static_cast<int32_t>(static_cast<uint32_t>(value) << 16);
  }

 private:
  const uint8_t* p_;
};

struct Choices {
  PixelSize client;
  document::DisplaySettings settings;
  render::MouseButton release = render::MouseButton::Left;
  int undos = 0;
  int font_pixels = 16;
  int32_t x0 = 0, y0 = 0, x1 = 0, y1 = 0;
};

Choices ReadChoices(const uint8_t* block) {
  static constexpr render::MouseButton kButtons[] = {
      render::MouseButton::Left, render::MouseButton::Middle, render::MouseButton::Right,
      render::MouseButton::Other};
  ChoiceReader r(block);
  Choices c;
  c.client.Width = static_cast<int32_t>(r.U16() % 4001);
  c.client.Height = static_cast<int32_t>(r.U16() % 3001);
  const uint32_t flags = r.U8();
  c.settings.ScaleOn = flags & 1;
  c.settings.MarginOn = flags & 2;
  c.settings.ColorOn = flags & 4;
  c.release = kButtons[(flags >> 3) & 3];
  c.undos = static_cast<int>(r.U8() % 33);
  c.font_pixels = static_cast<int>(r.U16() % 2001);
  c.settings.Margin.Left = r.Setting();
  c.settings.Margin.Top = r.Setting();
  c.settings.Margin.Right = r.Setting();
  c.settings.Margin.Bottom = r.Setting();
  c.settings.TickX = r.Setting();
  c.settings.TickY = r.Setting();
  c.settings.DistanceX = r.Setting();
  c.settings.DistanceY = r.Setting();
  c.settings.MetafileWidth = r.Setting();
  c.settings.MetafileHeight = r.Setting();
  c.x0 = r.I16();
  c.y0 = r.I16();
  c.x1 = r.I16();
  c.y1 = r.I16();
  return c;
}

// What ComputePlotRect promises for any settings: sides of 64 to 16384
// pixels, the width a multiple of 4, and edges that did not overflow.
void CheckPlotRect(const PixelRect& plot) {
  const int64_t w = int64_t{plot.Right} - plot.Left;
  const int64_t h = int64_t{plot.Bottom} - plot.Top;
  if (w < render::kMinPlotSide || w > render::kMaxPlotSide || w % 4 != 0)
    Fail("plot width", plot.Left, plot.Right);
  if (h < render::kMinPlotSide || h > render::kMaxPlotSide) Fail("plot height", plot.Top, h);
  if (std::abs(int64_t{plot.Left}) > render::kMaxMargin ||
      std::abs(int64_t{plot.Top}) > render::kMaxMargin)
    Fail("plot corner", plot.Left, plot.Top);
}

// The drawing keeps negative margins and distances at -2048 or above. Any
// value reaches ComputePlotRect first, and its bounds are checked; but a
// margin of -2^20 gives a 16384 x 16384 plot, a 256 MB surface made and
// cleared twice per input: 0.24 s under the sanitizers, a hundred typical
// inputs, so the fuzzer would spend its time mostly there. -2048 on every
// side still gives surfaces of up to 8096 x 7096 pixels (57 ms), past the
// client area on every edge.
constexpr int32_t kMostNegative = -2048;

document::DisplaySettings DrawnSettings(document::DisplaySettings s) {
  for (int32_t* v : {&s.Margin.Left, &s.Margin.Top, &s.Margin.Right, &s.Margin.Bottom, &s.DistanceX,
                     &s.DistanceY}) {
    *v = std::max(*v, kMostNegative);
  }
  return s;
}

bool Finite(const TRealRect& r) {
  return std::isfinite(r.Left) && std::isfinite(r.Top) && std::isfinite(r.Right) &&
         std::isfinite(r.Bottom);
}

// The layout step of the window: measure the reference text in the font,
// place the plot, make its surface with white and black in entries 0 and 1.
void Layout(GraphDocument& doc, const Choices& c, ScaledTextMeasurer& label,
            const render::FontSpec& font, render::RasterImage& raster) {
  doc.ClientSize = c.client;
  label.SetFont(font);
  render::TextSize reference{};
  if (doc.Settings.ScaleOn) reference = label.Measure(render::kReferenceText);
  CheckPlotRect(render::ComputePlotRect(c.client, reference, c.settings));
  doc.PlotRect = render::ComputePlotRect(c.client, reference, doc.Settings);
  CheckPlotRect(doc.PlotRect);
  render::ReleaseRasterImage(raster);
  render::NewRasterImage(raster, doc.PlotRect.Right - doc.PlotRect.Left,
                         doc.PlotRect.Bottom - doc.PlotRect.Top);
  if (raster.IsNull()) Fail("no surface for the plot", doc.PlotRect.Right, doc.PlotRect.Bottom);
  render::SetPaletteEntry(raster, 0, 0xFFFFFF);
  render::SetPaletteEntry(raster, 1, 0x000000);
}

// The surface's palette and pixels, as one hash.
size_t SurfaceHash(const render::RasterImage& raster) {
  const std::string_view block(reinterpret_cast<const char*>(raster.Block()), raster.BlockSize());
  return std::hash<std::string_view>{}(block);
}

void Redraw(const GraphDocument& doc, render::ScreenPlotTarget& target, CheckingPicture& picture) {
  const int64_t before = picture.blits;
  render::DrawScreenPlot(doc, target);
  if (picture.blits != before + 1 || !picture.Visible()) Fail("redraw left unfinished", 0, 0);
  // Numbers are at most one per tick, and ticks at most one per pixel.
  const int64_t w = int64_t{doc.PlotRect.Right} - doc.PlotRect.Left;
  const int64_t h = int64_t{doc.PlotRect.Bottom} - doc.PlotRect.Top;
  if (picture.texts > 2 * (w + h + 2)) Fail("too many axis numbers", picture.texts, w + h);
}

// The drag of the window's mouse handlers, then undos with the right button
// and through the menu's Undo Axis, half each. The last history slot keeps
// the loaded range whatever happens, and a range a zoom made is finite and
// increases both ways.
void ZoomAndUndo(GraphDocument& doc, const Choices& c, CheckingPicture& picture) {
  const TRealRect loaded = doc.AxisHistory[document::kHistorySlots - 1];
  render::MouseState mouse;
  render::ImageMouseMove(mouse, doc, picture, c.x0, c.y0);
  render::ImageMouseDown(mouse, render::MouseButton::Left, c.x0, c.y0);
  render::ImageMouseMove(mouse, doc, picture, (c.x0 + c.x1) / 2, (c.y0 + c.y1) / 2);
  render::ImageMouseMove(mouse, doc, picture, c.x1, c.y1);
  (void)render::ReadoutCaption(mouse, ',');
  (void)render::CoordinateText(mouse, '.');
  const TRealRect before = doc.AxisRange;
  const render::MouseRelease release = render::ImageMouseUp(mouse, doc, c.release, c.x1, c.y1);
  if (release == render::MouseRelease::Zoomed) {
    // A zoom keeps the direction of each axis: it runs as the range before
    // it did, forwards or the other way, and never has an empty span.
    const TRealRect& r = doc.AxisRange;
    const bool x_forward = !(before.Left > before.Right);
    const bool y_upward = !(before.Top < before.Bottom);
    if (!Finite(r) || !(x_forward ? r.Left < r.Right : r.Left > r.Right) ||
        !(y_upward ? r.Bottom < r.Top : r.Bottom > r.Top)) {
      Fail("zoomed range", 0, 0);
    }
    if (!(doc.AxisHistory[0] == before)) Fail("zoom did not push the range", 0, 0);
  } else if (release == render::MouseRelease::Nothing && !(doc.AxisRange == before)) {
    Fail("refused zoom changed the range", 0, 0);
  }
  for (int i = 0; i < c.undos; ++i) {
    if (i % 2 == 0) {
      render::ImageMouseDown(mouse, render::MouseButton::Right, c.x1, c.y1);
      render::ImageMouseUp(mouse, doc, render::MouseButton::Right, c.x1, c.y1);
    } else {
      document::UndoAxis(doc);
    }
  }
  if (!(doc.AxisHistory[document::kHistorySlots - 1] == loaded)) Fail("last slot moved", 0, 0);
  if (c.undos >= document::kHistorySlots && !(doc.AxisRange == loaded))
    Fail("sixteen undos do not reach the loaded range", c.undos, 0);
}

// The page of a Print or Copy Metafile command: recorded only when every
// container can hold it, as the commands do; a side of 0 or below records
// nothing at all.
void VectorPlot(const GraphDocument& doc, ScaledTextMeasurer& label, const render::FontSpec& font) {
  const document::DisplaySettings& s = doc.Settings;
  const bool page = render::VectorPageStatus(s.MetafileWidth, s.MetafileHeight).ok();
  if (!page && s.MetafileWidth > 0 && s.MetafileHeight > 0) return;
  const render::VectorRecording recording = render::RecordVectorPlot(doc, label, font, ',');
  const bool factors = doc.ClientSize.Width > 0 && doc.ClientSize.Height > 0;
  if (!page || !factors) {
    if (!recording.Empty())
      Fail("a plot without page factors drew", static_cast<long long>(recording.Size()), 0);
    return;
  }
  CountingVectorCanvas canvas;
  recording.Play(canvas);
  if (canvas.ops != recording.Size())
    Fail("playback lost operations", static_cast<long long>(canvas.ops), 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  uint8_t block[kChoiceBytes] = {};
  const size_t taken = std::min(size, kChoiceBytes);
  std::memcpy(block, data + size - taken, taken);
  const Choices c = ReadChoices(block);
  const std::string_view text(reinterpret_cast<const char*>(data), size - taken);

  auto doc = std::make_unique<GraphDocument>();
  document::InitValueStore(doc->Values);
  doc->Settings = DrawnSettings(c.settings);
  // As the program loads a file: a pattern file, else columns.
  const document::LoadRecord load = document::LoadText(*doc, text, "fuzz.xye");
  const bool fitted = load.saved.fallback || load.columns.read;
  if (load.result.accepted() && !Finite(doc->AxisRange) && fitted)
    Fail("fitted range not finite", 0, 0);

  render::FontSpec font;
  font.pixel_height = c.font_pixels;
  ScaledTextMeasurer label;
  render::RasterImage raster;
  CheckingPicture picture(*doc, c.client);
  render::PlotMapping mapping;
  render::ScreenPlotTarget target{raster, picture, label, mapping, font, '.'};

  Layout(*doc, c, label, font, raster);
  Redraw(*doc, target, picture);
  const TRealRect first_range = doc->AxisRange;
  const size_t first_picture = SurfaceHash(raster);
  ZoomAndUndo(*doc, c, picture);
  Redraw(*doc, target, picture);
  // Undos back to the range of the first redraw give its picture again,
  // pixel for pixel and entry for entry.
  if (doc->AxisRange == first_range && SurfaceHash(raster) != first_picture)
    Fail("the same range drew another picture", 0, 0);
  VectorPlot(*doc, label, font);
  return 0;
}
