// Shared pieces of the dialogs tests: a private temporary home for the whole test program
// (set before anything reads the environment), the Qt application, and a scratch desktop
// (user and system folders, desktop entries, MIME types) that each test builds from nothing.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "platform/desktop/scratch_desktop.h"

namespace ridgeview::dialogs::testing {

// The program-wide temporary root; HOME and the XDG variables point inside it.
const std::string& TestRoot();

using platform::testing::Exists;
using platform::testing::ReadFile;
using platform::testing::ScratchDesktop;
using platform::testing::WriteFile;

}  // namespace ridgeview::dialogs::testing
