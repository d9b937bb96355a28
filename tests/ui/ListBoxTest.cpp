// The list box: which user actions count as a click, and its lines.

#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTest>

#include "platform/ListBox.h"

namespace korvelin::platform {
namespace {

void ClickLine(ListBox& list, int line) {
  const QRect rect = list.visualItemRect(list.item(line));
  QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, rect.center());
}

TEST(ListBox, ClicksOnLinesAndKeyboardSelectionsReport) {
  ListBox list;
  list.setGeometry(0, 0, 121, 201);
  list.SetLines({"tth", "int1", "int2", "\xE9t\xE9"});
  list.show();
  QSignalSpy clicks(&list, &ListBox::Click);
  EXPECT_EQ(list.ItemIndex(), -1);
  EXPECT_EQ(list.item(3)->text(), QString::fromUtf8("\u00E9t\u00E9"));
  EXPECT_EQ(list.visualItemRect(list.item(1)).height(), ListBox::kLineHeight);
  EXPECT_EQ(list.visualItemRect(list.item(1)).top(), ListBox::kLineHeight);

  ClickLine(list, 1);
  EXPECT_EQ(list.ItemIndex(), 1);
  EXPECT_EQ(clicks.count(), 1);
  ClickLine(list, 1);
  EXPECT_EQ(clicks.count(), 2) << "the selected line clicked again";
  QTest::keyClick(list.viewport(), Qt::Key_Down);
  EXPECT_EQ(list.ItemIndex(), 2);
  EXPECT_EQ(clicks.count(), 3);
  QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, QPoint(50, 190));
  EXPECT_EQ(clicks.count(), 3) << "below the last line";
  EXPECT_EQ(list.ItemIndex(), -1) << "a click on no line selects none";

  list.SetItemIndex(0);
  EXPECT_EQ(list.ItemIndex(), 0);
  list.SetItemIndex(9);
  EXPECT_EQ(list.ItemIndex(), -1);
  list.SetItemIndex(2);
  list.SetLines({"a", "b"});
  EXPECT_EQ(list.ItemIndex(), -1) << "new lines, none selected";
  EXPECT_EQ(clicks.count(), 3) << "the program's own changes report nothing";
}

}  // namespace
}  // namespace korvelin::platform
