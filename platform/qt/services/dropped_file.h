// What a drag onto the window carries, as the frame needs it: the local file to open.
#pragma once

#include <optional>
#include <string>

class QMimeData;

namespace ridgeview::platform {

// The first URL of `data`'s text/uri-list that names a local file which is not a folder, as
// a path in the file system's encoding; none without one (no URL list, only remote URLs or
// folders, or no data at all). The file need not exist: opening it tells the user why not.
std::optional<std::string> DroppedLocalFile(const QMimeData* data);

}  // namespace ridgeview::platform
