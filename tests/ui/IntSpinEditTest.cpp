// The full-range integer edit: what a text reads as, the arrows and keys,
// the ends of the range and the change reports.

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QSignalSpy>
#include <QStyle>
#include <QStyleOptionSpinBox>
#include <QTest>
#include <limits>

#include "platform/IntSpinEdit.h"

namespace korvelin::platform {
namespace {

constexpr int32_t kMax = std::numeric_limits<int32_t>::max();
constexpr int32_t kMin = std::numeric_limits<int32_t>::min();

// Reaches the rectangles of the arrow buttons as the style draws them.
class ArrowSpinEdit : public IntSpinEdit {
 public:
  QRect Arrow(QStyle::SubControl arrow) const {
    QStyleOptionSpinBox option;
    initStyleOption(&option);
    return style()->subControlRect(QStyle::CC_SpinBox, &option, arrow, this);
  }
};

QLineEdit* Edit(IntSpinEdit& spin) { return spin.findChild<QLineEdit*>(); }

struct TextCase {
  const char* text;
  int32_t value;
};

class SpinEditText : public ::testing::TestWithParam<TextCase> {};

TEST_P(SpinEditText, ReadsIntegersAndEverythingElseAsZero) {
  IntSpinEdit spin;
  spin.SetValue(7);
  Edit(spin)->setText(GetParam().text);
  EXPECT_EQ(spin.Value(), GetParam().value) << GetParam().text;
  EXPECT_EQ(Edit(spin)->text(), GetParam().text) << "the text stays as typed";
}

INSTANTIATE_TEST_SUITE_P(
    Table, SpinEditText,
    ::testing::Values(TextCase{"42", 42}, TextCase{"  42", 42}, TextCase{"-17", -17},
                      TextCase{"+3", 3}, TextCase{"2147483647", kMax},
                      TextCase{"-2147483648", kMin}, TextCase{"2147483648", 0}, TextCase{"42 ", 0},
                      TextCase{"4.5", 0}, TextCase{"", 0}, TextCase{"-", 0}, TextCase{"abc", 0},
                      TextCase{"$FF", 255}, TextCase{"0x10", 0}, TextCase{"\u00B2", 0}));

TEST(IntSpinEdit, TypingReportsEveryChangeOfValue) {
  IntSpinEdit spin;
  QSignalSpy changes(&spin, &IntSpinEdit::ValueChanged);
  Edit(spin)->selectAll();
  QTest::keyClicks(&spin, "-150");  // -, -1, -15, -150: the first stays 0
  ASSERT_EQ(changes.count(), 3);
  EXPECT_EQ(changes.at(0).at(0).toInt(), -1);
  EXPECT_EQ(changes.at(2).at(0).toInt(), -150);
  Edit(spin)->setText("-0150");
  EXPECT_EQ(changes.count(), 3) << "same value, new text";
  QTest::keyClick(&spin, Qt::Key_A);
  EXPECT_EQ(spin.Value(), 0);
  EXPECT_EQ(changes.count(), 4);
}

TEST(IntSpinEdit, KeysAndArrowsStepByOneAndStopAtTheEnds) {
  ArrowSpinEdit spin;
  spin.resize(89, 24);
  spin.show();
  QSignalSpy changes(&spin, &IntSpinEdit::ValueChanged);
  Edit(spin)->setText("abc");
  QTest::keyClick(&spin, Qt::Key_Up);
  EXPECT_EQ(spin.Value(), 1) << "no integer steps from 0";
  QTest::keyClick(&spin, Qt::Key_Down);
  QTest::keyClick(&spin, Qt::Key_Down);
  EXPECT_EQ(spin.Value(), -1);
  EXPECT_EQ(Edit(spin)->text(), "-1");

  QTest::mouseClick(&spin, Qt::LeftButton, {}, spin.Arrow(QStyle::SC_SpinBoxUp).center());
  EXPECT_EQ(spin.Value(), 0);
  QTest::mouseClick(&spin, Qt::LeftButton, {}, spin.Arrow(QStyle::SC_SpinBoxDown).center());
  EXPECT_EQ(spin.Value(), -1);

  spin.SetValue(kMax);
  QTest::keyClick(&spin, Qt::Key_Up);
  EXPECT_EQ(spin.Value(), kMax);
  spin.SetValue(kMin);
  QTest::keyClick(&spin, Qt::Key_Down);
  EXPECT_EQ(spin.Value(), kMin);
  spin.stepBy(-5);
  EXPECT_EQ(spin.Value(), kMin);
  spin.stepBy(1);
  EXPECT_EQ(spin.Value(), kMin + 1);
  // abc, 1, 0, -1, 0, -1, max, min, min + 1.
  EXPECT_EQ(changes.count(), 8);
}

}  // namespace
}  // namespace korvelin::platform
