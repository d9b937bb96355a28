#include "platform/LargeImage.h"

#include "render/LargeBlock.h"

namespace korvelin::platform {

QImage NewLargeImage(int width, int height, QImage::Format format) {
  if (width <= 0 || height <= 0) return QImage();
  const int depth = format == QImage::Format_Indexed8 ? 1 : 4;
  // Rows of whole 32-bit words, as QImage wants them.
  const qsizetype row = (qsizetype{width} * depth + 3) & ~qsizetype{3};
  auto* block = new render::LargeBlock(static_cast<size_t>(row) * static_cast<size_t>(height));
  return QImage(
      block->data(), width, height, row, format,
      [](void* owner) { delete static_cast<render::LargeBlock*>(owner); }, block);
}

}  // namespace korvelin::platform
