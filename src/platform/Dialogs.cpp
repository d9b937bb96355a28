// The Qt dialogs, run modally for one answer each.

#include "platform/Dialogs.h"

#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QFontDialog>
#include <QPrintDialog>
#include <QStringList>
#include <algorithm>

#include "platform/QtFont.h"

namespace korvelin::platform {
namespace {

// The patterns of a filter entry: "All Files (*.*)" gives "*.*".
QString Patterns(const QString& filter) {
  const qsizetype open = filter.lastIndexOf('(');
  const qsizetype close = filter.lastIndexOf(')');
  return open >= 0 && close > open ? filter.mid(open + 1, close - open - 1).trimmed() : QString();
}

// "*.*" matches only names with a dot on this system; the entry is meant to
// show every file, so the dialog's list is told to hide none. Run after the
// dialog has applied the filter itself.
void ShowEveryFileUnderStarDotStar(QFileDialog& dialog) {
  if (Patterns(dialog.selectedNameFilter()) != "*.*") return;
  if (auto* model = dialog.findChild<QFileSystemModel*>()) model->setNameFilters({});
}

}  // namespace

std::optional<std::string> QtFileDialogs::Run(QWidget* owner, const FileDialogRequest& request) {
  const bool save = request.mode == FileDialogMode::Save;
  Memory& memory = save ? save_ : open_;
  QStringList filters;
  for (const FileFilter& filter : request.filters) filters << QString::fromStdString(filter.text);
  QFileDialog dialog(owner, QString::fromStdString(request.title));
  dialog.setObjectName(save ? "SaveDialog" : "OpenDialog");
  dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
  // The window asks "Overwrite?" itself; the dialog must not ask first.
  if (save) dialog.setOption(QFileDialog::DontConfirmOverwrite);

  dialog.setNameFilters(filters);
  const auto use_filter = [&](int index) {
    const bool known = index >= 0 && index < static_cast<int>(request.filters.size());
    dialog.setDefaultSuffix(known ? QString::fromStdString(request.filters[index].extension)
                                  : QString());
  };
  const int chosen = memory.filter < static_cast<int>(filters.size()) ? memory.filter : 0;
  if (!filters.isEmpty()) dialog.selectNameFilter(filters[chosen]);
  use_filter(chosen);
  ShowEveryFileUnderStarDotStar(dialog);
  QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog,
                   [&](const QString& filter) { use_filter(filters.indexOf(filter)); });
  // Queued, so the dialog has applied the filter's patterns when it runs.
  QObject::connect(
      &dialog, &QFileDialog::filterSelected, &dialog,
      [&dialog] { ShowEveryFileUnderStarDotStar(dialog); }, Qt::QueuedConnection);
  if (!memory.folder.isEmpty()) dialog.setDirectory(memory.folder);
  if (!memory.file.isEmpty()) dialog.selectFile(memory.file);

  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  const QString path = dialog.selectedFiles().front();
  const QFileInfo info(path);
  memory.folder = info.absolutePath();
  memory.file = info.fileName();
  memory.filter = std::max(0, static_cast<int>(filters.indexOf(dialog.selectedNameFilter())));
  return QFile::encodeName(path).toStdString();
}

std::optional<render::FontSpec> QtFontDialog::Run(QWidget* owner) {
  QFontDialog dialog(ToDialogFont(font_), owner);
  dialog.setObjectName("FontDialog");
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  font_ = FromQFont(dialog.selectedFont());
  return font_;
}

QPrinter* QtPrintDialog::Run(QWidget* owner) {
  if (printer_ == nullptr) printer_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
  QPrintDialog dialog(printer_.get(), owner);
  dialog.setObjectName("PrintDialog");
  return dialog.exec() == QDialog::Accepted ? printer_.get() : nullptr;
}

}  // namespace korvelin::platform
