#pragma once
// A list box of text lines: one selected line at most, lines in the order
// added, each 15 pixels high. It reports a click when the user selects a
// line with the keyboard or clicks one with the mouse, the selected line
// included, so that a line chosen again acts again. What a line stands for
// is the owner's business.

#include <QListWidget>
#include <string>
#include <vector>

namespace korvelin::platform {

class ListBox : public QListWidget {
  Q_OBJECT

 public:
  static constexpr int kLineHeight = 15;

  explicit ListBox(QWidget* parent = nullptr);

  // Replaces every line; none is selected afterwards. Lines are Latin-1.
  void SetLines(const std::vector<std::string>& lines);
  // The index of the selected line, -1 when none is.
  int ItemIndex() const;
  // Selects line index, or none for -1, as the program would; reports nothing.
  void SetItemIndex(int index);

 signals:
  void Click();

 protected:
  void keyPressEvent(QKeyEvent* event) override;
};

}  // namespace korvelin::platform
