// Writes a file so that it either appears complete or not at all: the bytes go to a
// temporary file in the same folder, which replaces the target only after it was flushed.
#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace ridgeview::tools {

// False (with `error` set and nothing left behind) when any step fails.
bool WriteOutputFile(const std::string& path, std::span<const std::uint8_t> bytes,
                     std::string& error);

}  // namespace ridgeview::tools
