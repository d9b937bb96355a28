// The Modify Graph dialog on the offscreen platform. The apply timer is
// driven by hand: a test checks that the timer runs, then fires it, so no
// test waits for 256 ms to pass.

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QProperty>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <functional>
#include <limits>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "document/IgorReader.h"
#include "document/TextNumbers.h"
#include "platform/InputPrompt.h"
#include "platform/IntSpinEdit.h"
#include "platform/ListBox.h"
#include "ui/MainUnit.h"
#include "ui/UnitMod.h"

namespace korvelin::ui {
namespace {

using document::RealRect;
using platform::IntSpinEdit;
using platform::ListBox;

constexpr int32_t kInt32Max = std::numeric_limits<int32_t>::max();
constexpr int32_t kInt32Min = std::numeric_limits<int32_t>::min();

// tth, int1, int2 with the traces "int1 vs tth" and "int2 vs tth"; int1 is
// drawn with lsize 1.5.
constexpr char kThreeWaves[] =
    "IGOR\rWAVES/D tth, int1, int2\rBEGIN\r10 100 50\r11 90 70\rEND\r"
    "X Display int1, int2 vs tth\rX ModifyGraph lsize(int1)=1.5\r";

class FakeHost : public ModifyHost {
 public:
  void FormResize() override {
    ++resizes;
    if (during_resize) during_resize();
  }
  int resizes = 0;
  std::function<void()> during_resize;
};

class FakePrompt : public platform::InputPrompt {
 public:
  struct Question {
    std::string caption;
    std::string prompt;
    std::string value;
  };
  std::optional<std::string> Ask(std::string_view caption, std::string_view prompt,
                                 std::string_view value) override {
    asked.push_back({std::string(caption), std::string(prompt), std::string(value)});
    return answer;
  }
  std::vector<Question> asked;
  std::optional<std::string> answer;
};

class ModifyDialog : public ::testing::Test {
 protected:
  void MakeForm(char separator) {
    form_ = std::make_unique<TFormModify>(doc_, host_, prompt_, separator);
  }
  void Load(const char* text) { ASSERT_TRUE(document::LoadPatternText(doc_, text).accepted()); }
  // The dialog over kThreeWaves, shown unless the test changes the
  // document first.
  void MakeLoaded(bool show = true, char separator = '.') {
    MakeForm(separator);
    Load(kThreeWaves);
    if (show) form_->show();
  }

  template <class T>
  T* Find(const char* name) {
    T* widget = form_->findChild<T*>(name);
    EXPECT_NE(widget, nullptr) << name;
    return widget;
  }
  QTimer* Timer() { return Find<QTimer>("Timer"); }
  IntSpinEdit* Spin(const char* name) { return Find<IntSpinEdit>(name); }
  QLineEdit* Edit(const char* name) { return Find<QLineEdit>(name); }
  QCheckBox* Check(const char* name) { return Find<QCheckBox>(name); }
  ListBox* List(const char* name) { return Find<ListBox>(name); }

  // The timer's count runs out: its timeout, as Qt would send it.
  void Fire() {
    ASSERT_TRUE(Timer()->isActive()) << "no apply pending";
    QMetaObject::invokeMethod(Timer(), "timeout");
  }
  // Replaces the text of an edit or spin edit by typing, one key at a time.
  void Type(QWidget* target, const char* text) {
    QLineEdit* edit = qobject_cast<QLineEdit*>(target);
    if (edit == nullptr) edit = target->findChild<QLineEdit*>();
    ASSERT_NE(edit, nullptr);
    edit->selectAll();
    QTest::keyClicks(target, text);
  }
  void Click(const char* check_box_or_button) {
    QTest::mouseClick(Find<QAbstractButton>(check_box_or_button), Qt::LeftButton);
  }
  // Clicks a line with the mouse, on the list's tab.
  void ClickLine(const char* list_name, int line) {
    ListBox* list = List(list_name);
    auto* pages = Find<QTabWidget>("PageControl");
    pages->setCurrentWidget(list->parentWidget());
    ASSERT_LT(line, list->count()) << list_name;
    const QRect rect = list->visualItemRect(list->item(line));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rect.center());
  }
  std::vector<std::string> Lines(const char* list_name) {
    std::vector<std::string> lines;
    ListBox* list = List(list_name);
    for (int i = 0; i < list->count(); ++i) lines.push_back(list->item(i)->text().toStdString());
    return lines;
  }
  // Checks Axis and lets the apply it starts run, so that a test begins
  // with the axis edits taking part and no apply pending.
  void CheckAxis() {
    Click("CheckBoxAxis");
    Fire();
    host_.resizes = 0;
  }

