#pragma once
// The fonts of one PDF page. Each face the page's texts use is embedded as
// the subset of its glyphs that they show, cut by HarfBuzz's subsetter from
// the face the toolkit measured the numbers with, so the page looks the
// same on every reader and passes checks that want every font embedded. A
// text is written as the face's glyph numbers, and a map from glyphs back
// to characters keeps the numbers selectable and searchable. A face that
// cannot be embedded (a bitmap face, or one the subsetter refuses) falls
// back to the standard PDF font of its kind. Writing the objects into the
// file is the caller's.

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "render/Canvas.h"

namespace korvelin::platform {

// One object of the file: its dictionary, and for a stream its data as it
// is; the file compresses every stream and adds its filter and length.
struct PdfObject {
  std::string dictionary;
  bool is_stream = false;
  std::string data;
};

class PdfFonts {
 public:
  PdfFonts();
  ~PdfFonts();
  PdfFonts(const PdfFonts&) = delete;
  PdfFonts& operator=(const PdfFonts&) = delete;

  // The index of font among the page's fonts, added when new; size, the
  // only part of a FontSpec a PDF gives with each text, does not count.
  size_t Use(const render::FontSpec& font);

  // Appends the string that shows text in font index, for the Tj operator:
  // glyph numbers in hexadecimal for an embedded face, the characters for a
  // standard font. Each byte of text is a Latin-1 character.
  void AppendShown(size_t index, std::string_view text, std::string& content);

  size_t Count() const;

  // Whether a face of compact outlines is embedded, which the PDF version
  // 1.6 introduced.
  bool NeedsVersion16() const;

  // The objects of font index, numbered from first_number on; the first is
  // the font the page's resources name. Same page, same bytes.
  std::vector<PdfObject> Objects(size_t index, int first_number) const;

 private:
  struct Face;
  std::vector<std::unique_ptr<Face>> faces_;
};

// The PDF name of the standard font that stands in for font: Times for
// Times New Roman and other serif faces, Helvetica for Arial and other sans
// faces, Courier for fixed-pitch ones, in the font's weight and slant.
std::string StandardFontName(const render::FontSpec& font);

}  // namespace korvelin::platform
