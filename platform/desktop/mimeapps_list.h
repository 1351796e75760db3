// Reading and editing mimeapps.list text (and the same-shaped defaults.list and
// mimeinfo.cache). Edits touch only the one line they must: every other line, group,
// comment and blank keeps its bytes and its place.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace ridgeview::platform {

inline constexpr std::string_view kDefaultApplicationsGroup = "Default Applications";

// The desktop IDs listed for `mimeType` in the first line with that key inside `group`
// (e.g. "image/jpeg=a.desktop;b.desktop;" gives {a.desktop, b.desktop}). Blanks around the
// key, the '=' and each ID are ignored; empty items are dropped.
std::vector<std::string> ListedApplications(std::string_view text, std::string_view group,
                                            std::string_view mimeType);

// Makes `desktopId` the first application listed for `mimeType` in [Default Applications]:
// the first line for the type is rewritten as the ID followed by the IDs it listed before
// (without a second copy of the ID, and without `droppedId` when given); without such a line
// one is added at the end of the first [Default Applications] group; without that group,
// the group is appended at the end.
std::string SetDefaultApplication(std::string_view text, std::string_view mimeType,
                                  std::string_view desktopId, std::string_view droppedId = {});

// Removes every line for `mimeType` from every [Default Applications] group. `changed`
// tells whether any line was removed.
std::string RemoveDefaultApplication(std::string_view text, std::string_view mimeType,
                                     bool& changed);

}  // namespace ridgeview::platform