  document::GraphDocument doc_;
  FakeHost host_;
  FakePrompt prompt_;
  std::unique_ptr<TFormModify> form_;
};

class ShownDialog : public ModifyDialog {
 protected:
  void SetUp() override {
    MakeForm('.');
    form_->show();
  }
};

struct ControlCase {
  const char* name;
  const char* kind;    // the Qt class the control is, or derives from
  const char* parent;  // the tab page or group box it is placed on
  QRect geometry;
  const char* caption;
};

class ControlTable : public ::testing::TestWithParam<ControlCase> {};

TEST_P(ControlTable, PlacesEveryControlOnItsPageOrGroup) {
  const ControlCase& c = GetParam();
  document::GraphDocument doc;
  FakeHost host;
  FakePrompt prompt;
  TFormModify form(doc, host, prompt, '.');
  auto* control = form.findChild<QWidget*>(c.name);
  ASSERT_NE(control, nullptr) << c.name;
  EXPECT_TRUE(control->inherits(c.kind))
      << c.name << " is a " << control->metaObject()->className();
  EXPECT_EQ(control->parentWidget()->objectName(), c.parent);
  EXPECT_EQ(control->geometry(), c.geometry);
  QString caption;
  if (auto* box = qobject_cast<QGroupBox*>(control)) caption = box->title();
  if (auto* button = qobject_cast<QAbstractButton*>(control)) caption = button->text();
  if (auto* label = qobject_cast<QLabel*>(control)) caption = label->text();
  EXPECT_EQ(caption, c.caption);
}

constexpr char kAxis[] = "TabSheetAxis";
constexpr char kWaves[] = "TabSheetWaves";
constexpr char kTraces[] = "TabSheetTraces";

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Table, ControlTable,
    ::testing::Values(
        ControlCase{"GroupBoxAxis", "QGroupBox", kAxis, {16, 8, 217, 113}, ""},
        ControlCase{"EditAxisTop", "QLineEdit", "GroupBoxAxis", {16, 24, 57, 23}, ""},
        ControlCase{"EditAxisBottom", "QLineEdit", "GroupBoxAxis", {16, 56, 57, 23}, ""},
        ControlCase{"EditAxisLeft", "QLineEdit", "GroupBoxAxis", {80, 72, 57, 23}, ""},
        ControlCase{"EditAxisRight", "QLineEdit", "GroupBoxAxis", {144, 72, 57, 23}, ""},
        ControlCase{"CheckBoxAxis", "QCheckBox", kAxis, {24, 8, 49, 17}, "Axis"},
        ControlCase{"GroupBoxMargin", "QGroupBox", kAxis, {248, 8, 217, 113}, ""},
        ControlCase{"SpinEditTop", "korvelin::platform::IntSpinEdit", "GroupBoxMargin", {80, 24, 57, 24}, ""},
        ControlCase{"SpinEditLeft", "QAbstractSpinBox", "GroupBoxMargin", {16, 48, 57, 24}, ""},
        ControlCase{"SpinEditBottom", "QAbstractSpinBox", "GroupBoxMargin", {80, 72, 57, 24}, ""},
        ControlCase{"SpinEditRight", "QAbstractSpinBox", "GroupBoxMargin", {144, 48, 57, 24}, ""},
        ControlCase{"CheckBoxMargin", "QCheckBox", kAxis, {256, 8, 65, 17}, "Margin"},
        ControlCase{"GroupBoxScale", "QGroupBox", kAxis, {16, 128, 217, 113}, ""},
        ControlCase{"SpinEditDistanceY", "QAbstractSpinBox", "GroupBoxScale", {16, 24, 57, 24}, ""},
        ControlCase{"SpinEditTickY", "QAbstractSpinBox", "GroupBoxScale", {16, 56, 57, 24}, ""},
        ControlCase{"SpinEditDistanceX", "QAbstractSpinBox", "GroupBoxScale", {80, 72, 57, 24}, ""},
        ControlCase{"SpinEditTickX", "QAbstractSpinBox", "GroupBoxScale", {144, 72, 57, 24}, ""},
        ControlCase{"CheckBoxScale", "QCheckBox", kAxis, {24, 128, 57, 17}, "Scale"},
        ControlCase{"GroupBoxMetaFile", "QGroupBox", kAxis, {248, 128, 217, 65}, "Meta File Size"},
        ControlCase{"SpinEditMMWidth", "QAbstractSpinBox", "GroupBoxMetaFile", {16, 24, 89, 24}, ""},
        ControlCase{"SpinEditMMHeight", "QAbstractSpinBox", "GroupBoxMetaFile", {112, 24, 89, 24}, ""},
        ControlCase{"CheckBoxColor", "QCheckBox", kAxis, {248, 200, 57, 17}, "Color"},
        ControlCase{"LabelWaves", "QLabel", kWaves, {16, 8, 37, 15}, "Waves"},
        ControlCase{"LabelParameters", "QLabel", kWaves, {240, 8, 65, 15}, "Parameters"},
        ControlCase{"ListBoxWaves", "korvelin::platform::ListBox", kWaves, {16, 32, 209, 201}, ""},
        ControlCase{"ListBoxParams", "QListWidget", kWaves, {240, 32, 217, 201}, ""},
        ControlCase{"LabelYwave", "QLabel", kTraces, {16, 8, 39, 15}, "Y-wave"},
        ControlCase{"LabelXwave", "QLabel", kTraces, {152, 8, 39, 15}, "X-wave"},
        ControlCase{"ListBoxYwave", "QListWidget", kTraces, {16, 32, 121, 201}, ""},
        ControlCase{"ListBoxXwave", "QListWidget", kTraces, {152, 32, 121, 201}, ""},
        ControlCase{"ListBoxTraces", "QListWidget", kTraces, {288, 16, 169, 185}, ""},
        ControlCase{"ButtonAppend", "QPushButton", kTraces, {288, 216, 81, 25}, "Append"},
        ControlCase{"ButtonRemove", "QPushButton", kTraces, {376, 216, 81, 25}, "Remove"}),
    [](const ::testing::TestParamInfo<ControlCase>& info) { return info.param.name; });
