// The loader of JPEG, PNG and GIF files: Qt's image readers, converted to the document's
// Image.
#pragma once

#include <optional>
#include <string>

#include "document/document_ports.h"

namespace ridgeview::platform {

class QtPictureLoader : public document::PictureLoader {
 public:
  // Sets QImageReader's process-wide allocation limit (ApplyImageAllocationLimit).
  QtPictureLoader();

  // Decodes the regular file at `path` (UTF-8) by its content, whatever its name says, with
  // no orientation applied. The result is a top-down Image of 24 bits, or 32 bits when the
  // picture has an alpha channel (see ImageFromQImage). None for a missing file, a folder, a
  // device or pipe (never opened, so nothing can block), undecodable data, or a picture
  // whose size exceeds the document's kMaxPixelBytes (refused before decoding).
  std::optional<document::Image> Load(const std::string& path) override;
};

}  // namespace ridgeview::platform
