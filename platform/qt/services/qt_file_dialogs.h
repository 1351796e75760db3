// The open-file and save-file dialogs: QFileDialog with the program's fixed filters, owned by
// the active window, starting in the folder last used.
//
// Qt's own dialog is used rather than the desktop's native one, so that the filters match
// extensions in any letter case ("IMG_0001.JPG" shows under "*.jpg") on every desktop.
#pragma once

#include <QFileDialog>
#include <QStringList>
#include <optional>
#include <string>

#include "document/document_ports.h"

namespace ridgeview::platform {

// The open dialog's filters, in order: "Image Files (*.wsq *.bmp *.jpg *.jpeg *.gif *.png)",
// then WSQ, Bitmap, JPEG (*.jpg *.jpeg), PNG and GIF files, then "All Files (*)".
QStringList OpenDialogFilters();

// The save dialog's filters: 1 "WSQ Files (*.wsq)", 2 "Bitmap Files (*.bmp)",
// 3 "PNG Files (*.png)".
QStringList SaveDialogFilters();

// The folder a dialog should start in for `folder`: the folder itself when it exists, else
// its nearest existing parent; empty for an empty or relative folder (the dialog's default).
QString StartFolder(const std::string& folder);

// The text of the question asked before a file is replaced.
QString ReplaceQuestion(const QString& path);

class QtFileDialogService : public document::FileDialogService {
 public:
  // An existing file chosen with the image filters selected first, starting in `folder`; the
  // path as UTF-8 (the file system's encoding), or none when cancelled.
  std::optional<std::string> GetOpenFileName(const std::string& folder) override;

  // A path chosen for saving, starting in `folder`. The name typed gets the selected
  // filter's extension unless it already ends in ".wsq", ".bmp" or ".png" in any case
  // (SaveTargetPath); the dialog's default suffix follows the selected filter, so the
  // completed name is what it shows. When the completed name exists, the user is asked
  // whether to replace it (ReplaceQuestion); No shows the dialog again on that name.
  // filterIndex is the 1-based position of the filter selected when the dialog was
  // accepted. None when cancelled.
  std::optional<SaveChoice> GetSaveFileName(const std::string& folder) override;
};

}  // namespace ridgeview::platform