// clang-format on

TEST_F(ModifyDialog, IsAHiddenFixedDialogWithThreeTabs) {
  MakeForm('.');
  EXPECT_FALSE(form_->isVisible());
  EXPECT_EQ(form_->windowTitle(), "Modify Graph");
  EXPECT_EQ(form_->minimumSize(), QSize(497, 297));
  EXPECT_EQ(form_->maximumSize(), QSize(497, 297));
  const Qt::WindowFlags flags = form_->windowFlags();
  EXPECT_TRUE(flags & Qt::WindowCloseButtonHint);
  EXPECT_FALSE(flags & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));
  EXPECT_EQ(form_->font().family(), "Arial");
  EXPECT_EQ(form_->font().pixelSize(), 12);
  auto* pages = Find<QTabWidget>("PageControl");
  EXPECT_EQ(pages->geometry(), QRect(8, 8, 481, 281));
  QStringList tabs;
  for (int i = 0; i < pages->count(); ++i) tabs << pages->tabText(i);
  EXPECT_EQ(tabs, (QStringList{"Axis", "Waves", "Traces"}));
  EXPECT_EQ(pages->currentIndex(), 0);
  EXPECT_EQ(Timer()->interval(), 256);
  EXPECT_TRUE(Timer()->isSingleShot());
  EXPECT_FALSE(Timer()->isActive());
}

TEST_F(ShownDialog, FirstShowDisplaysTheStartUpSettings) {
  EXPECT_TRUE(Check("CheckBoxScale")->isChecked());
  for (const char* name :
       {"SpinEditDistanceX", "SpinEditDistanceY", "SpinEditTickX", "SpinEditTickY"}) {
    EXPECT_EQ(Spin(name)->Value(), 4) << name;
  }
  EXPECT_FALSE(Check("CheckBoxMargin")->isChecked());
  for (const char* name : {"SpinEditTop", "SpinEditLeft", "SpinEditBottom", "SpinEditRight"}) {
    EXPECT_EQ(Spin(name)->Value(), 8) << name;
    EXPECT_EQ(Spin(name)->text(), "8") << name;
  }
  EXPECT_EQ(Spin("SpinEditMMWidth")->text(), "297");
  EXPECT_EQ(Spin("SpinEditMMHeight")->text(), "210");
  EXPECT_TRUE(Check("CheckBoxColor")->isChecked());
  EXPECT_FALSE(Check("CheckBoxAxis")->isChecked());
  EXPECT_EQ(Edit("EditAxisLeft")->text(), "0");
  EXPECT_EQ(Edit("EditAxisTop")->text(), "10");
  EXPECT_EQ(Edit("EditAxisRight")->text(), "10");
  EXPECT_EQ(Edit("EditAxisBottom")->text(), "0");
  EXPECT_TRUE(Lines("ListBoxWaves").empty());
  EXPECT_TRUE(Lines("ListBoxTraces").empty());
  EXPECT_FALSE(Timer()->isActive()) << "a fill never leads to an apply";
  EXPECT_EQ(host_.resizes, 0);
  EXPECT_EQ(doc_.Settings.MetafileWidth, 29700);
  EXPECT_EQ(doc_.Settings.MetafileHeight, 21000);
}

