// Names in messages: shown as they are, or quoted as the shell's printf %q
// quotes them when they hold a control character.

#include <gtest/gtest.h>

#include "document/QuotedName.h"

namespace korvelin::document {
namespace {

TEST(QuoteName, QuotesOnlyNamesWithControlCharactersAsTheShellDoes) {
  struct Case {
    std::string name;
    std::string shown;
  };
  // The right-hand sides are what bash's printf %q prints in a UTF-8 locale.
  const Case cases[] = {
      {"plain name.pat", "plain name.pat"},
      {"caf\xc3\xa9 'x'\\.pat", "caf\xc3\xa9 'x'\\.pat"},
      {"o\xff\xfe.png", "o\xff\xfe.png"},  // not UTF-8, yet no control character
      {"gone\nkorvelin: fake.pat: forged", "$'gone\\nkorvelin: fake.pat: forged'"},
      {"a\tb c", "$'a\\tb c'"},
      {"\a\b\f\v\r", "$'\\a\\b\\f\\v\\r'"},
      {"\x1b[31mred", "$'\\E[31mred'"},
      {"x\x01y\x7f", "$'x\\001y\\177'"},
      {"q's\\\n", "$'q\\'s\\\\\\n'"},
      {"caf\xc3\xa9\n", "$'caf\xc3\xa9\\n'"},
      {"\xff\n", "$'\\377\\n'"},
      {"\xc2\x9bx", "$'\\302\\233x'"},  // C1 control, the one-byte CSI
      {std::string("nul\0x", 5), "$'nul\\000x'"},
  };
  for (const Case& c : cases) EXPECT_EQ(QuoteName(c.name), c.shown) << c.shown;
}

}  // namespace
}  // namespace korvelin::document
