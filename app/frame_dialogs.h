// The document dialogs the frame opens: the properties sheet of the current image and the
// file-type registration dialog. The frame calls these with full screen suspended (unless a
// test replaced them through FrameDialogs).
#pragma once

#include <string>

class QWidget;

namespace ridgeview::document {
class Document;
}
namespace ridgeview::view {
class ImageView;
}

namespace ridgeview::app {

// The properties sheet of the image the view shows (File, Image and View pages), modal over
// `owner`.
void ShowPropertiesSheet(QWidget* owner, const document::Document& document,
                         const view::ImageView& view);

// The file-type registration dialog, modal over `owner`, for the executable at
// `programPath`; a Move in the dialog updates it.
void ShowRegistration(QWidget* owner, std::string& programPath);

}  // namespace ridgeview::app