// Every fill shows a long number from its start, as it is read; the tail of
// 10972.4770642202 alone reads as another number.
TEST_F(ModifyDialog, AxisEditsShowTheStartOfALongNumber) {
  MakeForm('.');
  doc_.AxisRange =
      RealRect(-0.000123456789012345, 10972.4770642202, 10985.9357798165, -5.55555555555555e-7);
  for (int fill = 0; fill < 2; ++fill) {
    form_->show();
    for (const char* name : {"EditAxisLeft", "EditAxisTop", "EditAxisRight", "EditAxisBottom"}) {
      EXPECT_GT(Edit(name)->text().size(), 10) << name;
      EXPECT_EQ(Edit(name)->cursorPosition(), 0) << name;
    }
    form_->hide();
  }
}

TEST_F(ShownDialog, AxisEditsTakePartOnlyWhileAxisIsChecked) {
  Type(Edit("EditAxisRight"), "20");
  EXPECT_FALSE(Timer()->isActive()) << "Axis unchecked: typing applies nothing";
  EXPECT_EQ(doc_.AxisRange, RealRect(0, 10, 10, 0));

  Click("CheckBoxAxis");
  Fire();
  EXPECT_EQ(doc_.AxisRange, RealRect(0, 10, 20, 0));
  EXPECT_EQ(host_.resizes, 1);
  EXPECT_FALSE(Timer()->isActive());
  EXPECT_EQ(doc_.AxisHistory[0], RealRect(0, 10, 10, 0)) << "no history push";

  Click("CheckBoxAxis");
  doc_.AxisRange = RealRect(1, 2, 3, 0);
  Fire();
  EXPECT_EQ(doc_.AxisRange, RealRect(1, 2, 3, 0)) << "unchecking applies, leaving the range";
  EXPECT_EQ(host_.resizes, 2);
}

TEST_F(ShownDialog, ABurstOfKeystrokesGivesOneApplyWithTheTextAtThatMoment) {
  CheckAxis();
  int starts = 0;
  const auto counting = Timer()->bindableActive().onValueChanged([&] {
    if (Timer()->isActive()) ++starts;
  });
  Edit("EditAxisTop")->selectAll();
  QTest::keyClick(Edit("EditAxisTop"), Qt::Key_5);
  QTest::keyClick(Edit("EditAxisTop"), Qt::Key_0);
  QTest::keyClick(Edit("EditAxisTop"), Qt::Key_0);
  EXPECT_EQ(starts, 1) << "the count of the first keystroke is not restarted";
  Fire();
  EXPECT_EQ(host_.resizes, 1);
  EXPECT_EQ(doc_.AxisRange.Top, 500);

  QTest::keyClick(Edit("EditAxisTop"), Qt::Key_0);
  EXPECT_EQ(starts, 2) << "a change after the apply starts a new count";
  Fire();
  EXPECT_EQ(doc_.AxisRange.Top, 5000);
  EXPECT_EQ(host_.resizes, 2);
}

TEST_F(ShownDialog, RightEqualToLeftKeepsTheRangeButAppliesTheRest) {
  CheckAxis();
  doc_.AxisRange = RealRect(0, 10, 10, 0);
  Type(Edit("EditAxisRight"), "0");
  Type(Spin("SpinEditTickX"), "9");
  Fire();
  EXPECT_EQ(doc_.AxisRange, RealRect(0, 10, 10, 0));
  EXPECT_EQ(doc_.Settings.TickX, 9);
  EXPECT_EQ(host_.resizes, 1) << "the plot is laid out and redrawn all the same";
  EXPECT_EQ(Edit("EditAxisRight")->text(), "0") << "the edit keeps what was typed";
}

