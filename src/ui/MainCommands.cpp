// The menu bar, built from one table whose rows read like the menu itself:
// menu, caption, item, caption, shortcut and handler, in display order.

#include <QAction>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>

#include "ui/MainUnit.h"

namespace korvelin::ui {
namespace {

using Handler = void (TMainForm::*)();

struct MenuRow {
  const char* menu;          // component of the menu
  const char* menu_caption;  // its caption
  const char* item;          // component of the item
  const char* caption;       // nullptr for a separator
  QKeyCombination shortcut;
  Handler handler;
};

constexpr QKeyCombination kNone{};

// Every shortcut is Ctrl and a letter, including the unusual ones: Ctrl+C
// and Ctrl+V act on coordinates and strings, not on the picture.
const MenuRow kMenuRows[] = {
    {"miEdit", "Edit", "miUndo", "Undo Axis", Qt::CTRL | Qt::Key_U, &TMainForm::miUndoClick},
    {"miEdit", "Edit", "miBar3", nullptr, kNone, nullptr},
    {"miEdit", "Edit", "miCopy", "Copy Coordinate", Qt::CTRL | Qt::Key_C, &TMainForm::miCopyClick},
    {"miEdit", "Edit", "miPaste", "Paste String", Qt::CTRL | Qt::Key_V, &TMainForm::miPasteClick},
    {"miView", "View", "miModify", "Modify", Qt::CTRL | Qt::Key_M, &TMainForm::miModifyClick},
};

}  // namespace

void TMainForm::CreateMenu() {
  QMenuBar* bar = menuBar();
  bar->setObjectName("MainMenu");
  QMenu* menu = nullptr;
  for (const MenuRow& row : kMenuRows) {
    if (menu == nullptr || menu->objectName() != row.menu) {
      menu = bar->addMenu(row.menu_caption);
      menu->setObjectName(row.menu);
    }
    if (row.caption == nullptr) {
      menu->addSeparator()->setObjectName(row.item);
      continue;
    }
    QAction* action = menu->addAction(row.caption);
    action->setObjectName(row.item);
    action->setShortcut(QKeySequence(row.shortcut));
    // Shortcuts act whenever the window has the keyboard focus, whatever
    // widget inside it holds it.
    action->setShortcutContext(Qt::WindowShortcut);
    connect(action, &QAction::triggered, this,
            [this, handler = row.handler] { (this->*handler)(); });
  }
}

// Shows the Modify Graph dialog and brings it to the front, or closes it;
// the main window stays usable either way.
void TMainForm::miModifyClick() { form_modify_->ShowOrClose(); }

}  // namespace korvelin::ui
