#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "document/AxisHistory.h"

namespace korvelin::document {
namespace {

// A fresh document whose history was filled by a load of range `loaded`.
std::unique_ptr<GraphDocument> Loaded(TRealRect loaded) {
  auto doc = std::make_unique<GraphDocument>();
  doc->AxisRange = loaded;
  doc->AxisHistory = FilledHistory(loaded);
  return doc;
}

TRealRect Zoom(int n) { return RealRect(n, 100 + n, 10 + n, n); }

// Zooms 1..zooms, then undoes `undos` times; the ranges shown after each undo.
std::vector<TRealRect> ZoomThenUndo(int zooms, int undos) {
  auto doc = Loaded(RealRect(0, 1000, 1000, 0));
  for (int n = 1; n <= zooms; ++n) {
    const TRealRect r = Zoom(n);
    EXPECT_TRUE(ZoomAxis(*doc, r.Left, r.Top, r.Right, r.Bottom));
    EXPECT_EQ(doc->AxisRange, r);
  }
  std::vector<TRealRect> shown;
  for (int i = 0; i < undos; ++i) {
    UndoAxis(*doc);
    shown.push_back(doc->AxisRange);
  }
  return shown;
}

TEST(AxisHistory, ThreeZoomsThenFiveUndosEndAtTheLoadedRange) {
  const TRealRect loaded = RealRect(0, 1000, 1000, 0);
  EXPECT_EQ(ZoomThenUndo(3, 5), (std::vector<TRealRect>{Zoom(2), Zoom(1), loaded, loaded, loaded}));
}

TEST(AxisHistory, TwentyZoomsKeepFifteenAndTheLoadedRange) {
  const TRealRect loaded = RealRect(0, 1000, 1000, 0);
  const std::vector<TRealRect> shown = ZoomThenUndo(20, 17);
  for (int i = 0; i < 15; ++i) EXPECT_EQ(shown[i], Zoom(19 - i)) << "undo " << i + 1;
  EXPECT_EQ(shown[15], loaded);
  EXPECT_EQ(shown[16], loaded);
}

TEST(AxisHistory, CornersInAnyOrderGiveOneRange) {
  for (auto [x0, y0, x1, y1] : {std::array{1.0, 5.0, 3.0, 2.0}, std::array{3.0, 2.0, 1.0, 5.0},
                                std::array{1.0, 2.0, 3.0, 5.0}, std::array{3.0, 5.0, 1.0, 2.0}}) {
    auto doc = Loaded(RealRect(0, 10, 10, 0));
    ASSERT_TRUE(ZoomAxis(*doc, x0, y0, x1, y1));
    EXPECT_EQ(doc->AxisRange, RealRect(1, 5, 3, 2));
    EXPECT_EQ(doc->AxisHistory[0], RealRect(0, 10, 10, 0));
  }
}

TEST(AxisHistory, RefusedZoomsChangeNothing) {
  const double nan = 0.0 / 0.0;
  const double inf = 1.0 / 0.0;
  for (auto [x0, y0, x1, y1] : {
           std::array{1.0, 5.0, 1.0, 2.0},           // a vertical line
           std::array{1.0, 5.0, 1.0000009, 2.0},     // 9e-7 wide
           std::array{1.0, 5.0, 3.0, 5.0},           // a horizontal line
           std::array{1e10, 5.0, 1e10 + 4e-6, 2.0},  // 2 doubles apart
           std::array{nan, 5.0, 3.0, 2.0},
           std::array{1.0, 5.0, 3.0, inf},
       }) {
    auto doc = Loaded(RealRect(0, 10, 10, 0));
    const auto before = doc->AxisHistory;
    EXPECT_FALSE(ZoomAxis(*doc, x0, y0, x1, y1)) << x0 << " " << y0 << " " << x1 << " " << y1;
    EXPECT_EQ(doc->AxisRange, RealRect(0, 10, 10, 0));
    EXPECT_EQ(doc->AxisHistory, before);
  }
  auto doc = Loaded(RealRect(0, 10, 10, 0));
  EXPECT_TRUE(ZoomAxis(*doc, 0.0, 5.0, 1e-6, 2.0)) << "exactly 1e-6 is wide enough";
}

}  // namespace
}  // namespace korvelin::document