TEST_F(ShownDialog, ScaleAndMarginValuesStartTheTimerOnlyWhileTheirBoxIsChecked) {
  Type(Spin("SpinEditLeft"), "30");
  EXPECT_FALSE(Timer()->isActive()) << "Margin unchecked";
  Click("CheckBoxMargin");
  Fire();
  EXPECT_TRUE(doc_.Settings.MarginOn);
  EXPECT_EQ(doc_.Settings.Margin, (document::PixelRect{30, 8, 8, 8}));

  Type(Spin("SpinEditBottom"), "12");
  EXPECT_TRUE(Timer()->isActive()) << "Margin checked: a margin shows 256 ms later";
  Fire();
  EXPECT_EQ(doc_.Settings.Margin.Bottom, 12);

  QTest::keyClick(Spin("SpinEditDistanceY"), Qt::Key_Up);
  EXPECT_TRUE(Timer()->isActive()) << "Scale checked";
  Fire();
  EXPECT_EQ(doc_.Settings.DistanceY, 5);
  Click("CheckBoxScale");
  Fire();
  EXPECT_FALSE(doc_.Settings.ScaleOn);
  QTest::keyClick(Spin("SpinEditTickY"), Qt::Key_Down);
  EXPECT_FALSE(Timer()->isActive()) << "Scale unchecked";
  EXPECT_EQ(host_.resizes, 4);
}

TEST_F(ShownDialog, MetafileSizeIsStoredAtOnceInHundredths) {
  Type(Spin("SpinEditMMWidth"), "150");
  EXPECT_EQ(doc_.Settings.MetafileWidth, 15000);
  EXPECT_FALSE(Timer()->isActive());
  EXPECT_EQ(host_.resizes, 0) << "no redraw";
  Type(Spin("SpinEditMMHeight"), "-7");
  EXPECT_EQ(doc_.Settings.MetafileHeight, -700) << "a negative value is stored as it is";
  Spin("SpinEditMMWidth")->findChild<QLineEdit*>()->clear();
  EXPECT_EQ(doc_.Settings.MetafileWidth, 0) << "an empty width";
  Type(Spin("SpinEditMMWidth"), "99999999");
  EXPECT_EQ(doc_.Settings.MetafileWidth, kInt32Max) << "the largest size 32 bits hold";
  EXPECT_EQ(host_.resizes, 0);
}

TEST_F(ShownDialog, AZoomThenAClickOnColorRestoresTheRangeOfTheEdits) {
  CheckAxis();
  doc_.AxisRange = RealRect(2, 7, 4, 3);  // the mouse zoom writes the document directly
  Click("CheckBoxColor");
  Fire();
  EXPECT_EQ(doc_.AxisRange, RealRect(0, 10, 10, 0));
  EXPECT_FALSE(doc_.Settings.ColorOn);
}

TEST_F(ShownDialog, AChangeJustBeforeClosingIsStillApplied) {
  Type(Spin("SpinEditTickY"), "7");
  form_->ShowOrClose();
  EXPECT_FALSE(form_->isVisible());
  Fire();
  EXPECT_EQ(doc_.Settings.TickY, 7);
  EXPECT_EQ(host_.resizes, 1);
}

TEST_F(ShownDialog, ModifyCommandHidesAndShowsRefilled) {
  Check("CheckBoxScale")->setChecked(false);
  Click("CheckBoxAxis");
  Type(Spin("SpinEditTickX"), "33");
  Type(Edit("EditAxisLeft"), "-5");
  form_->ShowOrClose();
  EXPECT_FALSE(form_->isVisible());
  doc_.Settings.TickX = 6;
  form_->ShowOrClose();
  EXPECT_TRUE(form_->isVisible());
  EXPECT_EQ(Spin("SpinEditTickX")->Value(), 6);
  EXPECT_EQ(Edit("EditAxisLeft")->text(), "0");
  EXPECT_TRUE(Check("CheckBoxScale")->isChecked());
  EXPECT_TRUE(Check("CheckBoxAxis")->isChecked()) << "the fill leaves Axis as the user left it";
  EXPECT_FALSE(Timer()->isActive()) << "the fill cancels the pending apply";
  EXPECT_EQ(host_.resizes, 0);
}

