#pragma once
// The pixels a test drew into a raster surface, as a set of drawing
// coordinates (y downwards), so that lines compare as sets.

#include <cstdint>
#include <set>
#include <utility>

#include "render/RasterImage.h"

namespace korvelin::render {

using Pixel = std::pair<int64_t, int64_t>;
using PixelSet = std::set<Pixel>;

// Every pixel of the surface that differs from the background.
inline PixelSet SetPixels(const RasterImage& image) {
  PixelSet out;
  const int64_t w = image.Width();
  const int64_t h = image.Height();
  const uint8_t* pixels = image.Pixels();
  for (int64_t offset = 0; offset < w * h; ++offset) {
    if (pixels[offset] != 0) out.insert({offset % w, h - 1 - offset / w});
  }
  return out;
}

}  // namespace korvelin::render
