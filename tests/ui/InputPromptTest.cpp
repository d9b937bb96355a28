// The Qt input prompt, answered by a timer that acts as the user once the
// modal window is up, so the test never waits on it.

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <functional>
#include <string>

#include "platform/InputPrompt.h"

namespace korvelin::platform {
namespace {

struct Seen {
  QString title;
  QString prompt;
  QString text;
  QString selected;
  int max_length = 0;
};

// Runs `act` on the modal prompt once it is shown; a prompt still open
// after five seconds is cancelled so that a failing test ends.
void AnswerPrompt(Seen& seen, const std::function<void(QLineEdit&, QDialogButtonBox&)>& act) {
  QTimer::singleShot(0, [&seen, act] {
    QWidget* modal = QApplication::activeModalWidget();
    ASSERT_NE(modal, nullptr);
    auto* edit = modal->findChild<QLineEdit*>("PromptEdit");
    auto* buttons = modal->findChild<QDialogButtonBox*>();
    auto* label = modal->findChild<QLabel*>();
    ASSERT_TRUE(edit && buttons && label);
    seen = {modal->windowTitle(), label->text(), edit->text(), edit->selectedText(),
            edit->maxLength()};
    act(*edit, *buttons);
  });
  QTimer::singleShot(5000, [] {
    if (auto* modal = QApplication::activeModalWidget()) modal->close();
  });
}

TEST(QtInputPrompt, ShowsTheValueSelectedAndReturnsTheEditedText) {
  QtInputPrompt prompt;
  Seen seen;
  AnswerPrompt(seen, [](QLineEdit& edit, QDialogButtonBox& buttons) {
    edit.setText("2,5");
    buttons.button(QDialogButtonBox::Ok)->click();
  });
  EXPECT_EQ(prompt.Ask("Modify Graph", "lsize", "1,5"), std::optional<std::string>("2,5"));
  EXPECT_EQ(seen.title, "Modify Graph");
  EXPECT_EQ(seen.prompt, "lsize");
  EXPECT_EQ(seen.text, "1,5");
  EXPECT_EQ(seen.selected, "1,5");
  EXPECT_EQ(seen.max_length, 255);
}

TEST(QtInputPrompt, CancelGivesNothingAndTextsStopAt255Characters) {
  QtInputPrompt prompt;
  Seen seen;
  AnswerPrompt(seen, [](QLineEdit&, QDialogButtonBox& buttons) {
    buttons.button(QDialogButtonBox::Cancel)->click();
  });
  EXPECT_EQ(prompt.Ask("Modify Graph", "rgb", std::string(300, 'F')), std::nullopt);
  EXPECT_EQ(seen.text.size(), 255);

  AnswerPrompt(seen, [](QLineEdit& edit, QDialogButtonBox& buttons) {
    edit.setText(QString(300, 'x') + QChar(0xE9));
    buttons.button(QDialogButtonBox::Ok)->click();
  });
  const std::optional<std::string> answer = prompt.Ask("Modify Graph", "rgb", "\xE9");
  EXPECT_EQ(seen.text, QString(QChar(0xE9))) << "texts are Latin-1";
  ASSERT_TRUE(answer.has_value());
  EXPECT_EQ(answer->size(), 255u);
}

}  // namespace
}  // namespace korvelin::platform
