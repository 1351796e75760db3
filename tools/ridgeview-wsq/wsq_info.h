// Describes a WSQ file: its frame facts, its NIST_COM entries and its segments, as read by
// the library's ridgeview_wsq_read_info().
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "ridgeview/wsq.h"

namespace ridgeview::tools {

// The "name: value" lines printed by `ridgeview-wsq info`; or the library's failure code,
// with its message (to be shown on stderr) in `error`. Only the headers are read (the coded
// data is listed as segments, not decoded), so this takes constant memory whatever the frame
// size.
int DescribeWsq(std::span<const std::uint8_t> file, std::string& text,
                ridgeview_wsq_error& error);

// "SOI", "DTT", ... for a marker; "data" and "unknown" for the other pieces of a file.
const char* SegmentName(unsigned marker);

// The facts, "NAME: value" per NIST_COM entry, then one "segment: NAME OFFSET LENGTH" line
// per piece of the file.
std::string InfoText(const ridgeview_wsq_info& info);

}  // namespace ridgeview::tools
