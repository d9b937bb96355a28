#pragma once
// The vector plot played through QPainter: onto an SVG picture and the
// printer. Lines stay vector strokes and texts stay text that can be
// selected and searched. The page of width x height units (hundredths of a
// millimetre) is stretched onto a target rectangle of the painter, as a
// printer page's printable area takes the plot; which device the painter
// draws on, and where the bytes go, is the caller's.

#include <QByteArray>
#include <QFont>
#include <QPainter>
#include <QPainterPath>
#include <QPointF>
#include <QRectF>
#include <cstdint>
#include <string_view>

#include "render/Canvas.h"
#include "render/VectorRecording.h"

namespace korvelin::platform {

// Draws on a painter whose coordinates are page units. Like a device context
// it keeps a pen, a font and a brush style between calls. The strokes made
// with one pen go out together as one path (a run of line-tos as one
// subpath), which draws the same as separate strokes: the pens have round
// caps and joins, as GDI's do. A 524,288-point trace with plus markers is
// then a few dozen paths, not a million elements.
//
// Points that follow each other on one vertical (the same x in page units)
// are drawn as the few segments that cover the same stretch: from where the
// run enters, over its lowest and highest point, to where it leaves. With
// round caps and joins the ink is the same; a full-range trace of 524,288
// points on a 28,000-unit-wide plot sheds four fifths of its points so.
class PainterVectorCanvas final : public render::VectorCanvas {
 public:
  explicit PainterVectorCanvas(QPainter& painter);
  ~PainterVectorCanvas() override { Finish(); }
  PainterVectorCanvas(const PainterVectorCanvas&) = delete;
  PainterVectorCanvas& operator=(const PainterVectorCanvas&) = delete;

  void SetPenColor(uint32_t color_ref) override;
  void SetPenWidth(int width) override;
  void MoveTo(int64_t x, int64_t y) override;
  void LineTo(int64_t x, int64_t y) override;
  void SetFont(const render::FontSpec& font) override;
  void SetBrushStyle(render::BrushStyle style) override;
  void TextOut(int64_t x, int64_t y, std::string_view text) override;

  // Draws the strokes not yet drawn.
  void Finish();

 private:
  void UsePen();
  void CloseColumn();

  QPainter& painter_;
  uint32_t color_ = 0;
  int width_ = 0;
  bool pen_stale_ = true;
  QFont font_;
  double ascent_ = 0;
  QPainterPath path_;  // the strokes not yet drawn, all with the current pen
  int elements_ = 0;
  QPointF current_;
  bool in_subpath_ = false;
  bool subpath_drawn_ = false;  // the subpath has a segment already
  // The run of points on the vertical through the last point put in the
  // path, its entry: their lowest, highest and last y.
  bool column_pending_ = false;
  double column_x_ = 0;
  double entry_y_ = 0;
  double low_y_ = 0;
  double high_y_ = 0;
};

// Plays the recording onto painter with the page of width x height units
// stretched onto target, given in the painter's current coordinates. The
// painter's state is restored afterwards.
void PlayVectorRecording(const render::VectorRecording& recording, QPainter& painter,
                         const QRectF& target, int width, int height);

// An SVG picture width x height hundredths of a millimetre large whose view
// box is the drawing space itself. Each text names its face, the face's
// metric twin and its generic family ('Times New Roman', 'Liberation Serif',
// serif), so a machine without the face still draws the numbers as wide as
// they were placed. VectorPageStatus's failure for a page no container
// holds, kVectorNotMade when the writer fails.
document::Result<QByteArray> SvgBytes(const render::VectorRecording& recording, int width,
                                      int height);

}  // namespace korvelin::platform
