#pragma once
// The syntax of Igor Text files that other programs save with waves but no
// graph commands: quoted names, WAVES flags with their dimensions, the
// tokens of X command lines and the x scale of a SetScale command. The line
// sink (SavedWaves) reads a file through these; what fits the document is
// the plan's business (SavedWavesPlan).

#include <array>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <string>
#include <string_view>

#include "document/TextNumbers.h"

namespace korvelin::document::saved {

// A 2-D wave of up to this many columns is drawn column by column; a wider
// one (a detector image of 1,500 columns) as the sum over each of its rows.
inline constexpr int64_t kMaxColumnTraces = 16;

// SetScale lines name waves in full, so names are kept beyond the
// document's 16 characters; past this length (more than the format allows)
// they are cut, so that a freak line cannot hold memory.
inline constexpr size_t kMaxNameBytes = 255;

inline constexpr double kNoNumber = std::numeric_limits<double>::quiet_NaN();

inline constexpr char kOutOfMemoryReason[] = "Out of memory";

inline bool IsAsciiLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

// 'TS1_rough1_026' is the name TS1_rough1_026; an unclosed quote loses only
// its opening mark.
std::string_view Unquote(std::string_view token);

// The key under which a name is found: upper-cased as FindWave compares.
std::string NameKey(std::string_view name);

// The tokens of the commands on an X line, and the names of a WAVES line:
// the reader's token rule, except that a "..." string or a '...' name is one
// token with its quotes, since either may hold spaces and commas, and that
// ';' ends a command. Next() answers the empty text at a command's end.
class CommandTokens {
 public:
  explicit CommandTokens(std::string_view text)
      : p_(text.data()), end_(text.data() + text.size()) {}

  std::string_view Next() {
    while (p_ < end_ && IsDelimiter(*p_)) ++p_;
    const char* start = p_;
    if (p_ == end_ || *p_ == ';') return {};
    if (*p_ == '"' || *p_ == '\'') {
      const char quote = *p_++;
      // A string may escape its quote as \"; a name has no escapes.
      while (p_ < end_ && *p_ != quote)
        p_ += (quote == '"' && *p_ == '\\' && end_ - p_ > 1) ? 2 : 1;
      if (p_ < end_) ++p_;
    } else {
      while (p_ < end_ && !IsDelimiter(*p_) && *p_ != ';' && *p_ != '"' && *p_ != '\'') ++p_;
    }
    return std::string_view(start, static_cast<size_t>(p_ - start));
  }

  // Passes over the rest of the command and its ';'; false at the line's end.
  bool NextCommand() {
    while (!Next().empty()) {
    }
    if (p_ == end_) return false;
    ++p_;
    return true;
  }

 private:
  const char* p_;
  const char* end_;
};

// What the flags of a WAVES line say: /T text, /C complex, /N=(d1,d2,...)
// the sizes of the dimensions. /D, /S, /O and the others change nothing here.
struct Declaration {
  bool text = false;
  bool complex = false;
  int dimensions = 1;
  int64_t columns = 0;  // d2 of a 2-D wave
};

// /N=(600,501) has two dimensions and 501 columns; /N=(5,0,0) and /N=5 one
// dimension: sizes of 0 at the end name dimensions that are not used.
void ReadSizes(std::string_view sizes, Declaration& decl);

// Reads the flags that follow the word WAVES, as in "/D/N=(4,3) finecut",
// and returns the text after them: the wave names.
std::string_view ReadFlags(std::string_view text, Declaration& decl);

// How a wave's x values follow from its SetScale x command: with /P, a is
// the first value and b the step; with /I, a and b are the first and the
// last value; with neither, b is the value one step past the last point.
struct XScale {
  bool given = false;
  char mode = 0;  // 'P', 'I' or 0
  double a = 0;
  double b = 0;
};

// One numeric wave of the file and where its rows lie in the value buffer.
struct SavedWave {
  std::string name;     // as written, unquoted, at most kMaxNameBytes
  int32_t first = 0;    // buffer index of point 0 (of column 0 in 2-D)
  int32_t stride = 1;   // buffer distance from one row to the next
  int32_t count = 0;    // rows in the buffer
  int64_t rows = 0;     // rows in the file, also those past the value table's end
  int32_t columns = 0;  // a 2-D wave drawn column by column: its columns
  bool sums = false;    // a wider 2-D wave: the buffer holds its row sums
  XScale scale;
};

// x_i = start + i * step.
struct LinearX {
  double start = 0;
  double step = 1;
};

// The x values of a wave of n rows (n >= 1). A scale whose values would not
// all be finite numbers is passed over, and x is the point index.
LinearX ResolveScale(const XScale& scale, int32_t n);

}  // namespace korvelin::document::saved
