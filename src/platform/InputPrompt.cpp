// The Qt prompt: a dialog of a label, an edit and the OK and Cancel
// buttons, run modally for one answer.

#include "platform/InputPrompt.h"

#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace korvelin::platform {
namespace {

QString FromLatin1(std::string_view text) {
  return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

std::optional<std::string> QtInputPrompt::Ask(std::string_view caption, std::string_view prompt,
                                              std::string_view value) {
  QWidget* parent = parent_ != nullptr ? parent_.data() : QApplication::activeWindow();
  QDialog dialog(parent);
  dialog.setObjectName("InputPrompt");
  dialog.setWindowTitle(FromLatin1(caption));

  auto* label = new QLabel(FromLatin1(prompt), &dialog);
  label->setTextFormat(Qt::PlainText);
  auto* edit = new QLineEdit(&dialog);
  edit->setObjectName("PromptEdit");
  edit->setMaxLength(kMaxPromptLength);
  edit->setText(FromLatin1(value));
  // Selected, so that typing replaces the value and OK alone keeps it.
  edit->selectAll();
  label->setBuddy(edit);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
  QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);

  auto* layout = new QVBoxLayout(&dialog);
  layout->addWidget(label);
  layout->addWidget(edit);
  layout->addWidget(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);

  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  return edit->text().toLatin1().toStdString();
}

}  // namespace korvelin::platform
