#pragma once
// A window over fake services for the command tests: what it names on
// standard error kept, and Follow File's clock the test's own.

#include <gtest/gtest.h>

#include <QAction>
#include <cstdint>
#include <memory>
#include <sstream>

#include "ui/FakeServices.h"
#include "ui/MainUnit.h"
#include "ui/PatternFiles.h"

namespace korvelin::ui {

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

  int64_t now_ = 1000;
  std::ostringstream diagnostics_;
  document::GraphDocument doc_;
  korvelin::testing::NoPrompt prompt_;
  korvelin::testing::FakeServices fakes_;
  std::unique_ptr<TMainForm> form_;
  korvelin::testing::PatternDir files_;
};

}  // namespace korvelin::ui
