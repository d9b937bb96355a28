#include "platform/PdfFonts.h"

#include <hb-ot.h>
#include <hb-subset.h>
#include <hb.h>

#include <QByteArray>
#include <QRawFont>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <map>
#include <memory>
#include <string>

#include "platform/QtFont.h"

namespace korvelin::platform {
namespace {

// The tables a reader draws an embedded face with: outlines (TrueType's or
// compact ones), metrics, the character map and the face's names. Hinting
// programs are left out (readers scale outlines smoothly), and so are the
// layout tables, which a page of single glyph numbers never consults.
constexpr const char* kTables[] = {"head", "hhea", "maxp", "hmtx", "cmap", "OS/2",
                                   "post", "name", "glyf", "loca", "CFF "};

constexpr hb_tag_t Tag(const char* name) { return HB_TAG(name[0], name[1], name[2], name[3]); }

bool HasTable(hb_face_t* face, const char* name) {
  hb_blob_t* blob = hb_face_reference_table(face, Tag(name));
  const bool present = hb_blob_get_length(blob) > 0;
  hb_blob_destroy(blob);
  return present;
}

struct HbFaceDeleter {
  void operator()(hb_face_t* face) const { hb_face_destroy(face); }
};
struct HbFontDeleter {
  void operator()(hb_font_t* font) const { hb_font_destroy(font); }
};
using HbFace = std::unique_ptr<hb_face_t, HbFaceDeleter>;
using HbFont = std::unique_ptr<hb_font_t, HbFontDeleter>;

// The face the toolkit measures font with, as HarfBuzz reads it: its tables
// gathered into a font file of their own. Null when the toolkit has no
// outlines for it.
HbFace LoadFace(const render::FontSpec& font) {
  const QRawFont raw = QRawFont::fromFont(ToQFont(font));
  if (!raw.isValid()) return nullptr;
  HbFace builder(hb_face_builder_create());
  for (const char* name : kTables) {
    auto table = std::make_unique<QByteArray>(raw.fontTable(name));
    if (table->isEmpty()) continue;
    const char* data = table->constData();
    const auto size = static_cast<unsigned>(table->size());
    // The blob owns the table from here on.
    hb_blob_t* blob = hb_blob_create(data, size, HB_MEMORY_MODE_READONLY, table.release(),
                                     [](void* bytes) { delete static_cast<QByteArray*>(bytes); });
    hb_face_builder_add_table(builder.get(), Tag(name), blob);
    hb_blob_destroy(blob);
  }
  hb_blob_t* file = hb_face_reference_blob(builder.get());
  HbFace face(hb_face_create(file, 0));
  hb_blob_destroy(file);
  const bool outlines = HasTable(face.get(), "glyf") || HasTable(face.get(), "CFF ");
  if (!outlines || hb_face_get_glyph_count(face.get()) == 0) return nullptr;
  return face;
}

void AppendHex(std::string& out, uint32_t value, int digits) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  for (int shift = 4 * (digits - 1); shift >= 0; shift -= 4) out += kDigits[(value >> shift) & 15];
}

// PDF names take letters, digits and a few signs; a face's PostScript name
// has nothing else, a family name may have spaces.
std::string PdfName(std::string_view name) {
  std::string out;
  for (const char c : name) {
    if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
        c == '_' || c == '+' || c == '.') {
      out += c;
    }
  }
  return out.empty() ? std::string("Font") : out;
}

std::string PostScriptName(hb_face_t* face, const render::FontSpec& font) {
  char name[128] = {};
  unsigned size = sizeof name;
  hb_ot_name_get_utf8(face, HB_OT_NAME_ID_POSTSCRIPT_NAME, HB_LANGUAGE_INVALID, &size, name);
  return PdfName(size > 0 ? std::string_view(name, size) : std::string_view(font.name));
}

