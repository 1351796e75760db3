#include "platform/qt/services/qt_file_dialogs.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMessageBox>

#include "document/save_format.h"

namespace ridgeview::platform {

namespace {

std::string ToPath(const QString& name) { return QFile::encodeName(name).toStdString(); }
QString FromPath(const std::string& path) { return QFile::decodeName(QByteArray::fromStdString(path)); }

// Settings shared by both dialogs: owned by the active window, Qt's own dialog (its filters
// ignore letter case), no title, the first filter selected, starting in `folder`.
void Prepare(QFileDialog& dialog, QFileDialog::AcceptMode mode, const QStringList& filters,
             const std::string& folder) {
  dialog.setOption(QFileDialog::DontUseNativeDialog, true);
  dialog.setAcceptMode(mode);
  dialog.setFilter(dialog.filter() & ~QDir::CaseSensitive);
  dialog.setNameFilters(filters);
  dialog.selectNameFilter(filters.first());
  const QString start = StartFolder(folder);
  if (!start.isEmpty()) dialog.setDirectory(start);
}

int FilterPosition(const QStringList& filters, const QString& selected) {
  const qsizetype position = filters.indexOf(selected);
  return position < 0 ? 1 : static_cast<int>(position) + 1;
}

// The default suffix of filter position `position`: the extension it saves.
QString SuffixOf(int position) {
  const std::optional<document::SaveFormat> format = document::SaveFormatOfFilter(position);
  if (!format) return {};
  const std::string_view extension = document::SaveExtension(*format);
  return QString::fromLatin1(extension.data(), static_cast<qsizetype>(extension.size()));
}

bool ConfirmReplace(const QString& path) {
  return QMessageBox::warning(QApplication::activeWindow(), QStringLiteral("Ridgeview"),
                              ReplaceQuestion(path), QMessageBox::Yes | QMessageBox::No,
                              QMessageBox::No) == QMessageBox::Yes;
}

}  // namespace

QStringList OpenDialogFilters() {
  return {QStringLiteral("Image Files (*.wsq *.bmp *.jpg *.jpeg *.gif *.png)"),
          QStringLiteral("WSQ Files (*.wsq)"),
          QStringLiteral("Bitmap Files (*.bmp)"),
          QStringLiteral("JPEG Files (*.jpg *.jpeg)"),
          QStringLiteral("PNG Files (*.png)"),
          QStringLiteral("GIF Files (*.gif)"),
          QStringLiteral("All Files (*)")};
}

QStringList SaveDialogFilters() {
  return {QStringLiteral("WSQ Files (*.wsq)"), QStringLiteral("Bitmap Files (*.bmp)"),
          QStringLiteral("PNG Files (*.png)")};
}

QString StartFolder(const std::string& folder) {
  QString candidate = FromPath(folder);
  if (candidate.isEmpty() || QDir::isRelativePath(candidate)) return {};
  // Each step drops one path component, so this ends at the root at the latest.
  for (;;) {
    if (QFileInfo(candidate).isDir()) return candidate;
    const QString parent = QFileInfo(candidate).path();
    if (parent == candidate) return {};
    candidate = parent;
  }
}

QString ReplaceQuestion(const QString& path) {
  return QStringLiteral("%1 already exists.\nDo you want to replace it?")
      .arg(QDir::toNativeSeparators(path));
}

std::optional<std::string> QtFileDialogService::GetOpenFileName(const std::string& folder) {
  QFileDialog dialog(QApplication::activeWindow());
  Prepare(dialog, QFileDialog::AcceptOpen, OpenDialogFilters(), folder);
  dialog.setFileMode(QFileDialog::ExistingFile);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
    return std::nullopt;
  }
  return ToPath(dialog.selectedFiles().first());
}

std::optional<document::FileDialogService::SaveChoice> QtFileDialogService::GetSaveFileName(
    const std::string& folder) {
  const QStringList filters = SaveDialogFilters();
  std::string startFolder = folder;
  QString startName;
  int startFilter = 1;
  for (;;) {
    QFileDialog dialog(QApplication::activeWindow());
    Prepare(dialog, QFileDialog::AcceptSave, filters, startFolder);
    dialog.setFileMode(QFileDialog::AnyFile);
    // The question about replacing is asked below, once the name has its extension.
    dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
    dialog.selectNameFilter(filters.at(startFilter - 1));
    dialog.setDefaultSuffix(SuffixOf(startFilter));
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog,
                     [&dialog, &filters](const QString& filter) {
                       dialog.setDefaultSuffix(SuffixOf(FilterPosition(filters, filter)));
                     });
    if (!startName.isEmpty()) dialog.selectFile(startName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
      return std::nullopt;
    }
    SaveChoice choice;
    choice.filterIndex = FilterPosition(filters, dialog.selectedNameFilter());
    choice.path = document::SaveTargetPath(ToPath(dialog.selectedFiles().first()),
                                           choice.filterIndex);
    const QString target = FromPath(choice.path);
    if (!QFileInfo::exists(target) || ConfirmReplace(target)) return choice;
    // Not replaced: the dialog comes back where it was, with the name to change.
    startFolder = ToPath(QFileInfo(target).absolutePath());
    startName = QFileInfo(target).fileName();
    startFilter = choice.filterIndex;
  }
}

}  // namespace ridgeview::platform