TEST_F(ShownDialog, AnApplyInsideAnApplyWaitsOneIntervalAndRunsLater) {
  Click("CheckBoxColor");
  host_.during_resize = [this] {
    host_.during_resize = nullptr;
    Check("CheckBoxColor")->setChecked(true);
    form_->TimerTimer();  // Busy: returns at once and leaves the timer running
  };
  Fire();
  EXPECT_EQ(host_.resizes, 1);
  EXPECT_FALSE(doc_.Settings.ColorOn) << "the inner apply did nothing";
  Fire();
  EXPECT_EQ(host_.resizes, 2);
  EXPECT_TRUE(doc_.Settings.ColorOn);
  EXPECT_FALSE(Timer()->isActive());
}

struct EditCase {
  const char* name;
  int row;
  const char* typed;
  const char* line;  // the parameter line after the edit
};

class ParameterPrompt : public ModifyDialog, public ::testing::WithParamInterface<EditCase> {};

TEST_P(ParameterPrompt, StoresTheConvertedValueAndShowsItAsStored) {
  const EditCase& c = GetParam();
  MakeLoaded();
  ClickLine("ListBoxWaves", 2);
  ASSERT_EQ(Lines("ListBoxParams").size(), 8u);
  prompt_.answer = c.typed;
  ClickLine("ListBoxParams", c.row);
  ASSERT_EQ(prompt_.asked.size(), 1u);
  EXPECT_EQ(prompt_.asked[0].caption, "Modify Graph");
  EXPECT_EQ(Lines("ListBoxParams")[static_cast<size_t>(c.row)], c.line);
  EXPECT_EQ(List("ListBoxParams")->ItemIndex(), -1);
  EXPECT_TRUE(Timer()->isActive()) << "the edit is drawn 256 ms later";
  EXPECT_EQ(host_.resizes, 0);
  EXPECT_EQ(doc_.Waves[1].lsize, 1.5) << "other waves keep their values";
}

INSTANTIATE_TEST_SUITE_P(
    Table, ParameterPrompt,
    ::testing::Values(EditCase{"LsizeDropsZeros", 0, "2.50", "lsize    = 2.5"},
                      EditCase{"LsizeNoNumber", 0, "abc", "lsize    = 1"},
                      EditCase{"MsizeNoNumber", 4, "abc", "msize    = 0"},
                      EditCase{"RgbUpperCase", 7, "ff8000", "rgb      = FF8000"},
                      EditCase{"RgbOwnDollar", 7, "$FF", "rgb      = 000000"},
                      EditCase{"RgbCPrefix", 7, "0xFF", "rgb      = 000000"}),
    [](const ::testing::TestParamInfo<EditCase>& info) { return info.param.name; });

TEST_F(ModifyDialog, PromptIsPreFilledWithTheWholeValueAlsoWithACommaSeparator) {
  MakeLoaded(true, ',');
  ClickLine("ListBoxWaves", 1);
  EXPECT_EQ(Lines("ListBoxParams")[0], "lsize    = 1,5");
  prompt_.answer = "1,5";  // OK on the value as shown
  ClickLine("ListBoxParams", 0);
  ASSERT_EQ(prompt_.asked.size(), 1u);
  EXPECT_EQ(prompt_.asked[0].prompt, "lsize");
  EXPECT_EQ(prompt_.asked[0].value, "1,5");
  EXPECT_EQ(doc_.Waves[1].lsize, 1.5) << "OK on an unchanged prompt keeps the value";

  prompt_.answer = "0,25";
  ClickLine("ListBoxParams", 3);
  EXPECT_EQ(prompt_.asked[1].prompt, "mrkThick");
  EXPECT_EQ(prompt_.asked[1].value, "1");
  EXPECT_EQ(doc_.Waves[1].mrkThick, 0.25);
  EXPECT_EQ(Lines("ListBoxParams")[3], "mrkThick = 0,25");
}

TEST_F(ModifyDialog, CancelChangesNothingAndTheLineCanBeChosenAgain) {
  MakeLoaded();
  ClickLine("ListBoxWaves", 0);
  ClickLine("ListBoxParams", 7);
  ASSERT_EQ(prompt_.asked.size(), 1u);
  EXPECT_EQ(prompt_.asked[0].prompt, "rgb");
  EXPECT_EQ(prompt_.asked[0].value, "000000");
  EXPECT_EQ(List("ListBoxParams")->ItemIndex(), 7) << "the line stays selected";
  EXPECT_FALSE(Timer()->isActive());
  prompt_.answer = "ff";
  ClickLine("ListBoxParams", 7);
  EXPECT_EQ(prompt_.asked.size(), 2u);
  EXPECT_EQ(doc_.Waves[0].rgb, 0xFFu);
}