// The subset's tag, six capitals before the face's name: readers and checks
// know a subset by it. It is made from the glyphs, so the same page gives
// the same tag.
std::string SubsetTag(const std::string& name, const std::map<uint32_t, uint32_t>& glyphs) {
  uint64_t hash = 14695981039346656037u;
  const auto mix = [&](uint64_t value) {
    hash ^= value;
    hash *= 1099511628211u;
  };
  for (const char c : name) mix(static_cast<unsigned char>(c));
  for (const auto& [glyph, character] : glyphs) mix(glyph << 21 | character);
  std::string tag;
  for (int i = 0; i < 6; ++i, hash /= 26) tag += static_cast<char>('A' + hash % 26);
  return tag;
}

std::string Number(double value) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%.0f", std::round(value) + 0.0);
  return buffer;
}

// The map from glyph numbers back to characters, in blocks of at most 100
// as the format allows.
std::string ToUnicodeMap(const std::map<uint32_t, uint32_t>& glyphs) {
  std::string map =
      "/CIDInit /ProcSet findresource begin\n12 dict begin\nbegincmap\n"
      "/CIDSystemInfo << /Registry (Adobe) /Ordering (UCS) /Supplement 0 >> def\n"
      "/CMapName /Adobe-Identity-UCS def\n/CMapType 2 def\n"
      "1 begincodespacerange\n<0000> <FFFF>\nendcodespacerange\n";
  auto glyph = glyphs.begin();
  while (glyph != glyphs.end()) {
    const size_t block =
        std::min<size_t>(100, static_cast<size_t>(std::distance(glyph, glyphs.end())));
    map += std::to_string(block) + " beginbfchar\n";
    for (size_t i = 0; i < block; ++i, ++glyph) {
      map += '<';
      AppendHex(map, glyph->first, 4);
      map += "> <";
      AppendHex(map, glyph->second, 4);
      map += ">\n";
    }
    map += "endbfchar\n";
  }
  map += "endcmap\nCMapName currentdict /CMapResource defineresource pop\nend\nend\n";
  return map;
}

// The glyphs of face that the page shows, without hinting. Glyph numbers
// stay those of the whole face, so a text's numbers name the subset's
// glyphs too and the map from numbers to glyphs is the identity. Null when
// the subsetter refuses the face.
HbFace Subset(hb_face_t* face, const std::map<uint32_t, uint32_t>& glyphs) {
  hb_subset_input_t* input = hb_subset_input_create_or_fail();
  if (input == nullptr) return nullptr;
  hb_set_t* glyph_set = hb_subset_input_glyph_set(input);
  hb_set_t* character_set = hb_subset_input_unicode_set(input);
  for (const auto& [glyph, character] : glyphs) {
    hb_set_add(glyph_set, glyph);
    hb_set_add(character_set, character);
  }
  hb_subset_input_set_flags(input, HB_SUBSET_FLAGS_RETAIN_GIDS | HB_SUBSET_FLAGS_NO_HINTING);
  HbFace subset(hb_subset_or_fail(face, input));
  hb_subset_input_destroy(input);
  return subset;
}

// The advance of each glyph the page shows, in thousandths of the em, as
// a CIDFont lists them: [glyph [width] glyph [width] ...].
std::string Widths(hb_font_t* font, const std::map<uint32_t, uint32_t>& glyphs, double per_unit) {
  std::string widths = "[";
  for (const auto& [glyph, character] : glyphs) {
    widths += std::to_string(glyph) + " [" +
              Number(hb_font_get_glyph_h_advance(font, glyph) * per_unit) + "] ";
  }
  return widths + "]";
}

