#include "document/AxisHistory.h"

#include <algorithm>
#include <cmath>

namespace korvelin::document {
namespace {

// The smallest span a zoom may leave: 1e-6 data units, and 2^-40 of the
// larger magnitude of its ends, which leaves at least 4096 doubles between
// them (a double's spacing is 2^-52 of its magnitude).
bool WideEnough(double low, double high) {
  const double span = high - low;
  const double magnitude = std::max(std::fabs(low), std::fabs(high));
  return span >= 1e-6 && span >= std::ldexp(magnitude, -40) && std::isfinite(span);
}

}  // namespace

bool ZoomAxis(GraphDocument& doc, double x0, double y0, double x1, double y1) {
  if (x0 > x1) ExchangeReals(x0, x1);
  if (y0 < y1) ExchangeReals(y0, y1);
  if (!WideEnough(x0, x1) || !WideEnough(y1, y0)) return false;
  // The new range runs the way the shown one does: a band on an axis that
  // falls to the right (or a y axis running downwards) zooms into an axis
  // that still does.
  const TRealRect& shown = doc.AxisRange;
  if (shown.Left > shown.Right) ExchangeReals(x0, x1);
  if (shown.Top < shown.Bottom) ExchangeReals(y0, y1);
  // 14 moves, not 15: slot 15 keeps the range of the last load.
  for (int i = kHistorySlots - 2; i >= 1; --i) doc.AxisHistory[i] = doc.AxisHistory[i - 1];
  doc.AxisHistory[0] = doc.AxisRange;
  doc.AxisRange = RealRect(x0, y0, x1, y1);
  return true;
}

void UndoAxis(GraphDocument& doc) {
  doc.AxisRange = doc.AxisHistory[0];
  for (int i = 1; i < kHistorySlots; ++i) doc.AxisHistory[i - 1] = doc.AxisHistory[i];
}

}  // namespace korvelin::document
