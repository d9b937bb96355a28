#include "document/GraphDocument.h"

#include <sys/mman.h>

#include <algorithm>
#include <cstring>
#include <new>
#include <utility>

#include "document/TextNumbers.h"

namespace korvelin::document {

namespace {
constexpr size_t kPageBytes = kPageSize * sizeof(double);
constexpr size_t kStoreBytes = kPageBytes * kPageCount;  // 8 MiB
constexpr size_t kHugePage = size_t{2} << 20;

double* AlignedStart(void* range) {
  const uintptr_t start = reinterpret_cast<uintptr_t>(range);
  return reinterpret_cast<double*>((start + kHugePage - 1) & ~(kHugePage - 1));
}

// Reserves the store's address range, aligned so that the kernel may use
// 2 MiB pages for it: a maximum file then faults 4 times instead of 2048.
double* ReserveStore(ValueStore& store) {
  if (!store.reservation) {
    void* range = mmap(nullptr, kStoreBytes + kHugePage, PROT_READ | PROT_WRITE,
                       MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (range == MAP_FAILED) throw std::bad_alloc();
    store.reservation = range;
    madvise(AlignedStart(range), kStoreBytes, MADV_HUGEPAGE);
  }
  return AlignedStart(store.reservation);
}
}  // namespace

ValueStore::~ValueStore() {
  if (reservation) munmap(reservation, kStoreBytes + kHugePage);
}

void InitValueStore(ValueStore& store) { FreeValueStore(store); }

void FreeValueStore(ValueStore& store) {
  // The pages go back to the store's own range, which keeps its memory
  // (8 MiB at most) until the document goes: the next load writes over it
  // instead of faulting in and zeroing fresh pages, which a series of files
  // would pay for every file. A page read before it is written again holds
  // an old value, and nothing reads it: only indices below ValueCount count.
  store.pages.fill(nullptr);
  store.allocated_pages = 0;
}

double* AllocatePage(ValueStore& store, int32_t page) {
  double* base = ReserveStore(store);
  store.pages[page] = base + size_t(page) * kPageSize;
  ++store.allocated_pages;
  return store.pages[page];
}

double* TakeAllPages(ValueStore& store) {
  double* base = ReserveStore(store);
  for (int32_t page = 0; page < kPageCount; ++page) {
    store.pages[page] = base + size_t(page) * kPageSize;
  }
  store.allocated_pages = kPageCount;
  return base;
}

void KeepPages(ValueStore& store, int32_t pages) {
  std::fill(store.pages.begin() + std::clamp(pages, 0, kPageCount), store.pages.end(), nullptr);
  store.allocated_pages = std::clamp(pages, 0, kPageCount);
}

void SwapValueStores(ValueStore& a, ValueStore& b) {
  std::swap(a.pages, b.pages);
  std::swap(a.allocated_pages, b.allocated_pages);
  std::swap(a.reservation, b.reservation);
}

std::string_view WaveName(const TWave& wave) {
  const void* nul = std::memchr(wave.name, 0, kNameLength);
  size_t length = nul ? static_cast<const char*>(nul) - wave.name : kNameLength;
  return std::string_view(wave.name, length);
}

void SetWaveName(TWave& wave, std::string_view name) {
  std::memset(wave.name, 0, kNameLength);
  std::memcpy(wave.name, name.data(), std::min<size_t>(name.size(), kNameLength));
}

namespace {
bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (UpperAscii(a[i]) != UpperAscii(b[i])) return false;
  }
  return true;
}
}  // namespace

int32_t FindWave(const GraphDocument& doc, std::string_view name) {
  int32_t result = -1;
  if (name.empty() || name.size() > kNameLength) return result;
  for (int32_t i = 0; i < doc.WaveCount; ++i) {
    if (EqualsIgnoringAsciiCase(WaveName(doc.Waves[i]), name)) result = i;
  }
  return result;
}

int64_t StoredPoints(const TWave& wave, int32_t value_count) {
  const int64_t first = wave.first;
  if (first < 0 || first >= value_count || wave.count <= 0) return 0;
  if (wave.stride == 0) return wave.count;
  const int64_t room = wave.stride > 0 ? value_count - 1 - first : first;
  const int64_t stride = wave.stride > 0 ? wave.stride : -int64_t{wave.stride};
  return std::min<int64_t>(wave.count, room / stride + 1);
}

void ResetDocument(GraphDocument& doc) {
  doc.ValueCount = 0;
  doc.WaveCount = 0;
  doc.TraceCount = 0;
  doc.InBlock = false;
  doc.BlockFirstWave = 0;
  doc.BlockDeclared = false;
  doc.Files.clear();
  doc.PaletteUsed = 0;
  doc.UnstackedOffsets.clear();
}

void SetDefaults(GraphDocument& doc) {
  doc.Settings = DisplaySettings{};
  doc.PlotRect = kDefaultPlotRect;
  doc.AxisRange = kDefaultAxisRange;
  doc.AxisHistory = FilledHistory(doc.AxisRange);
}

}  // namespace korvelin::document
