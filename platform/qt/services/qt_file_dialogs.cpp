#include "platform/qt/services/qt_file_dialogs.h"

#include <QApplication>
#include <QFile>

namespace ridgeview::platform {

namespace {

std::string ToPath(const QString& name) { return QFile::encodeName(name).toStdString(); }

// Settings shared by both dialogs: owned by the active window, no title, no initial name, no
// default suffix.
void Prepare(QFileDialog& dialog, QFileDialog::AcceptMode mode, const QStringList& filters) {
  dialog.setAcceptMode(mode);
  dialog.setNameFilters(filters);
  dialog.selectNameFilter(filters.first());
  dialog.setDefaultSuffix(QString());
  dialog.setOption(QFileDialog::DontConfirmOverwrite, false);
}

}  // namespace

QStringList OpenDialogFilters() {
  return {QStringLiteral("Image Files (*.wsq *.bmp *.jpg *.gif *.png)"),
          QStringLiteral("WSQ Files (*.wsq)"),
          QStringLiteral("Bitmap Files (*.bmp)"),
          QStringLiteral("JPEG Files (*.jpg)"),
          QStringLiteral("PNG Files (*.png)"),
          QStringLiteral("GIF Files (*.gif)"),
          QStringLiteral("All Files (*)")};
}

QStringList SaveDialogFilters() {
  return {QStringLiteral("WSQ Files (*.wsq)"), QStringLiteral("Bitmap Files (*.bmp)")};
}

std::optional<std::string> QtFileDialogService::GetOpenFileName() {
  QFileDialog dialog(QApplication::activeWindow());
  Prepare(dialog, QFileDialog::AcceptOpen, OpenDialogFilters());
  dialog.setFileMode(QFileDialog::ExistingFile);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
    return std::nullopt;
  }
  return ToPath(dialog.selectedFiles().first());
}

std::optional<document::FileDialogService::SaveChoice> QtFileDialogService::GetSaveFileName() {
  QFileDialog dialog(QApplication::activeWindow());
  const QStringList filters = SaveDialogFilters();
  Prepare(dialog, QFileDialog::AcceptSave, filters);
  dialog.setFileMode(QFileDialog::AnyFile);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
    return std::nullopt;
  }
  SaveChoice choice;
  choice.path = ToPath(dialog.selectedFiles().first());
  const qsizetype position = filters.indexOf(dialog.selectedNameFilter());
  choice.filterIndex = position < 0 ? 1 : static_cast<int>(position) + 1;
  return choice;
}

}  // namespace ridgeview::platform
