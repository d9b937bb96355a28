// The full-range integer edit. The line edit's text is the truth: the value
// is recomputed from it on every change, so typing, stepping and SetValue
// all report through one path.

#include "platform/IntSpinEdit.h"

#include <QLineEdit>
#include <algorithm>
#include <limits>

#include "document/TextNumbers.h"

namespace korvelin::platform {

IntSpinEdit::IntSpinEdit(QWidget* parent) : QAbstractSpinBox(parent) {
  // The base class's own value tracking is for its stock subclasses; with
  // tracking off it leaves the text to this class alone.
  setKeyboardTracking(false);
  connect(lineEdit(), &QLineEdit::textChanged, this, &IntSpinEdit::TextEdited);
  lineEdit()->setText(QStringLiteral("0"));
}

void IntSpinEdit::SetValue(int32_t value) { lineEdit()->setText(QString::number(value)); }

void IntSpinEdit::stepBy(int steps) {
  // In 64 bits, so that a step past either end of the range stops there:
  // 2147483647 stepped up stays 2147483647.
  const int64_t stepped =
      std::clamp<int64_t>(int64_t{value_} + steps, std::numeric_limits<int32_t>::min(),
                          std::numeric_limits<int32_t>::max());
  SetValue(static_cast<int32_t>(stepped));
}

QValidator::State IntSpinEdit::validate(QString&, int&) const {
  // Any text may be typed; what is no integer reads as 0.
  return QValidator::Acceptable;
}

QAbstractSpinBox::StepEnabled IntSpinEdit::stepEnabled() const {
  StepEnabled enabled = StepNone;
  if (value_ < std::numeric_limits<int32_t>::max()) enabled |= StepUpEnabled;
  if (value_ > std::numeric_limits<int32_t>::min()) enabled |= StepDownEnabled;
  return enabled;
}

void IntSpinEdit::TextEdited(const QString& text) {
  // Latin-1, so that a character outside it becomes '?' and the text is no
  // integer, rather than bytes that might read as digits.
  const int32_t value = document::ToIntDef(text.toLatin1().toStdString(), 0);
  if (value == value_) return;
  value_ = value;
  emit ValueChanged(value_);
}

}  // namespace korvelin::platform
