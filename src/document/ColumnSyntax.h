#pragma once
// The syntax of plain column files: which lines are comments, how a row's
// numbers are separated, which decimal sign a file writes (found from its
// own rows, never from the locale), the names a header row gives, and
// UTF-16 text turned into the bytes the line feeder reads. Which rows are
// the data, and what of them fits the document, is the reader's business
// (ColumnFiles).

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "document/LineFeeder.h"

namespace korvelin::document::columns {

// A row keeps its first column as x and up to 16 further columns, as many
// as a saved file's 2-D wave draws.
inline constexpr int32_t kMaxKeptColumns = 17;

// A line that starts with #, !, %, ;, ' or // (after blanks).
bool IsCommentLine(std::string_view line);

// Nothing but blanks (spaces, tabs, NULs and other control characters).
bool IsBlankLine(std::string_view line);

// The numbers of one line read with the given decimal sign ('.' or ','):
// fields are separated by spaces and tabs, by ';', and by ',' where the
// decimal sign is '.'. An empty field between two separators, nan and inf
// are gaps (NaN); empty fields at the line's end are nothing. Returns the
// count of fields when every field is a number, -1 otherwise; the first
// `capacity` values are written to values.
int32_t ReadRow(std::string_view line, char decimal, double* values, int32_t capacity);

// Whether a row, read with a decimal comma, holds a number with a comma
// between digits ("0,25"): the mark of a file that writes decimal commas.
bool HasDecimalComma(std::string_view line);

// The decimal sign of a file from a sample of its first lines: the comma
// when more lines read as rows with it, or as many and some number has a
// comma between digits ("1,5;2,5" or "1,5<TAB>2,5"); otherwise the point.
char FindDecimalSign(const std::vector<std::string>& lines);

// The names a header line gives, its comment mark taken off: split at the
// row separators where it holds one (so "Intensity (counts)" stays whole),
// else at blanks; quotes around a name are dropped.
std::vector<std::string_view> HeaderNames(std::string_view line, char decimal);

// A name within the document's rules: the reader's delimiters (blanks,
// control characters, ( ) , = { }) become '_', bytes that are not UTF-8
// (Latin-1 headers) become '_', and it is cut to 16 bytes at a character's
// boundary. May be empty.
std::string CleanName(std::string_view name);

// Names such as err, esd, sigma, e or dy (and yerr, sigma(I), esd_1) mark
// a column of uncertainties; names that merely start with e or d (energy,
// d-spacing) do not.
bool IsUncertaintyName(std::string_view name);

// The byte-order mark a text starts with.
enum class Encoding { Bytes, Utf8Bom, Utf16Le, Utf16Be };
Encoding FindEncoding(std::string_view head);
size_t MarkLength(Encoding encoding);

// Serves the bytes of a UTF-16 source as UTF-8, which keeps every line end
// and number as one byte; `already_read` holds raw bytes read before the
// source's next ones. A surrogate pair becomes '?', which only names use.
class Utf16ByteSource : public ByteSource {
 public:
  Utf16ByteSource(ByteSource& raw, bool big_endian, std::string_view already_read)
      : raw_(raw), big_endian_(big_endian), pending_(already_read) {}
  ptrdiff_t Read(char* buffer, size_t size, int& error) override;
  void WaitReadable() override { raw_.WaitReadable(); }

 private:
  ByteSource& raw_;
  bool big_endian_;
  std::string pending_;  // raw bytes not yet converted: the head, or an odd byte
  std::string text_;     // converted bytes, served from `served_` on
  size_t served_ = 0;
  std::vector<char> raw_buffer_;
};

}  // namespace korvelin::document::columns
