// Message boxes: a modal QMessageBox over the active window.
#pragma once

#include <string>

#include "document/document_ports.h"

namespace ridgeview::platform {

class QtMessageService : public document::MessageService {
 public:
  // Shows `text` (UTF-8) in a modal box titled `caption` with an OK button and the critical
  // icon for MessageIcon::Error or the warning icon for MessageIcon::Warning, owned by
  // QApplication::activeWindow() (none when no window is active). Returns when it is closed.
  void Show(const std::string& text, const std::string& caption,
            document::MessageIcon icon) override;
};

}  // namespace ridgeview::platform
