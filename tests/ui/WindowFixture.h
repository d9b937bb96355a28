#pragma once
// A window over fake services for the command tests: what it names on
// standard error kept, and Follow File's clock the test's own.

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDropEvent>
#include <QMimeData>
#include <QTest>
#include <cstdint>
#include <memory>
#include <optional>
#include <sstream>
#include <string_view>

#include "ui/FakeServices.h"
#include "ui/MainUnit.h"
#include "ui/PatternFiles.h"

namespace korvelin::ui {

// A prompt that answers with the next of its texts, then cancels.
class AnsweringPrompt : public platform::InputPrompt {
 public:
  std::optional<std::string> Ask(std::string_view, std::string_view,
                                 std::string_view value) override {
    asked_with.emplace_back(value);
    if (answers.empty()) return std::nullopt;
    std::string answer = answers.front();
    answers.erase(answers.begin());
    return answer;
  }
  std::vector<std::string> answers;
  std::vector<std::string> asked_with;
};

class WindowFixture : public ::testing::Test {
 protected:
  WindowFixture() {
    MainFormOptions options{{}, {640, 480}};
    options.services = fakes_.Services(&prompt_);
    options.diagnostics = &diagnostics_;
    options.follow_clock = [this] { return now_; };
    form_ = std::make_unique<TMainForm>(doc_, options);
  }
  QAction* Item(const char* name) { return form_->findChild<QAction*>(name); }
  void Trigger(const char* name) { Item(name)->trigger(); }
  // Shown and active, so that its shortcuts reach it.
  void ShowAndActivate() {
    form_->show();
    form_->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form_.get()));
  }

  int64_t now_ = 1000;
  std::ostringstream diagnostics_;
  document::GraphDocument doc_;
  AnsweringPrompt prompt_;
  korvelin::testing::FakeServices fakes_;
  std::unique_ptr<TMainForm> form_;
  korvelin::testing::PatternDir files_;
};

// Measures any text as 8 pixels a character and 19 high: "-000000" as
// 56 x 19, the size the layout's worked example uses, so that the plot of
// a 640 x 480 window is (60, 14, 612, 448).
class FixedMeasurer : public render::TextMeasurer {
 public:
  void SetFont(const render::FontSpec&) override {}
  render::TextSize Measure(std::string_view text) override {
    return {static_cast<int>(8 * text.size()), 19};
  }
};

// As a file manager's drop arrives: the entering drag picks the target (the
// receiver or the nearest parent that accepts drops), then the drop goes to it.
inline void SendDrop(QWidget* receiver, const QMimeData& mime,
                     Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
  QDragEnterEvent enter(QPoint(100, 100), Qt::CopyAction, &mime, Qt::LeftButton, modifiers);
  QApplication::sendEvent(receiver, &enter);
  QDropEvent drop(QPointF(100, 100), Qt::CopyAction, &mime, Qt::LeftButton, modifiers);
  QApplication::sendEvent(receiver, &drop);
}

}  // namespace korvelin::ui
