#pragma once
// The graph document: every wave, value and trace of the loaded pattern file,
// the axis range with its undo history, and the display settings the plots
// read. One instance is owned by the program and passed by reference; the
// reader fills it, the window and the dialog edit it, the renderers only read.

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace korvelin::document {

constexpr int kMaxWaves = 256;
constexpr int kMaxTraces = 256;
constexpr int kHistorySlots = 16;
constexpr int kNameLength = 16;
constexpr int kPageShift = 12;
constexpr int kPageSize = 1 << kPageShift;  // 4096 doubles, 32,768 bytes
constexpr int kPageCount = 256;
constexpr int kMaxValues = kPageSize * kPageCount;  // 1,048,576

// One named column of numbers with the attributes its traces are drawn with.
// Point i lives at ValueStore index first + i * stride.
struct TWave {
  char name[kNameLength] = {};  // NUL-terminated unless all 16 bytes are used
  int32_t first = 0;
  int32_t stride = 0;
  int32_t count = 0;
  double lsize = 1.0;
  int32_t marker = 0;
  int32_t mode = 0;
  double mrkThick = 1.0;
  int32_t msize = 0;
  double offsetx = 0.0;
  double offsety = 0.0;
  uint32_t rgb = 0;  // 0x00RRGGBB; bits 24..31 are ignored by every reader
  // Whether the file gave the colour: black and "no colour" are both rgb 0,
  // and a file added to a plot gets a colour of its own only for the latter.
  bool rgb_given = false;
};

// A y wave drawn against an x wave; -1 names no wave and draws nothing.
struct TTrace {
  int32_t XWave = -1;
  int32_t YWave = -1;
};

// A rectangle in data units. AxisRange (0, 10, 10, 0) shows x from 0 at the
// left edge to 10 at the right, and y from 0 at the bottom to 10 at the top.
struct TRealRect {
  double Left = 0;
  double Top = 0;
  double Right = 0;
  double Bottom = 0;
  bool operator==(const TRealRect&) const = default;
};

// A rectangle of whole pixels, right and bottom exclusive.
struct PixelRect {
  int32_t Left = 0;
  int32_t Top = 0;
  int32_t Right = 0;
  int32_t Bottom = 0;
  bool operator==(const PixelRect&) const = default;
};

struct PixelSize {
  int32_t Width = 0;
  int32_t Height = 0;
  bool operator==(const PixelSize&) const = default;
};

// Paged store of doubles: 256 pages of 4096, a page allocated on its first
// write and never cleared, so only indices below ValueCount mean anything.
//
// The pages live in one address range reserved on the first write, so a
// page costs no allocator call and the kernel can back a full store with a
// few large pages; FreeValueStore empties the page table and keeps the
// range's memory for the next load, and the document's end gives it back.
struct ValueStore {
  std::array<double*, kPageCount> pages{};
  int32_t allocated_pages = 0;
  void* reservation = nullptr;

  ValueStore() = default;
  ValueStore(const ValueStore&) = delete;
  ValueStore& operator=(const ValueStore&) = delete;
  ~ValueStore();
};

// Settings edited in the Modify Graph dialog; the initialisers are the
// defaults the main window sets at start-up.
struct DisplaySettings {
  bool ScaleOn = true;
  int32_t TickX = 4;
  int32_t TickY = 4;
  int32_t DistanceX = 4;
  int32_t DistanceY = 4;
  bool MarginOn = false;
  PixelRect Margin{8, 8, 8, 8};
  int32_t MetafileWidth = 29700;  // hundredths of a millimetre
  int32_t MetafileHeight = 21000;
  bool ColorOn = true;
  bool operator==(const DisplaySettings&) const = default;
};

// How the y axis shows intensities: as they are, as their square roots, as
// their decimal logarithms. The user's choice for viewing, kept from file
// to file; no file sets it.
enum class IntensityScale : uint8_t { Linear, SquareRoot, Logarithmic };

// What the user chose for viewing beyond the display settings: the
// intensity scale, and the wavelength in angstrom (0 for none) with which
// the readout turns x, read as 2-theta in degrees, into d-spacing and Q.
struct ViewOptions {
  IntensityScale YScale = IntensityScale::Linear;
  double Wavelength = 0;
  // Whether a plot of several files names them in a legend.
  bool Legend = true;
  bool operator==(const ViewOptions&) const = default;
};

constexpr TRealRect kDefaultAxisRange{0, 10, 10, 0};
constexpr PixelRect kDefaultPlotRect{0, 0, 128, 128};

constexpr std::array<TRealRect, kHistorySlots> FilledHistory(TRealRect range) {
  std::array<TRealRect, kHistorySlots> filled{};
  for (TRealRect& slot : filled) slot = range;
  return filled;
}

// One file of a plot that shows several: its name as the legend gives it
// and the traces it brought, which follow one another in the trace table.
struct PlotFile {
  std::string Name;
  int32_t FirstTrace = 0;
  int32_t TraceCount = 0;
  // The waves an add appended, one after another from FirstWave, as the add
  // left them: a reload tells the styles set in the dialog from the file's
  // own by them. Empty for the shown file.
  int32_t FirstWave = 0;
  std::vector<TWave> AsAdded{};
};

struct GraphDocument {
  ValueStore Values;
  int32_t ValueCount = 0;
  std::array<TWave, kMaxWaves> Waves{};
  int32_t WaveCount = 0;
  std::array<TTrace, kMaxTraces> Traces{};
  int32_t TraceCount = 0;
  bool InBlock = false;
  // Reader state beside InBlock: the first wave of the latest WAVES line that
  // declared any, and whether the latest WAVES line did. A line that declares
  // nothing (no names, or no room left) makes its block's data lines ignored.
  int32_t BlockFirstWave = 0;
  bool BlockDeclared = false;
  TRealRect AxisRange = kDefaultAxisRange;
  std::array<TRealRect, kHistorySlots> AxisHistory = FilledHistory(kDefaultAxisRange);
  PixelRect PlotRect = kDefaultPlotRect;
  PixelSize ClientSize{};
  DisplaySettings Settings{};
  ViewOptions View{};
  // The files of a plot that shows more than one, the shown file first;
  // empty while the plot shows a single file. How many palette colours the
  // added files have taken, so that the next one takes the next.
  std::vector<PlotFile> Files;
  int32_t PaletteUsed = 0;
  // While the traces are stacked, each wave's y offset as the file gave it,
  // for Unstack; empty otherwise. The range before the stack and the range
  // the stack left, which differ when Stack grew the range to show it.
  std::vector<double> UnstackedOffsets;
  TRealRect UnstackedRange{};
  TRealRect StackedRange{};
};

void InitValueStore(ValueStore& store);
void FreeValueStore(ValueStore& store);

double* AllocatePage(ValueStore& store, int32_t page);

// Takes every page of the store and returns the first: the store's values
// as one array of kMaxValues doubles, which a reader may fill before it
// knows how much it keeps. Memory is touched only where written.
double* TakeAllPages(ValueStore& store);

// Keeps the first `pages` pages of a store whose pages were all taken.
void KeepPages(ValueStore& store, int32_t pages);

// Exchanges the pages and their memory of two stores: a store filled
// aside becomes the document's without a copy.
void SwapValueStores(ValueStore& a, ValueStore& b);

// Allocates the page of index on first use. index must lie in 0 .. kMaxValues - 1.
inline void SetValue(ValueStore& store, int32_t index, double value) {
  const int32_t page = static_cast<int32_t>(static_cast<uint32_t>(index) >> kPageShift);
  double* values = store.pages[page];
  if (!values) values = AllocatePage(store, page);
  values[index & (kPageSize - 1)] = value;
}

// Reads a stored value: one shift, one mask, one load. Callers read only
// indices below ValueCount, whose pages exist.
inline double GetValue(const ValueStore& store, int32_t index) {
  return store.pages[static_cast<uint32_t>(index) >> kPageShift][index & (kPageSize - 1)];
}

// How many leading points of the wave have their value in the store. The
// reader never declares more, but a wave that did would otherwise read pages
// that do not exist; such a wave is drawn with only the points it has.
int64_t StoredPoints(const TWave& wave, int32_t value_count);

// The wave's name as stored: the bytes before the first NUL, at most 16.
std::string_view WaveName(const TWave& wave);
void SetWaveName(TWave& wave, std::string_view name);

// Case-insensitive (ASCII letters only) search for the whole name; the highest
// matching index wins, -1 when none matches or the name is empty.
int32_t FindWave(const GraphDocument& doc, std::string_view name);

// Empties the waves, values, traces and the list of files; the axis range,
// history and settings stay.
void ResetDocument(GraphDocument& doc);

// Every display setting, the plot rectangle, the axis range and its history
// back to their start-up values.
void SetDefaults(GraphDocument& doc);

constexpr TRealRect RealRect(double left, double top, double right, double bottom) {
  return TRealRect{left, top, right, bottom};
}

inline void ExchangeReals(double& a, double& b) {
  double t = a;
  a = b;
  b = t;
}

// 16-bit colour components to 0x00RRGGBB: PackRgb16(65535, 32768, 255) is 0xFF8000.
constexpr uint32_t PackRgb16(int32_t red, int32_t green, int32_t blue) {
  return ((static_cast<uint32_t>(red) >> 8 & 0xFF) << 16) |
         ((static_cast<uint32_t>(green) >> 8 & 0xFF) << 8) |
         (static_cast<uint32_t>(blue) >> 8 & 0xFF);
}

// 0x00RRGGBB to the platform colour value with red in the lowest byte:
// RgbToColorRef(0xFF8000) is 0x0080FF.
constexpr uint32_t RgbToColorRef(uint32_t rgb) {
  return ((rgb >> 16) & 0xFF) + (rgb & 0xFF00) + ((rgb & 0xFF) << 16);
}

}  // namespace korvelin::document
