#include "document/SavedWavesSyntax.h"

#include <algorithm>
#include <cmath>

namespace korvelin::document::saved {

std::string_view Unquote(std::string_view token) {
  if (token.empty() || (token[0] != '\'' && token[0] != '"')) return token;
  const char quote = token[0];
  token.remove_prefix(1);
  if (!token.empty() && token.back() == quote) token.remove_suffix(1);
  return token;
}

std::string NameKey(std::string_view name) {
  std::string key(name.substr(0, kMaxNameBytes));
  for (char& c : key) c = UpperAscii(c);
  return key;
}

void ReadSizes(std::string_view sizes, Declaration& decl) {
  std::array<int64_t, 4> size{};
  int given = 0;
  TokenCursor tokens(sizes);
  for (std::string_view token = tokens.Next(); !token.empty() && given < 4; token = tokens.Next()) {
    size[given++] = ToIntDef(token, 0);
  }
  while (given > 1 && size[given - 1] <= 0) --given;
  decl.dimensions = std::max(given, 1);
  decl.columns = size[1];
}

std::string_view ReadFlags(std::string_view text, Declaration& decl) {
  size_t i = 0;
  auto skip_blanks = [&] {
    while (i < text.size() && static_cast<unsigned char>(text[i]) <= 32) ++i;
  };
  for (;;) {
    skip_blanks();
    if (i >= text.size() || text[i] != '/') break;
    const size_t word = ++i;
    while (i < text.size() && IsAsciiLetter(text[i])) ++i;
    const std::string_view flag = text.substr(word, i - word);
    skip_blanks();
    std::string_view value;
    if (i < text.size() && text[i] == '=') {
      ++i;
      skip_blanks();
      const size_t start = i;
      if (i < text.size() && text[i] == '(') {
        const size_t close = text.find(')', i);
        i = close == std::string_view::npos ? text.size() : close + 1;
        value = text.substr(start + 1, (close == std::string_view::npos ? i : close) - start - 1);
      } else {
        while (i < text.size() && !IsDelimiter(text[i]) && text[i] != '/') ++i;
        value = text.substr(start, i - start);
      }
    }
    if (IsKeyword(flag, "T")) {
      decl.text = true;
    } else if (IsKeyword(flag, "C")) {
      decl.complex = true;
    } else if (IsKeyword(flag, "N")) {
      ReadSizes(value, decl);
    }
  }
  return text.substr(i);
}

LinearX ResolveScale(const XScale& scale, int32_t n) {
  if (!scale.given) return {};
  double step;
  if (scale.mode == 'P') {
    step = scale.b;
  } else if (scale.mode == 'I') {
    step = n > 1 ? (scale.b - scale.a) / (n - 1) : 0.0;
  } else {
    step = (scale.b - scale.a) / n;
  }
  const double span = step * (n - 1);
  if (!std::isfinite(step) || !std::isfinite(span) || !std::isfinite(scale.a + span)) return {};
  return {scale.a, step};
}

}  // namespace korvelin::document::saved
