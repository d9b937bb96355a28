// The line drawer against the full walk it stands for: exact pixels on
// examples, on random and on every small slope, and only the visible part
// of a line towards a far point.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <random>
#include <vector>

#include "RasterPixels.h"
#include "render/RasterLine.h"

namespace korvelin::render {
namespace {

// The pixels of one line, drawn alone or through the drawer a trace uses for
// its many segments.
PixelSet Drawn(int32_t w, int32_t h, int64_t x1, int64_t y1, int64_t x2, int64_t y2,
               bool in_batch = false) {
  RasterImage image;
  NewRasterImage(image, w, h);
  if (in_batch) {
    RasterLineDrawer(image).Draw(x1, y1, x2, y2, 7);
  } else {
    DrawRasterLine(image, x1, y1, x2, y2, 7);
  }
  return SetPixels(image);
}

// The line drawer as first described: every step of the major axis, the
// slope stored as a float, the minor coordinate rounded with the C library's
// nearbyint, each pixel tested against the surface. A line longer than
// kFullWalk steps starts and ends its walk where the major coordinate enters
// and leaves the surface, since the steps outside cannot give a pixel.
constexpr int64_t kFullWalk = 1 << 22;

PixelSet Reference(int64_t w, int64_t h, int64_t x1, int64_t y1, int64_t x2, int64_t y2) {
  PixelSet out;
  auto keep = [&](int64_t x, double y_exact, bool x_major) {
    const double r = std::nearbyint(y_exact);
    const int64_t minor_limit = x_major ? h : w;
    if (!(r >= 0 && r < static_cast<double>(minor_limit)) || x < 0 || x >= (x_major ? w : h)) {
      return;
    }
    const auto m = static_cast<int64_t>(r);
    out.insert(x_major ? Pixel{x, m} : Pixel{m, x});
  };
  const int64_t dx = std::llabs(x2 - x1);
  const int64_t dy = std::llabs(y2 - y1);
  if (dx == 0 && dy == 0) {
    if (x1 >= 0 && x1 < w && y1 >= 0 && y1 < h) out.insert({x1, y1});
    return out;
  }
  const bool x_major = dy < dx;
  const int64_t a1 = x_major ? x1 : y1;
  const int64_t b1 = x_major ? y1 : x1;
  const int64_t da = x_major ? dx : dy;
  const int64_t dir = (x_major ? x2 - x1 : y2 - y1) < 0 ? -1 : 1;
  const int64_t dir_minor = (x_major ? y2 - y1 : x2 - x1) < 0 ? -1 : 1;
  const float slope = static_cast<float>(static_cast<double>(dir_minor * (x_major ? dy : dx)) /
                                         static_cast<double>(da));
  int64_t lo = 0;
  int64_t hi = da;
  if (da > kFullWalk) {
    const int64_t limit = x_major ? w : h;
    lo = std::max<int64_t>(0, dir > 0 ? -a1 : a1 - limit + 1);
    hi = std::min<int64_t>(da, dir > 0 ? limit - 1 - a1 : a1);
  }
  for (int64_t i = lo; i <= hi; ++i) {
    const double v = static_cast<double>(i) * static_cast<double>(slope) + static_cast<double>(b1);
    keep(a1 + dir * i, v, x_major);
  }
  return out;
}

struct LineCase {
  int64_t x1, y1, x2, y2;
  PixelSet pixels;
};

TEST(DrawRasterLineExample, SetsExactlyThesePixels) {
  const LineCase cases[] = {
      // Halves at i = 1 and 3 go to the even rows 0 and 2.
      {0, 0, 4, 2, {{0, 0}, {1, 0}, {2, 1}, {3, 2}, {4, 2}}},
      {0, 1, 4, 3, {{0, 1}, {1, 2}, {2, 2}, {3, 2}, {4, 3}}},
      // A diagonal takes the y-major branch.
      {0, 0, 3, 3, {{0, 0}, {1, 1}, {2, 2}, {3, 3}}},
      // The same line drawn backwards rounds from the other end.
      {4, 2, 0, 0, {{4, 2}, {3, 2}, {2, 1}, {1, 0}, {0, 0}}},
      {5, 5, 5, 5, {{5, 5}}},
      {64, 5, 64, 5, {}},
      {-1, -1, -1, -1, {}},
      {-5, 3, 5, 3, {{0, 3}, {1, 3}, {2, 3}, {3, 3}, {4, 3}, {5, 3}}},
      {-50, -3, 200, -3, {}},
      {70, 0, 90, 63, {}},
  };
  for (const LineCase& c : cases) {
    EXPECT_EQ(Drawn(64, 64, c.x1, c.y1, c.x2, c.y2), c.pixels)
        << c.x1 << "," << c.y1 << " - " << c.x2 << "," << c.y2;
  }
}

TEST(DrawRasterLine, FloatSlopeMovesAHalfOffTheHalf) {
  // 6 / 20 stored as a float is 0.300000011920929: step 15 gives 4.50000018,
  // which rounds to row 5 where the exact slope would give 4.5 and row 4.
  const PixelSet pixels = Drawn(64, 64, 0, 0, 20, 6);
  EXPECT_TRUE(pixels.count({15, 5}));
  EXPECT_FALSE(pixels.count({15, 4}));
  EXPECT_EQ(pixels, Reference(64, 64, 0, 0, 20, 6));
}

TEST(DrawRasterLine, StoresOnlyTheLowByteOfTheColour) {
  RasterImage image;
  NewRasterImage(image, 64, 64);
  DrawRasterLine(image, 3, 3, 3, 3, 0x1234);
  EXPECT_EQ(image.PixelAt(3, 3), 0x34);
}

TEST(DrawRasterLine, DrawsTheVisiblePartOfALineTowardsAFarPoint) {
  // A segment from the plot to a point 2^62 pixels away: only the steps near
  // the surface are visited, and they match the definition.
  const int64_t far = int64_t{1} << 62;
  for (const auto& [x2, y2] :
       std::vector<Pixel>{{10, -far}, {far, 20}, {-far, far}, {far / 3, 7}}) {
    const PixelSet got = Drawn(128, 64, 10, 20, x2, y2);
    EXPECT_FALSE(got.empty());
    EXPECT_EQ(got, Reference(128, 64, 10, 20, x2, y2)) << x2 << " " << y2;
  }
  // Beyond 2^62 a coordinate counts as 2^62: the walk stays defined.
  EXPECT_EQ(Drawn(64, 64, 5, 5, 5, INT64_MAX), Drawn(64, 64, 5, 5, 5, far));
  EXPECT_EQ(Drawn(64, 64, INT64_MIN, 5, 5, 5), Drawn(64, 64, -far, 5, 5, 5));
}

// Random lines against the definition: short and long, ends on, near and far
// off the surface, small slopes whose float rounding matters, and slopes
// whose products land on exact halves.
TEST(DrawRasterLine, MatchesTheFullWalkOnRandomLines) {
  std::mt19937_64 rng(20261207);
  auto pick = [&](int64_t lo, int64_t hi) {
    return std::uniform_int_distribution<int64_t>(lo, hi)(rng);
  };
  auto coordinate = [&](int64_t size) -> int64_t {
    switch (pick(0, 5)) {
      case 0:
        return pick(-(int64_t{1} << 61), int64_t{1} << 61);
      case 1:
        return pick(-(1 << 24), 1 << 24);
      case 2:
        return pick(-3 * size, 4 * size);
      default:
        return pick(-2, size + 1);
    }
  };
  const int32_t sizes[][2] = {{64, 64}, {128, 72}, {1024, 8}, {8, 1024}};
  for (int n = 0; n < 12000; ++n) {
    const auto& size = sizes[n % 4];
    int64_t x1 = coordinate(size[0]);
    int64_t y1 = coordinate(size[1]);
    int64_t x2 = coordinate(size[0]);
    int64_t y2 = coordinate(size[1]);
    if (n % 5 == 0) {  // short lines near the surface, where exact halves are common
      x1 = pick(-20, 80);
      y1 = pick(-20, 80);
      x2 = x1 + pick(-64, 64);
      y2 = y1 + pick(-1, 1) * pick(0, 32);
    }
    if (n % 5 == 2) {  // one-step segments around the edges, as a dense trace draws
      x1 = pick(-2, size[0] + 1);
      y1 = pick(-2, size[1] + 1);
      x2 = x1 + pick(-1, 1);
      y2 = y1 + pick(-1, 1);
    }
    if (n % 5 == 1) {  // long lines through the surface from far away on both sides
      const int64_t px = pick(0, size[0] - 1);
      const int64_t py = pick(0, size[1] - 1);
      // Far ends between 2^20 and 2^58 pixels away, where the double sums of
      // the walk lose from a fraction of a pixel to many pixels.
      const int64_t reach = int64_t{1} << pick(0, 24);
      const int64_t dx = pick(-reach, reach);
      const int64_t dy = pick(-reach, reach);
      const int64_t longest = std::max<int64_t>({std::llabs(dx), std::llabs(dy), 1});
      const int64_t a = (int64_t{1} << pick(20, 58)) / longest;
      const int64_t b = (int64_t{1} << pick(0, 58)) / longest;
      x1 = px - a * dx;
      y1 = py - a * dy;
      x2 = px + b * dx;
      y2 = py + b * dy;
    }
    const PixelSet expected = Reference(size[0], size[1], x1, y1, x2, y2);
    ASSERT_EQ(Drawn(size[0], size[1], x1, y1, x2, y2), expected)
        << "line " << x1 << "," << y1 << " - " << x2 << "," << y2 << " on " << size[0] << "x"
        << size[1];
    ASSERT_EQ(Drawn(size[0], size[1], x1, y1, x2, y2, true), expected);
  }
}

// Every slope dy / dx up to 100 steps, in all four directions and both
// orientations: the exact halves and the halves the float slope moves.
TEST(DrawRasterLine, MatchesTheFullWalkOnEverySmallSlope) {
  for (int64_t dx = 1; dx <= 100; ++dx) {
    for (int64_t dy = 0; dy <= dx; ++dy) {
      const int64_t sx = (dx + dy) % 2 ? -1 : 1;
      const int64_t sy = dy % 3 ? 1 : -1;
      const int64_t x1 = sx > 0 ? 10 : 115;
      const int64_t y1 = sy > 0 ? 12 : 113;
      ASSERT_EQ(Drawn(128, 128, x1, y1, x1 + sx * dx, y1 + sy * dy),
                Reference(128, 128, x1, y1, x1 + sx * dx, y1 + sy * dy))
          << dx << " " << dy;
      ASSERT_EQ(Drawn(128, 128, y1, x1, y1 + sy * dy, x1 + sx * dx),
                Reference(128, 128, y1, x1, y1 + sy * dy, x1 + sx * dx))
          << dy << " " << dx;
    }
  }
}

// Long lines whose pixels all lie on a large surface exercise the whole walk
// of the integer formulation against the float definition.
TEST(DrawRasterLine, MatchesTheFullWalkOnLongLinesWithinTheSurface) {
  std::mt19937_64 rng(7);
  std::uniform_int_distribution<int64_t> coordinate(0, 2047);
  for (int n = 0; n < 400; ++n) {
    const int64_t x1 = coordinate(rng), y1 = coordinate(rng);
    const int64_t x2 = coordinate(rng), y2 = coordinate(rng);
    ASSERT_EQ(Drawn(2048, 2048, x1, y1, x2, y2), Reference(2048, 2048, x1, y1, x2, y2))
        << x1 << "," << y1 << " - " << x2 << "," << y2;
  }
}

}  // namespace
}  // namespace korvelin::render
