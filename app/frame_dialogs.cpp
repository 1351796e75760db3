#include "app/frame_dialogs.h"

#include <QtGlobal>

#include "document/document_operations.h"
#include "view/widget/image_view.h"

#if defined(RIDGEVIEW_HAVE_DIALOGS)
#include "dialogs/properties_sheet.h"
#include "dialogs/register_dialog.h"
#endif

namespace ridgeview::app {

#if defined(RIDGEVIEW_HAVE_DIALOGS)

void ShowPropertiesSheet(QWidget* owner, const document::Document& document,
                         const view::ImageView& view) {
  dialogs::PropertiesSnapshot snapshot;
  snapshot.imagePath = document.imagePath();
  snapshot.displayName = view.displayName();
  snapshot.bitmap = view.bitmap();
  snapshot.wsqOrigin = document.wsqOrigin();
  snapshot.imageSize = view.imageSize();
  snapshot.zoom = view.zoom();
  snapshot.contentSize = view.contentSize();
  snapshot.offset = view.offset();
  snapshot.clientSize = view.clientSize();
  dialogs::ShowProperties(owner, snapshot);
}

void ShowRegistration(QWidget* owner, std::string& programPath) {
  dialogs::RunRegisterDialog(owner, programPath);
}

#else

// Built without the dialogs library: the commands stay wired here and do nothing visible.
void ShowPropertiesSheet(QWidget*, const document::Document&, const view::ImageView&) {
  qWarning("ridgeview: the properties sheet is not part of this build");
}

void ShowRegistration(QWidget*, std::string&) {
  qWarning("ridgeview: the registration dialog is not part of this build");
}

#endif

}  // namespace ridgeview::app