// The box around every glyph the page shows, in thousandths of the em, y
// upwards: "left bottom right top".
std::string Box(hb_font_t* font, const std::map<uint32_t, uint32_t>& glyphs, double per_unit) {
  int box_left = 0, box_bottom = 0, box_right = 0, box_top = 0;
  bool first = true;
  for (const auto& [glyph, character] : glyphs) {
    hb_glyph_extents_t extents;
    if (!hb_font_get_glyph_extents(font, glyph, &extents)) continue;
    // Extents run from the top-left corner, y upwards, height negative.
    const int left = extents.x_bearing, right = extents.x_bearing + extents.width;
    const int top = extents.y_bearing, bottom = extents.y_bearing + extents.height;
    box_left = first ? left : std::min(box_left, left);
    box_bottom = first ? bottom : std::min(box_bottom, bottom);
    box_right = first ? right : std::max(box_right, right);
    box_top = first ? top : std::max(box_top, top);
    first = false;
  }
  return Number(box_left * per_unit) + " " + Number(box_bottom * per_unit) + " " +
         Number(box_right * per_unit) + " " + Number(box_top * per_unit);
}

// The standard font of the face's kind, which every reader has.
std::vector<PdfObject> StandardFont(const render::FontSpec& font) {
  return {{"<< /Type /Font /Subtype /Type1 /BaseFont /" + StandardFontName(font) +
               " /Encoding /WinAnsiEncoding >>",
           false,
           {}}};
}

}  // namespace

// A face of the page: its HarfBuzz face and the glyphs the page shows with
// the character each stands for, ordered by glyph so the file comes out the
// same every time. Without a face it is a standard font.
struct PdfFonts::Face {
  render::FontSpec key;
  HbFace face;
  HbFont font;
  std::map<uint32_t, uint32_t> glyphs;
};

PdfFonts::PdfFonts() = default;
PdfFonts::~PdfFonts() = default;

size_t PdfFonts::Use(const render::FontSpec& font) {
  render::FontSpec key = font;
  key.pixel_height = 0;
  for (size_t i = 0; i < faces_.size(); ++i) {
    if (faces_[i]->key == key) return i;
  }
  auto face = std::make_unique<Face>();
  face->key = key;
  face->face = LoadFace(font);
  if (face->face) face->font.reset(hb_font_create(face->face.get()));
  faces_.push_back(std::move(face));
  return faces_.size() - 1;
}

size_t PdfFonts::Count() const { return faces_.size(); }

void PdfFonts::AppendShown(size_t index, std::string_view text, std::string& content) {
  Face& face = *faces_.at(index);
  if (!face.face) {
    content += '(';
    for (const char c : text) {
      const auto byte = static_cast<unsigned char>(c);
      if (c == '(' || c == ')' || c == '\\') content += '\\';
      if (byte < 32) {
        content += '\\';
        content += static_cast<char>('0' + (byte >> 6));
        content += static_cast<char>('0' + ((byte >> 3) & 7));
        content += static_cast<char>('0' + (byte & 7));
      } else {
        content += c;
      }
    }
    content += ')';
    return;
  }
  // A character the face lacks shows its missing-glyph box, glyph 0, as
  // the window does; it has no character to map back to.
  content += '<';
  for (const char c : text) {
    const uint32_t character = static_cast<unsigned char>(c);
    hb_codepoint_t glyph = 0;
    if (!hb_font_get_nominal_glyph(face.font.get(), character, &glyph)) glyph = 0;
    if (glyph != 0) face.glyphs.emplace(glyph, character);
    AppendHex(content, glyph, 4);
  }
  content += '>';
}

bool PdfFonts::NeedsVersion16() const {
  return std::any_of(faces_.begin(), faces_.end(), [](const std::unique_ptr<Face>& face) {
    return face->face && !HasTable(face->face.get(), "glyf");
  });
}

