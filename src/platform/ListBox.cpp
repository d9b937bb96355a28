// The list box. A mouse click is taken from the view's clicked signal,
// which comes with the button's release: a prompt opened from a click then
// never starts while the button is still down over the list.

#include "platform/ListBox.h"

#include <QKeyEvent>
#include <QStyledItemDelegate>

namespace korvelin::platform {
namespace {

// Every line kLineHeight pixels high, whatever the font asks for.
class FixedLineDelegate : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;
  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    return {QStyledItemDelegate::sizeHint(option, index).width(), ListBox::kLineHeight};
  }
};

}  // namespace

ListBox::ListBox(QWidget* parent) : QListWidget(parent) {
  setSelectionMode(QAbstractItemView::SingleSelection);
  setSortingEnabled(false);
  setUniformItemSizes(true);
  setItemDelegate(new FixedLineDelegate(this));
  connect(this, &QAbstractItemView::clicked, this, [this](const QModelIndex& index) {
    if (index.isValid()) emit Click();
  });
}

void ListBox::SetLines(const std::vector<std::string>& lines) {
  clear();
  for (const std::string& line : lines) {
    addItem(QString::fromLatin1(line.data(), static_cast<qsizetype>(line.size())));
  }
}

int ListBox::ItemIndex() const {
  const QModelIndexList selected = selectionModel()->selectedIndexes();
  return selected.isEmpty() ? -1 : selected.first().row();
}

void ListBox::SetItemIndex(int index) {
  if (index < 0 || index >= count()) {
    clearSelection();
    return;
  }
  setCurrentRow(index, QItemSelectionModel::ClearAndSelect);
}

void ListBox::keyPressEvent(QKeyEvent* event) {
  const int before = ItemIndex();
  QListWidget::keyPressEvent(event);
  if (ItemIndex() != before && ItemIndex() >= 0) emit Click();
}

}  // namespace korvelin::platform
