#include "render/LargeBlock.h"

#include <sys/mman.h>

#include <new>
#include <utility>

namespace korvelin::render {
namespace {

constexpr size_t kHugePage = size_t{2} << 20;
constexpr size_t kSmall = size_t{1} << 20;

}  // namespace

LargeBlock::LargeBlock(size_t bytes) {
  if (bytes == 0) return;
  // Large blocks get a mapping one huge page longer, so that their start
  // can lie on a huge-page boundary.
  const bool large = bytes >= kSmall;
  mapped_ = large ? bytes + kHugePage : bytes;
  mapping_ = mmap(nullptr, mapped_, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (mapping_ == MAP_FAILED) {
    mapping_ = nullptr;
    throw std::bad_alloc();
  }
  auto start = reinterpret_cast<uintptr_t>(mapping_);
  if (large) {
    start = (start + kHugePage - 1) & ~(kHugePage - 1);
    madvise(reinterpret_cast<void*>(start), bytes, MADV_HUGEPAGE);
  }
  data_ = reinterpret_cast<uint8_t*>(start);
  size_ = bytes;
}

LargeBlock::~LargeBlock() { Release(); }

LargeBlock::LargeBlock(LargeBlock&& other) noexcept { *this = std::move(other); }

LargeBlock& LargeBlock::operator=(LargeBlock&& other) noexcept {
  if (this != &other) {
    Release();
    std::swap(mapping_, other.mapping_);
    std::swap(mapped_, other.mapped_);
    std::swap(data_, other.data_);
    std::swap(size_, other.size_);
  }
  return *this;
}

void LargeBlock::Release() {
  if (mapping_ != nullptr) munmap(mapping_, mapped_);
  mapping_ = nullptr;
  mapped_ = 0;
  data_ = nullptr;
  size_ = 0;
}

}  // namespace korvelin::render
