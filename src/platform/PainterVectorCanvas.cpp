// Plays vector operations through QPainter and wraps the result in a PDF
// page or an SVG picture. The painter's transform carries page units to the
// device, so pens and fonts are given in page units and scale with the page.

#include "platform/PainterVectorCanvas.h"

#include <QBuffer>
#include <QColor>
#include <QFontMetricsF>
#include <QMarginsF>
#include <QPageSize>
#include <QPen>
#include <QRegularExpression>
#include <QStringList>
#include <QSvgGenerator>
#include <QTransform>
#include <algorithm>

#include "platform/QtFont.h"

namespace korvelin::platform {
namespace {

// The PDF writer formats each number through a 32-bit integer part, so page
// coordinates are held to +-2^30. Only axis-parallel strokes (frame, ticks,
// markers) reach that far, and clamping keeps them parallel.
constexpr double kFarPoint = 1073741824.0;

QPointF Point(int64_t x, int64_t y) {
  return QPointF(std::clamp(static_cast<double>(x), -kFarPoint, kFarPoint),
                 std::clamp(static_cast<double>(y), -kFarPoint, kFarPoint));
}

// Paths are cut after this many line-tos, which keeps each SVG attribute
// and PDF path of a 524,288-point trace a modest size.
constexpr int kMaxPathElements = 16384;

constexpr double kDotLength = 1.0 / 1024;

// SVG pixels of 0.01 mm: 2540 of them to the inch.
constexpr int kHundredthsPerInch = 2540;

// The faces the window's fonts name and the free faces with the same
// metrics, which a desktop without the first has; the numbers then keep
// the widths they were placed with.
struct MetricTwin {
  const char* face;
  const char* twin;
  const char* generic;
};
constexpr MetricTwin kMetricTwins[] = {
    {"times new roman", "Liberation Serif", "serif"},
    {"arial", "Liberation Sans", "sans-serif"},
    {"helvetica", "Liberation Sans", "sans-serif"},
    {"courier new", "Liberation Mono", "monospace"},
    {"courier", "Liberation Mono", "monospace"},
};

// A face without a known twin falls back to the generic family of its
// kind, read from its name; serif is the window's own kind.
const char* GenericFamily(const QString& face) {
  const QString name = face.toLower();
  if (name.contains("mono") || name.contains("courier")) return "monospace";
  if (name.contains("sans") || name.contains("arial") || name.contains("helvetica")) {
    return "sans-serif";
  }
  return "serif";
}

// The CSS family list of a text: the face, its metric twin and the generic
// family, as in "'Times New Roman', 'Liberation Serif', serif". Quotes and
// backslashes, which would end the name or the attribute, are left out of
// the names.
QByteArray FamilyList(QString face) {
  face.remove(QRegularExpression(R"(['"\\<>&])"));
  QStringList families{"'" + face + "'"};
  const char* generic = GenericFamily(face);
  for (const MetricTwin& known : kMetricTwins) {
    if (face.compare(QLatin1String(known.face), Qt::CaseInsensitive) != 0) continue;
    families.append(QString("'%1'").arg(QLatin1String(known.twin)));
    generic = known.generic;
    break;
  }
  families.append(QLatin1String(generic));
  return families.join(", ").toUtf8();
}

// The SVG writer names each text's face alone; every font-family it wrote
// becomes the face's family list.
QByteArray WithFamilyLists(const QByteArray& svg) {
  static constexpr char kAttribute[] = "font-family=\"";
  constexpr qsizetype kAttributeLength = sizeof kAttribute - 1;
  QByteArray out;
  out.reserve(svg.size() + svg.size() / 64);
  qsizetype at = 0;
  for (qsizetype found = svg.indexOf(kAttribute); found >= 0; found = svg.indexOf(kAttribute, at)) {
    const qsizetype value = found + kAttributeLength;
    const qsizetype end = svg.indexOf('"', value);
    if (end < 0) break;
    out.append(svg.constData() + at, value - at);
    out.append(FamilyList(QString::fromUtf8(svg.mid(value, end - value))));
    at = end;
  }
  out.append(svg.constData() + at, svg.size() - at);
  return out;
}

}  // namespace

PainterVectorCanvas::PainterVectorCanvas(QPainter& painter) : painter_(painter) {
  painter_.setBrush(Qt::NoBrush);
  painter_.setBackgroundMode(Qt::TransparentMode);
  SetFont(render::FontSpec{});
}

void PainterVectorCanvas::SetPenColor(uint32_t color_ref) {
  color_ref &= 0xFFFFFF;
  if (color_ref == color_) return;
  Finish();
  color_ = color_ref;
  pen_stale_ = true;
}

void PainterVectorCanvas::SetPenWidth(int width) {
  width = std::max(width, 0);
  if (width == width_) return;
  Finish();
  width_ = width;
  pen_stale_ = true;
}

// A width of 0 is one device pixel, in Qt as in GDI.
void PainterVectorCanvas::UsePen() {
  if (!pen_stale_) return;
  const QColor color(color_ & 0xFF, (color_ >> 8) & 0xFF, (color_ >> 16) & 0xFF);
  painter_.setPen(QPen(color, width_, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  pen_stale_ = false;
}

void PainterVectorCanvas::MoveTo(int64_t x, int64_t y) {
  CloseColumn();
  current_ = Point(x, y);
  in_subpath_ = false;
}

void PainterVectorCanvas::LineTo(int64_t x, int64_t y) {
  if (!in_subpath_) {
    path_.moveTo(current_);
    in_subpath_ = true;
    subpath_drawn_ = false;
    column_x_ = current_.x();
    entry_y_ = low_y_ = high_y_ = current_.y();
  }
  const QPointF point = Point(x, y);
  if (point.x() == column_x_) {
    low_y_ = std::min(low_y_, point.y());
    high_y_ = std::max(high_y_, point.y());
    column_pending_ = true;
    current_ = point;
    return;
  }
  CloseColumn();
  current_ = point;
  path_.lineTo(current_);
  subpath_drawn_ = true;
  column_x_ = current_.x();
  entry_y_ = low_y_ = high_y_ = current_.y();
  if (++elements_ >= kMaxPathElements) Finish();
}

// The run on the vertical goes from its entry to the extreme farther from
// its last point, then to the other extreme, then to the last point: the
// whole stretch between the extremes is covered and the path goes on from
// where the recording does. A run that never leaves its entry is a dot (a
// marker of size 0 is one), kept when nothing else of the subpath covers
// it. QPainterPath drops a line to its own end point, so the dot is a line
// of 1/1024 unit, whose round caps give the pen's disk as GDI does.
void PainterVectorCanvas::CloseColumn() {
  if (!column_pending_) return;
  column_pending_ = false;
  const double last = current_.y();
  const bool low_first = high_y_ - last < last - low_y_;
  double previous = entry_y_;
  for (const double y : {low_first ? low_y_ : high_y_, low_first ? high_y_ : low_y_, last}) {
    if (y == previous) continue;
    path_.lineTo(column_x_, y);
    ++elements_;
    previous = y;
    subpath_drawn_ = true;
  }
  if (!subpath_drawn_) {
    path_.lineTo(column_x_, entry_y_ + kDotLength);
    ++elements_;
    subpath_drawn_ = true;
  }
}

// A run cut here goes on from the current point in a new subpath.
void PainterVectorCanvas::Finish() {
  CloseColumn();
  in_subpath_ = false;
  if (elements_ == 0) return;
  UsePen();
  painter_.drawPath(path_);
  path_.clear();
  elements_ = 0;
}

// The font's pixel size is its height in page units; the painter's
// transform takes it to the device with the lines.
void PainterVectorCanvas::SetFont(const render::FontSpec& font) {
  Finish();
  font_ = ToQFont(font);
  ascent_ = QFontMetricsF(font_).ascent();
  painter_.setFont(font_);
}

// GDI's opaque mode fills the text's box with the background colour, white.
void PainterVectorCanvas::SetBrushStyle(render::BrushStyle style) {
  Finish();
  const bool opaque = style == render::BrushStyle::Solid;
  painter_.setBackgroundMode(opaque ? Qt::OpaqueMode : Qt::TransparentMode);
  painter_.setBackground(Qt::white);
}

// QPainter places text on its baseline, one ascent below the top-left
// corner the plot gives. Texts are black, the window font's colour; QPainter
// draws them with the pen's colour, which the plot has made black already.
void PainterVectorCanvas::TextOut(int64_t x, int64_t y, std::string_view text) {
  Finish();
  const QPen pen = painter_.pen();
  const bool black_pen = pen.color() == Qt::black;
  if (!black_pen) painter_.setPen(Qt::black);
  const QPointF corner = Point(x, y);
  painter_.drawText(QPointF(corner.x(), corner.y() + ascent_),
                    QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size())));
  if (!black_pen) painter_.setPen(pen);
}

void PlayVectorRecording(const render::VectorRecording& recording, QPainter& painter,
                         const QRectF& target, int width, int height) {
  if (width <= 0 || height <= 0) return;
  painter.save();
  QTransform page;
  page.translate(target.left(), target.top());
  page.scale(target.width() / width, target.height() / height);
  painter.setTransform(page, true);
  {
    PainterVectorCanvas canvas(painter);
    recording.Play(canvas);
  }
  painter.restore();
}

document::Result<QByteArray> SvgBytes(const render::VectorRecording& recording, int width,
                                      int height) {
  const document::Status page = render::VectorPageStatus(width, height);
  if (!page.ok()) return page;
  const document::Status not_made = document::Status::Failure(render::kVectorNotMade);
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  QSvgGenerator generator;
  generator.setOutputDevice(&buffer);
  generator.setTitle("KORVELIN");
  generator.setSize(QSize(width, height));
  generator.setViewBox(QRect(0, 0, width, height));
  generator.setResolution(kHundredthsPerInch);
  QPainter painter;
  if (!painter.begin(&generator)) return not_made;
  PlayVectorRecording(recording, painter, QRectF(0, 0, width, height), width, height);
  if (!painter.end()) return not_made;
  QByteArray svg = WithFamilyLists(bytes);
  if (svg.isEmpty()) return not_made;
  return svg;
}

}  // namespace korvelin::platform
