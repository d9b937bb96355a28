// The window's whole life, many times over: built with fakes of its
// services, the examples loaded and drawn, zoomed, a bitmap and a metafile
// copied, the font changed, the Modify Graph dialog shown, edited, applied
// and closed, the window destroyed. What a cycle takes it must give back:
// under AddressSanitizer LeakSanitizer finds nothing unreachable after the
// cycles, and in every build the heap, the memory mappings and the
// top-level windows stop growing once the toolkit's caches are warm.

#include <gtest/gtest.h>
#include <malloc.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QFile>
#include <QMouseEvent>
#include <QTextStream>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/InputPrompt.h"
#include "platform/ListBox.h"
#include "ui/FakeServices.h"
#include "ui/MainUnit.h"
#include "ui/PatternFiles.h"

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>

// The sanitizer's allocator statistics; GCC ships no header declaring them.
extern "C" size_t __sanitizer_get_current_allocated_bytes();
#endif

namespace korvelin::ui {
namespace {

class ThreePrompt : public platform::InputPrompt {
 public:
  std::optional<std::string> Ask(std::string_view, std::string_view, std::string_view) override {
    return "3";
  }
};

// Bytes the program holds on the heap now.
int64_t HeapInUse() {
#if defined(__SANITIZE_ADDRESS__)
  return static_cast<int64_t>(__sanitizer_get_current_allocated_bytes());
#else
  const struct mallinfo2 info = mallinfo2();
  return static_cast<int64_t>(info.uordblks + info.hblkhd);
#endif
}

// The memory mappings of the process: a reservation that is never given
// back (the value store's, a picture's pages) adds one per cycle.
int Mappings() {
  QFile maps("/proc/self/maps");
  if (!maps.open(QIODevice::ReadOnly)) return -1;
  return static_cast<int>(maps.readAll().count('\n'));
}

std::vector<std::string> CycleFiles(const korvelin::testing::PatternDir& dir) {
  std::vector<std::string> files;
  const char* examples = std::getenv("KORVELIN_EXAMPLES");
  if (examples != nullptr && *examples != '\0') {
    for (const char* name : {"quartz-powder.pat", "two-blocks.pat", "rocking-curve-lf.pat"}) {
      files.push_back(std::string(examples) + "/" + name);
    }
  }
  files.push_back(dir.Write("red.pat", korvelin::testing::DiagonalPattern()));
  return files;
}

// One life of the window. Every other cycle copies to the desktop's own
// clipboard rather than the fake, so the clipboard's copies are freed too.
void LiveOnce(const std::vector<std::string>& files, bool desktop_clipboard) {
  document::GraphDocument doc;
  ThreePrompt prompt;
  korvelin::testing::FakeServices fakes;
  MainFormOptions options{{}, {640, 480}};
  options.services = fakes.Services(&prompt);
  if (desktop_clipboard) options.services.clipboard = nullptr;
  auto form = std::make_unique<TMainForm>(doc, options);
  const auto trigger = [&form](const char* item) { form->findChild<QAction*>(item)->trigger(); };

  for (const std::string& file : files) ASSERT_TRUE(form->LoadFile(file).accepted()) << file;
  form->DrawScreenPlot();
  form->SetClientSize(QSize(800, 600));

  QWidget* image = form->findChild<QWidget*>("Image");
  for (const auto& [type, x, y] :
       {std::tuple{QEvent::MouseButtonPress, 120, 100}, std::tuple{QEvent::MouseMove, 300, 250},
        std::tuple{QEvent::MouseButtonRelease, 300, 250}}) {
    QMouseEvent event(type, QPointF(x, y), QPointF(x, y), Qt::LeftButton,
                      type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton,
                      Qt::NoModifier);
    QApplication::sendEvent(image, &event);
  }
  ASSERT_NE(doc.AxisHistory[0], doc.AxisRange) << "zoomed";

  trigger("miCopyBitmap");
  trigger("miCopyMetafile");
  EXPECT_TRUE(fakes.boxes.errors.empty());
  fakes.font_dialog.answer = render::FontSpec{"Arial", 40, true, false};
  trigger("miFont");

  trigger("miModify");
  TFormModify& dialog = form->FormModify();
  EXPECT_TRUE(dialog.isVisible());
  dialog.findChild<QCheckBox*>("CheckBoxMargin")->click();
  auto* waves = dialog.findChild<platform::ListBox*>("ListBoxWaves");
  auto* params = dialog.findChild<platform::ListBox*>("ListBoxParams");
  waves->SetItemIndex(0);
  emit waves->Click();
  params->SetItemIndex(0);
  emit params->Click();
  dialog.TimerTimer();
  trigger("miModify");
  EXPECT_FALSE(dialog.isVisible());
  form.reset();
  // Posted deletions and updates of the widgets just destroyed.
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  QCoreApplication::sendPostedEvents();
}

TEST(WindowLifeCycle, GivesBackWhatEachLifeTook) {
  korvelin::testing::PatternDir dir;
  const std::vector<std::string> files = CycleFiles(dir);
  const int windows_before = static_cast<int>(QApplication::topLevelWidgets().size());

  // The toolkit fills its font, glyph and style caches in the first lives.
  constexpr int kWarmUp = 4;
  constexpr int kCycles = 24;
  for (int i = 0; i < kWarmUp; ++i) {
    LiveOnce(files, i % 2 == 1);
    if (::testing::Test::HasFatalFailure()) return;
  }
  QGuiApplication::clipboard()->clear();
  const int64_t heap = HeapInUse();
  [[maybe_unused]] const int mappings = Mappings();
  for (int i = 0; i < kCycles; ++i) {
    LiveOnce(files, i % 2 == 1);
    if (::testing::Test::HasFatalFailure()) return;
  }
  QGuiApplication::clipboard()->clear();

  EXPECT_EQ(static_cast<int>(QApplication::topLevelWidgets().size()), windows_before);
  // A window holds a 1.9 MB picture and a value store page of 32 KB; a
  // cycle that kept either would add far more than 16 KB a life.
  const int64_t growth = HeapInUse() - heap;
  EXPECT_LT(growth, 16 * 1024 * kCycles)
      << "heap grew by " << growth << " bytes in " << kCycles << " lives";
#if !defined(__SANITIZE_ADDRESS__)
  // (The sanitizer's allocator maps more as its quarantine of freed blocks
  // fills, so mappings are counted without it.)
  EXPECT_LE(Mappings(), mappings + 4) << "mappings before: " << mappings;
#else
  // Nothing unreachable now, with the process still running: a leak is
  // named here, under this test, not among the exit's reports. Run by
  // hand, this needs the environment ctest gives it (tests/lsan.supp).
  EXPECT_EQ(__lsan_do_recoverable_leak_check(), 0) << "LeakSanitizer's report is above";
#endif
}

}  // namespace
}  // namespace korvelin::ui
