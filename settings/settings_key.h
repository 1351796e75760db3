// The one registry key under the current user that holds everything Ridgeview remembers: the
// view settings and the commands file-type registration replaced.
#pragma once

namespace ridgeview::settings {

inline constexpr char kSettingsKeyPath[] = "Software\\WTL\\Ridgeview";

}  // namespace ridgeview::settings
