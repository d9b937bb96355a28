#pragma once
// An integer edit with up and down arrows over the whole 32-bit range. The
// user may type any text: the value is the text read as an integer, and
// text that is no integer reads as 0 while staying as typed. The arrows and
// the Up and Down keys step by 1 and stop at the ends of the range. What a
// value means is the owner's business; the control only reports changes.

#include <QAbstractSpinBox>
#include <cstdint>

namespace korvelin::platform {

class IntSpinEdit : public QAbstractSpinBox {
  Q_OBJECT

 public:
  explicit IntSpinEdit(QWidget* parent = nullptr);

  int32_t Value() const { return value_; }
  // Shows the value in decimal; reports a change like typing does.
  void SetValue(int32_t value);

  void stepBy(int steps) override;
  QValidator::State validate(QString& input, int& pos) const override;

 signals:
  // Every change of the value, typed, stepped or set; a new text with the
  // same value ("4" to "04") reports nothing.
  void ValueChanged(int32_t value);

 protected:
  StepEnabled stepEnabled() const override;

 private:
  void TextEdited(const QString& text);

  int32_t value_ = 0;
};

}  // namespace korvelin::platform
