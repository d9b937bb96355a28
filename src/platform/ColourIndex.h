#pragma once
// The colours of a picture met so far and their palette indices, in the
// order they first occur: a small open hash, because a 1920 x 1080 picture
// is two million lookups, nearly all of them white.

#include <QList>
#include <QRgb>
#include <array>
#include <cstddef>

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

}  // namespace korvelin::platform