TEST_F(ModifyDialog, AppendNeedsANewSelectionEachTime) {
  MakeLoaded();
  ClickLine("ListBoxYwave", 2);
  ClickLine("ListBoxXwave", 1);
  Click("ButtonAppend");
  EXPECT_EQ(Lines("ListBoxTraces"),
            (std::vector<std::string>{"int1 vs tth", "int2 vs tth", "int2 vs int1"}));
  EXPECT_EQ(doc_.TraceCount, 3);
  EXPECT_TRUE(Timer()->isActive());
  EXPECT_EQ(List("ListBoxYwave")->ItemIndex(), -1);
  EXPECT_EQ(List("ListBoxXwave")->ItemIndex(), -1);

  Click("ButtonAppend");
  EXPECT_EQ(doc_.TraceCount, 3) << "the fill cleared both selections";
  ClickLine("ListBoxYwave", 2);
  ClickLine("ListBoxXwave", 1);
  Click("ButtonAppend");
  EXPECT_EQ(doc_.TraceCount, 4);
  EXPECT_EQ(Lines("ListBoxTraces").back(), "int2 vs int1") << "the same pair again";
  Fire();
  EXPECT_EQ(host_.resizes, 1);
}

TEST_F(ModifyDialog, RemoveKeepsTheOrderOfTheRest) {
  MakeLoaded(false);
  doc_.Traces[2] = {1, 0};
  doc_.TraceCount = 3;
  form_->show();
  Type(Edit("EditAxisTop"), "77");
  ClickLine("ListBoxTraces", 0);
  Click("ButtonRemove");
  EXPECT_EQ(Lines("ListBoxTraces"), (std::vector<std::string>{"int2 vs tth", "tth vs int1"}));
  EXPECT_EQ(doc_.TraceCount, 2);
  EXPECT_TRUE(Timer()->isActive());
  EXPECT_EQ(Edit("EditAxisTop")->text(), "10") << "the fill replaces a value not yet applied";
  Click("ButtonRemove");
  EXPECT_EQ(doc_.TraceCount, 2) << "no line selected after the fill";
}

TEST_F(ModifyDialog, AppendOnAFullListDoesNothing) {
  MakeLoaded(false);
  for (int i = doc_.TraceCount; i < document::kMaxTraces; ++i) doc_.Traces[i] = {0, 1};
  doc_.TraceCount = document::kMaxTraces;
  form_->show();
  ClickLine("ListBoxYwave", 0);
  ClickLine("ListBoxXwave", 0);
  Click("ButtonAppend");
  EXPECT_EQ(doc_.TraceCount, document::kMaxTraces);
  EXPECT_EQ(List("ListBoxYwave")->ItemIndex(), 0) << "no fill either";
  EXPECT_FALSE(Timer()->isActive());
}

TEST_F(ModifyDialog, LinesOfAFileNoLongerLoadedReachNothing) {
  MakeLoaded();
  ClickLine("ListBoxWaves", 2);
  ClickLine("ListBoxYwave", 2);
  ClickLine("ListBoxXwave", 1);
  ClickLine("ListBoxTraces", 1);
  // A file of one wave and no trace is loaded behind the dialog's back.
  Load("IGOR\rWAVES a\rBEGIN\r1\rEND\r");
  doc_.Waves[2].lsize = 4;
  prompt_.answer = "9";
  ClickLine("ListBoxParams", 0);
  EXPECT_EQ(doc_.Waves[2].lsize, 4) << "wave 2 is past WaveCount";
  Click("ButtonAppend");
  EXPECT_EQ(doc_.TraceCount, 0);
  ClickLine("ListBoxTraces", 1);
  Click("ButtonRemove");
  EXPECT_EQ(doc_.TraceCount, 0) << "never below zero";
  EXPECT_FALSE(Timer()->isActive());

  form_->DocumentLoaded();
  EXPECT_EQ(Lines("ListBoxWaves"), (std::vector<std::string>{"a"}));
  EXPECT_EQ(Lines("ListBoxXwave"), (std::vector<std::string>{"a"}));
  EXPECT_TRUE(Lines("ListBoxTraces").empty());
  ClickLine("ListBoxYwave", 0);
  ClickLine("ListBoxXwave", 0);
  Click("ButtonAppend");
  EXPECT_EQ(Lines("ListBoxTraces"), (std::vector<std::string>{"a vs a"}));
}