std::vector<PdfObject> PdfFonts::Objects(size_t index, int first_number) const {
  const Face& face = *faces_.at(index);
  if (!face.face) return StandardFont(face.key);
  // Should the subsetter refuse the face, the whole face goes in: the
  // texts already name its glyphs.
  HbFace subset = Subset(face.face.get(), face.glyphs);
  const bool cut = subset != nullptr;
  if (!cut) subset.reset(hb_face_reference(face.face.get()));
  hb_blob_t* blob = hb_face_reference_blob(subset.get());
  unsigned length = 0;
  const char* data = hb_blob_get_data(blob, &length);
  std::string program(data, length);
  hb_blob_destroy(blob);

  hb_font_t* font = face.font.get();
  const double per_unit = 1000.0 / std::max(1u, hb_face_get_upem(face.face.get()));
  const std::string widths = Widths(font, face.glyphs, per_unit);
  const std::string box = Box(font, face.glyphs, per_unit);
  hb_position_t ascender = 0, descender = 0, cap_height = 0;
  hb_ot_metrics_get_position_with_fallback(font, HB_OT_METRICS_TAG_HORIZONTAL_ASCENDER, &ascender);
  hb_ot_metrics_get_position_with_fallback(font, HB_OT_METRICS_TAG_HORIZONTAL_DESCENDER,
                                           &descender);
  hb_ot_metrics_get_position_with_fallback(font, HB_OT_METRICS_TAG_CAP_HEIGHT, &cap_height);
  const float slant = hb_style_get_value(font, HB_STYLE_TAG_SLANT_ANGLE);

  const std::string face_name = PostScriptName(face.face.get(), face.key);
  const std::string name = cut ? SubsetTag(face_name, face.glyphs) + "+" + face_name : face_name;
  const bool true_type = HasTable(subset.get(), "glyf");
  const auto ref = [&](int offset) { return std::to_string(first_number + offset) + " 0 R"; };
  std::vector<PdfObject> objects;
  objects.push_back({"<< /Type /Font /Subtype /Type0 /BaseFont /" + name +
                         " /Encoding /Identity-H /DescendantFonts [" + ref(1) + "] /ToUnicode " +
                         ref(4) + " >>",
                     false,
                     {}});
  objects.push_back(
      {"<< /Type /Font /Subtype /" + std::string(true_type ? "CIDFontType2" : "CIDFontType0") +
           " /BaseFont /" + name +
           " /CIDSystemInfo << /Registry (Adobe) /Ordering (Identity) /Supplement 0 "
           ">> /FontDescriptor " +
           ref(2) + " /DW 1000 /W " + widths + (true_type ? " /CIDToGIDMap /Identity" : "") + " >>",
       false,
       {}});
  objects.push_back({"<< /Type /FontDescriptor /FontName /" + name + " /Flags " +
                         std::to_string(32 + (slant != 0 ? 64 : 0)) + " /FontBBox [" + box +
                         "] /ItalicAngle " + Number(slant) + " /Ascent " +
                         Number(ascender * per_unit) + " /Descent " + Number(descender * per_unit) +
                         " /CapHeight " + Number(cap_height * per_unit) + " /StemV " +
                         (face.key.bold ? "140" : "80") +
                         (true_type ? " /FontFile2 " : " /FontFile3 ") + ref(3) + " >>",
                     false,
                     {}});
  objects.push_back(
      {true_type ? "/Length1 " + std::to_string(program.size()) : std::string("/Subtype /OpenType"),
       true, std::move(program)});
  objects.push_back({"", true, ToUnicodeMap(face.glyphs)});
  return objects;
}

std::string StandardFontName(const render::FontSpec& font) {
  std::string face = font.name;
  std::transform(face.begin(), face.end(), face.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  const bool mono =
      face.find("courier") != std::string::npos || face.find("mono") != std::string::npos;
  const bool sans =
      !mono && (face.find("arial") != std::string::npos || face.find("sans") != std::string::npos ||
                face.find("helvetica") != std::string::npos);
  const std::string base = mono ? "Courier" : sans ? "Helvetica" : "Times";
  if (base == "Times") {
    return font.bold && font.italic ? "Times-BoldItalic"
           : font.bold              ? "Times-Bold"
           : font.italic            ? "Times-Italic"
                                    : "Times-Roman";
  }
  const char* slanted = font.italic ? "Oblique" : "";
  if (!font.bold && !font.italic) return base;
  return base + "-" + (font.bold ? "Bold" : "") + slanted;
}

}  // namespace korvelin::platform
