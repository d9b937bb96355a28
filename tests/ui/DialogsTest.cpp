// The Qt dialogs and boxes behind the window's services, driven from inside
// their own modal loops on the offscreen platform: what each shows, what it
// answers, and what the file and font dialogs keep between uses. Also the
// font conversion between the dialog's points and the plot's pixels.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QFontDialog>
#include <QLineEdit>
#include <QListView>
#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <functional>
#include <tuple>

#include "platform/Dialogs.h"
#include "platform/MessageBoxes.h"
#include "platform/QtFont.h"
#include "ui/PatternFiles.h"

namespace korvelin::platform {
namespace {

using korvelin::testing::PatternDir;

// Runs act on the next modal window of type W once it is shown, from inside
// its loop. A window still open ten seconds after act is rejected, with any
// box in front of it, so a dialog that waits for something the test does
// not give fails the test instead of hanging it.
template <class W>
void WhenShown(std::function<void(W&)> act) {
  auto* timer = new QTimer;
  QObject::connect(timer, &QTimer::timeout, [timer, act] {
    auto* window = qobject_cast<W*>(QApplication::activeModalWidget());
    if (window == nullptr) return;
    timer->stop();
    timer->deleteLater();
    // Rejects whatever modal box is in front until the window itself is
    // gone; the watchdog goes with the window.
    auto* watchdog = new QTimer(window);
    QObject::connect(watchdog, &QTimer::timeout, [watchdog] {
      if (watchdog->interval() > 100) ADD_FAILURE() << "the window stayed open";
      watchdog->setInterval(100);
      if (auto* front = qobject_cast<QDialog*>(QApplication::activeModalWidget())) front->reject();
    });
    watchdog->start(10000);
    act(*window);
  });
  timer->start(5);
}

// Types a name and presses Enter, as the user would accept it.
void TypeAndAccept(QFileDialog& dialog, const QString& name) {
  QLineEdit* edit = dialog.findChild<QLineEdit*>("fileNameEdit");
  edit->setText(name);
  QTest::keyClick(edit, Qt::Key_Return);
}

bool Lists(QFileDialog& dialog, const QString& name) {
  const QListView* view = dialog.findChild<QListView*>("listView");
  const QModelIndex root = view->rootIndex();
  for (int row = 0; row < view->model()->rowCount(root); ++row) {
    if (view->model()->index(row, 0, root).data().toString() == name) return true;
  }
  return false;
}

const FileDialogRequest kOpen{FileDialogMode::Open,
                              "Open Pattern File",
                              {{"Igor Files (*.pat)", "pat"}, {"All Files (*.*)", ""}}};

TEST(QtFileDialogs, OpenCompletesItsFiltersExtensionAndKeepsFolderNameAndFilter) {
  PatternDir dir;
  const QString folder =
      QFileInfo(QString::fromStdString(dir.Write("scan.pat", "IGOR\n"))).absolutePath();
  dir.Write("noext", "IGOR\n");
  QtFileDialogs dialogs;

  WhenShown<QFileDialog>([&](QFileDialog& dialog) {
    EXPECT_EQ(dialog.windowTitle(), "Open Pattern File");
    EXPECT_EQ(dialog.nameFilters(), (QStringList{"Igor Files (*.pat)", "All Files (*.*)"}));
    EXPECT_EQ(dialog.selectedNameFilter(), "Igor Files (*.pat)");
    dialog.setDirectory(folder);
    TypeAndAccept(dialog, "scan");
  });
  EXPECT_EQ(dialogs.Run(nullptr, kOpen), dir.Path("scan.pat")) << "\".pat\" completed";

  WhenShown<QFileDialog>([&](QFileDialog& dialog) {
    EXPECT_EQ(dialog.directory().absolutePath(), folder);
    EXPECT_EQ(dialog.findChild<QLineEdit*>("fileNameEdit")->text(), "scan.pat");
    QTest::keyClick(dialog.findChild<QComboBox*>("fileTypeCombo"), Qt::Key_Down);
    EXPECT_TRUE(QTest::qWaitFor([&] { return Lists(dialog, "noext"); }, 5000))
        << "\"All Files (*.*)\" lists a file without an extension";
    TypeAndAccept(dialog, "noext");
  });
  EXPECT_EQ(dialogs.Run(nullptr, kOpen), dir.Path("noext")) << "no extension under All Files";

  WhenShown<QFileDialog>([](QFileDialog& dialog) {
    EXPECT_EQ(dialog.selectedNameFilter(), "All Files (*.*)");
    dialog.reject();
  });
  EXPECT_EQ(dialogs.Run(nullptr, kOpen), std::nullopt);
}

TEST(QtFileDialogs, SaveCompletesBmpAndLeavesTheOverwriteQuestionToTheCaller) {
  PatternDir dir;
  const std::string old = dir.Write("old.bmp", "earlier work");
  QtFileDialogs dialogs;
  WhenShown<QFileDialog>([&](QFileDialog& dialog) {
    EXPECT_EQ(dialog.acceptMode(), QFileDialog::AcceptSave);
    EXPECT_TRUE(dialog.testOption(QFileDialog::DontConfirmOverwrite));
    EXPECT_EQ(dialog.nameFilters(), QStringList{"Bitmap Files (*.bmp)"});
    dialog.setDirectory(QFileInfo(QString::fromStdString(old)).absolutePath());
    TypeAndAccept(dialog, "old");
  });
  EXPECT_EQ(dialogs.Run(nullptr,
                        {FileDialogMode::Save, "Save Bitmap", {{"Bitmap Files (*.bmp)", "bmp"}}}),
            old);
}

TEST(QtFontDialog, StartsAtArialTwelvePixelsAndKeepsTheLastChoice) {
  QtFontDialog fonts;
  WhenShown<QFontDialog>([](QFontDialog& dialog) {
    EXPECT_DOUBLE_EQ(dialog.currentFont().pointSizeF(), 9.0) << "12 pixels at 96 dpi";
    QFont chosen("Liberation Serif");
    chosen.setPointSize(24);
    chosen.setBold(true);
    dialog.setCurrentFont(chosen);
    dialog.accept();
  });
  const std::optional<render::FontSpec> font = fonts.Run(nullptr);
  ASSERT_TRUE(font);
  EXPECT_EQ(font->pixel_height, 32);
  EXPECT_TRUE(font->bold);

  WhenShown<QFontDialog>([](QFontDialog& dialog) {
    EXPECT_DOUBLE_EQ(dialog.currentFont().pointSizeF(), 24.0);
    dialog.reject();
  });
  EXPECT_EQ(fonts.Run(nullptr), std::nullopt);
  EXPECT_EQ(fonts.Font(), *font) << "a cancel keeps the last choice";
}

void Click(QMessageBox& box, QMessageBox::StandardButton button) { box.button(button)->click(); }

TEST(QtMessageBoxes, ShowTheirIconsButtonsAndPlainTexts) {
  QtMessageBoxes boxes;
  WhenShown<QMessageBox>([](QMessageBox& box) {
    EXPECT_EQ(box.windowTitle(), "KORVELIN");
    EXPECT_EQ(box.text(), "Cannot read <b>x</b>.");
    EXPECT_EQ(box.textFormat(), Qt::PlainText);
    EXPECT_EQ(box.icon(), QMessageBox::Critical);
    EXPECT_EQ(box.standardButtons(), QMessageBox::Ok);
    Click(box, QMessageBox::Ok);
  });
  boxes.Error(nullptr, "Cannot read <b>x</b>");

  WhenShown<QMessageBox>([](QMessageBox& box) {
    EXPECT_EQ(box.windowTitle(), "Help");
    EXPECT_EQ(box.icon(), QMessageBox::Information);
    EXPECT_EQ(box.standardButtons(), QMessageBox::Ok);
    Click(box, QMessageBox::Ok);
  });
  boxes.Information(nullptr, "Help", "Help me, please!");

  for (const auto answer : {QMessageBox::No, QMessageBox::Yes}) {
    WhenShown<QMessageBox>([answer](QMessageBox& box) {
      EXPECT_EQ(box.windowTitle(), "Save Bitmap");
      EXPECT_EQ(box.text(), "Overwrite?");
      EXPECT_EQ(box.icon(), QMessageBox::NoIcon);
      EXPECT_EQ(box.standardButtons(), QMessageBox::Yes | QMessageBox::No);
      Click(box, answer);
    });
    EXPECT_EQ(boxes.AskYesNo(nullptr, "Save Bitmap", "Overwrite?"), answer == QMessageBox::Yes);
  }
  WhenShown<QMessageBox>([](QMessageBox& box) { QTest::keyClick(&box, Qt::Key_Escape); });
  EXPECT_FALSE(boxes.AskYesNo(nullptr, "Save Bitmap", "Overwrite?")) << "Escape answers No";
}

TEST(FromQFontTest, GivesPixelsOfTheReferenceScreen) {
  // Points (0: the size is given in pixels), the pixels given, the pixels expected.
  const std::tuple<double, int, int> cases[] = {{12, 0, 16},     {9, 0, 12},   {10.5, 0, 14},
                                                {1500, 0, 2000}, {0.25, 0, 1}, {0, 20, 20},
                                                {0, 2000, 2000}};
  for (const auto& [points, pixels_in, pixels] : cases) {
    QFont font("Arial");
    if (points > 0) {
      font.setPointSizeF(points);
    } else {
      font.setPixelSize(pixels_in);
    }
    font.setItalic(true);
    const render::FontSpec chosen = FromQFont(font);
    EXPECT_EQ(chosen.pixel_height, pixels) << points << " " << pixels_in;
    EXPECT_EQ(chosen.name, "Arial");
    EXPECT_TRUE(chosen.italic);
    EXPECT_FALSE(chosen.bold);
    // What the dialog is shown gives the same pixels back.
    EXPECT_EQ(FromQFont(ToDialogFont(chosen)).pixel_height, chosen.pixel_height);
  }
}

}  // namespace
}  // namespace korvelin::platform
