// The PDF file's frame: every object where the table says it starts, the
// table where the trailer says it is, and streams with their length.

#include <gtest/gtest.h>

#include <string>

#include "codec/PdfFile.h"

namespace korvelin::codec {
namespace {

TEST(PdfFile, TheTableFindsEveryObjectAndTheTrailerFindsTheTable) {
  PdfFile file("1.4", 0);
  file.Object("<< /Type /Catalog /Pages 2 0 R >>");
  file.Stream("/Filter /FlateDecode", std::string("a\0b", 3));
  file.Object("<< /Producer (test) >>");
  const std::string pdf = file.Finish(3);

  EXPECT_EQ(pdf.substr(0, 15), "%PDF-1.4\n%\xE2\xE3\xCF\xD3\n");
  EXPECT_NE(pdf.find("2 0 obj\n<< /Filter /FlateDecode /Length 3 >>\nstream\na" +
                     std::string(1, '\0') + "b\nendstream\nendobj\n"),
            std::string::npos);
  const size_t table = pdf.find("xref\n");
  ASSERT_NE(table, std::string::npos);
  EXPECT_EQ(pdf.substr(table, 29), "xref\n0 4\n0000000000 65535 f \n");
  for (int object = 1; object <= 3; ++object) {
    const std::string line = pdf.substr(table + 9 + 20 * object, 20);
    EXPECT_EQ(line.substr(10), " 00000 n \n") << line;
    const size_t offset = std::stoul(line.substr(0, 10));
    EXPECT_EQ(pdf.substr(offset, 8), std::to_string(object) + " 0 obj\n") << object;
  }
  const std::string trailer = "trailer\n<< /Size 4 /Root 1 0 R /Info 3 0 R >>\nstartxref\n" +
                              std::to_string(table) + "\n%%EOF\n";
  EXPECT_EQ(pdf.substr(pdf.size() - trailer.size()), trailer);
}

}  // namespace
}  // namespace korvelin::codec
