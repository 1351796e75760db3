// Describes a WSQ file: its frame facts, its NIST_COM entries and its segments.
#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace ridgeview::tools {

// The "name: value" lines printed by `ridgeview-wsq info`, or the codec's failure code with
// its message left on stderr. Only the headers are read (the coded data is listed as
// segments, not decoded), so this takes constant memory whatever the frame size.
int DescribeWsq(std::span<const std::uint8_t> file, std::string& text);

// One "segment: NAME OFFSET LENGTH" line per marker: the offset of the marker and the length
// of its segment including the marker; coded data after a block header is listed as "data".
std::string ListSegments(std::span<const std::uint8_t> file);

}  // namespace ridgeview::tools
