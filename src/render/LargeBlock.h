#pragma once
// Zeroed memory for the large pictures of a redraw (the raster surface, the
// window's picture, its palette copy), taken straight from the system on
// 2 MiB pages where the system offers them: a 1920 x 1080 picture then
// costs 4 page faults instead of 2,025, and its zeroing is the kernel's.
// Blocks below 1 MiB come from ordinary pages. What lives in a block is
// its owner's business.

#include <cstddef>
#include <cstdint>

namespace korvelin::render {

class LargeBlock {
 public:
  LargeBlock() = default;
  // `bytes` zeroed bytes; throws std::bad_alloc when the system has none.
  explicit LargeBlock(size_t bytes);
  ~LargeBlock();
  LargeBlock(LargeBlock&& other) noexcept;
  LargeBlock& operator=(LargeBlock&& other) noexcept;
  LargeBlock(const LargeBlock&) = delete;
  LargeBlock& operator=(const LargeBlock&) = delete;

  uint8_t* data() { return data_; }
  const uint8_t* data() const { return data_; }
  size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }

 private:
  void Release();

  void* mapping_ = nullptr;
  size_t mapped_ = 0;
  uint8_t* data_ = nullptr;
  size_t size_ = 0;
};

}  // namespace korvelin::render
