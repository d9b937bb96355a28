#pragma once
// The colours of a picture met so far and their palette indices, in the
// order they first occur: a small open hash, because a 1920 x 1080 picture
// is two million lookups, nearly all of them white.

#include <QImage>
#include <QList>
#include <QRgb>
#include <array>
#include <bit>
#include <cstddef>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace korvelin::platform {

class ColourIndex {
 public:
  // The index of colour, adding it when new; -1 once a 257th colour shows up.
  int Find(QRgb colour) {
    size_t slot = (colour * 2654435761u) >> 23 & (kSlots - 1);
    while (used_[slot]) {
      if (colours_[slot] == colour) return indices_[slot];
      slot = (slot + 1) & (kSlots - 1);
    }
    if (table_.size() == 256) return -1;
    used_[slot] = true;
    colours_[slot] = colour;
    indices_[slot] = static_cast<int>(table_.size());
    table_.push_back(colour);
    return indices_[slot];
  }
  const QList<QRgb>& Table() const { return table_; }

 private:
  static constexpr size_t kSlots = 512;  // never more than half full
  std::array<bool, kSlots> used_{};
  std::array<QRgb, kSlots> colours_{};
  std::array<int, kSlots> indices_{};
  QList<QRgb> table_;
};

// The first pixel from x on (x itself when it differs) that is not colour,
// or width; four pixels are compared at a time where the processor can.
inline int RunEnd(const QRgb* row, int x, int width, QRgb colour) {
#if defined(__SSE2__)
  const __m128i same = _mm_set1_epi32(static_cast<int>(colour));
  for (; x + 4 <= width; x += 4) {
    const __m128i pixels = _mm_loadu_si128(reinterpret_cast<const __m128i*>(row + x));
    const int equal = _mm_movemask_ps(_mm_castsi128_ps(_mm_cmpeq_epi32(pixels, same)));
    if (equal != 0xF) return x + std::countr_one(static_cast<unsigned>(equal));
  }
#endif
  while (x < width && row[x] == colour) ++x;
  return x;
}

// Walks a 32-bit picture row by row in runs of one colour, calling
// run(y, x, length, palette_index) for each; false as soon as a 257th
// colour shows up. Runs are the rule (a white row of 1920 pixels is one),
// so each costs one lookup and a scan.
template <class Run>
bool ForEachColourRun(const QImage& rgb32, ColourIndex& index, Run&& run) {
  const int width = rgb32.width();
  for (int y = 0; y < rgb32.height(); ++y) {
    const QRgb* row = reinterpret_cast<const QRgb*>(rgb32.constScanLine(y));
    for (int x = 0; x < width;) {
      const QRgb colour = row[x];
      const int colour_index = index.Find(colour);
      if (colour_index < 0) return false;
      const int end = RunEnd(row, x + 1, width, colour);
      run(y, x, end - x, colour_index);
      x = end;
    }
  }
  return true;
}

}  // namespace korvelin::platform
