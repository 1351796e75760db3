// The open-file and save-file dialogs: QFileDialog with the program's fixed filters, owned by
// the active window.
#pragma once

#include <QFileDialog>
#include <QStringList>
#include <optional>
#include <string>

#include "document/document_ports.h"

namespace ridgeview::platform {

// The open dialog's filters, in order: "Image Files (*.wsq *.bmp *.jpg *.gif *.png)", then
// WSQ, Bitmap, JPEG, PNG and GIF files, then "All Files (*)".
QStringList OpenDialogFilters();

// The save dialog's filters: 1 "WSQ Files (*.wsq)", 2 "Bitmap Files (*.bmp)".
QStringList SaveDialogFilters();

class QtFileDialogService : public document::FileDialogService {
 public:
  // An existing file chosen with the image filters selected first; the path as UTF-8 (the
  // file system's encoding), or none when cancelled.
  std::optional<std::string> GetOpenFileName() override;

  // A path chosen for saving, exactly as the dialog returns it: no default suffix is set, so
  // no extension is added. An existing file is only accepted after the dialog asked whether
  // to replace it. filterIndex is the 1-based position of the filter selected when the
  // dialog was accepted. None when cancelled.
  std::optional<SaveChoice> GetSaveFileName() override;
};

}  // namespace ridgeview::platform