TEST_F(ModifyDialog, ALoadWhileTheDialogIsShownRefreshesOnlyTheLists) {
  MakeForm('.');
  form_->show();
  Type(Spin("SpinEditTickX"), "5");
  ASSERT_TRUE(Timer()->isActive());
  Load(kThreeWaves);
  form_->DocumentLoaded();
  EXPECT_EQ(Lines("ListBoxYwave"), (std::vector<std::string>{"tth", "int1", "int2"}));
  EXPECT_EQ(Lines("ListBoxTraces"), (std::vector<std::string>{"int1 vs tth", "int2 vs tth"}));
  EXPECT_TRUE(Timer()->isActive()) << "the pending apply still runs";
  EXPECT_EQ(Spin("SpinEditTickX")->Value(), 5);

  form_->ShowOrClose();
  Load("IGOR\r");
  form_->DocumentLoaded();
  EXPECT_EQ(Lines("ListBoxWaves").size(), 3u) << "a hidden dialog fills at its next show";
  form_->ShowOrClose();
  EXPECT_TRUE(Lines("ListBoxWaves").empty());
}

// The window lays the plot out from whatever the dialog stores; here the
// extremes of every spin edit reach a real main window through the apply.
class MainFormHost : public ModifyHost {
 public:
  explicit MainFormHost(TMainForm& form) : form_(form) {}
  void FormResize() override { form_.FormResize(); }

 private:
  TMainForm& form_;
};

TEST(ModifyDialogExtremes, HugeAndNegativeValuesLayOutWithoutFailing) {
  document::GraphDocument doc;
  TMainForm window(doc, {{}, {640, 480}, nullptr});
  ASSERT_TRUE(document::LoadPatternText(doc, kThreeWaves).accepted());
  MainFormHost host(window);
  FakePrompt prompt;
  TFormModify form(doc, host, prompt, '.');
  form.show();
  const char* spins[] = {"SpinEditTop",       "SpinEditLeft",     "SpinEditBottom",
                         "SpinEditRight",     "SpinEditTickX",    "SpinEditTickY",
                         "SpinEditDistanceX", "SpinEditDistanceY"};
  form.findChild<QCheckBox*>("CheckBoxMargin")->setChecked(true);
  form.findChild<QCheckBox*>("CheckBoxAxis")->setChecked(true);
  for (int32_t extreme : {kInt32Max, kInt32Min, -100000, 100000}) {
    for (const char* name : spins) form.findChild<IntSpinEdit*>(name)->SetValue(extreme);
    form.TimerTimer();
    EXPECT_EQ(doc.Settings.Margin.Left, extreme);
    EXPECT_EQ(doc.Settings.TickY, extreme);
    const int32_t width = doc.PlotRect.Right - doc.PlotRect.Left;
    const int32_t height = doc.PlotRect.Bottom - doc.PlotRect.Top;
    EXPECT_GE(width, 64) << extreme;
    EXPECT_LE(width, 16384) << extreme;
    EXPECT_GE(height, 64) << extreme;
    EXPECT_LE(height, 16384) << extreme;
  }
  // Automatic margins take the distances instead of the margins.
  form.findChild<QCheckBox*>("CheckBoxMargin")->setChecked(false);
  for (int32_t extreme : {kInt32Max, kInt32Min}) {
    for (const char* name : spins) form.findChild<IntSpinEdit*>(name)->SetValue(extreme);
    form.TimerTimer();
    EXPECT_EQ(window.Raster().Width(), doc.PlotRect.Right - doc.PlotRect.Left);
  }
  // Axis ranges at the ends of the doubles.
  const std::pair<const char*, const char*> ranges[] = {
      {"-1E308", "1E308"}, {"1", "1.0000000000001"}, {"0", "1E-300"}};
  for (const auto& [low, high] : ranges) {
    form.findChild<QLineEdit*>("EditAxisLeft")->setText(low);
    form.findChild<QLineEdit*>("EditAxisBottom")->setText(low);
    form.findChild<QLineEdit*>("EditAxisRight")->setText(high);
    form.findChild<QLineEdit*>("EditAxisTop")->setText(high);
    form.TimerTimer();
    EXPECT_EQ(doc.AxisRange.Right, document::ToFloatDef(high, 0)) << high;
  }
}

}  // namespace
}  // namespace korvelin::ui
