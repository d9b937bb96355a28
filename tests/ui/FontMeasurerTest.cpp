#include <gtest/gtest.h>

#include <QLabel>
#include <QWidget>

#include "platform/FontMeasurer.h"
#include "platform/QtFont.h"

namespace korvelin::platform {
namespace {

// The window measures with FontMeasurer where it once asked its label: the
// two must agree on every text the plot measures, in every font a user can
// choose, or the layout of a picture would depend on how it was made.
TEST(FontMeasurer, MeasuresAsTheWindowsLabelDoes) {
  QWidget window;
  QLabel label(&window);
  label.setTextFormat(Qt::PlainText);
  FontMeasurer measurer;
  int compared = 0;
  for (const char* face : {"Times New Roman", "Arial", "DejaVu Sans", "Liberation Mono"}) {
    for (int pixels : {1, 7, 12, 16, 23, 40, 97, 300}) {
      for (bool bold : {false, true}) {
        const render::FontSpec font{face, pixels, bold, !bold};
        label.setFont(ToQFont(font));
        measurer.SetFont(font);
        for (const char* text : {"-000000", "0", "-2.77555756156289E-17", "1E-5", "12.5", " ", "",
                                 "W\xe9j&g", "a\tb"}) {
          label.setText(QString::fromLatin1(text));
          label.adjustSize();
          const render::TextSize size = measurer.Measure(text);
          EXPECT_EQ(QSize(size.width, size.height), label.size())
              << face << " " << pixels << (bold ? " bold" : " italic") << " '" << text << "'";
          ++compared;
        }
      }
    }
  }
  EXPECT_EQ(compared, 4 * 8 * 2 * 9);
}

}  // namespace
}  // namespace korvelin::platform
