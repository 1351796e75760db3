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

// The same as one JSON object on one line (no line end): file, size (bytes), width, height,
// ppi, encoder, software, nistcom (a list of {"name", "value"} in file order, since names
// may repeat) and segments (a list of {"marker", "offset", "length"}, marker by name).
std::string InfoJson(const std::string& file, std::size_t size, const ridgeview_wsq_info& info);

// A failure as one JSON object: file, the library's code with its name, and the codec's
// message as written (line ends included).
std::string FailureJson(const std::string& file, int code, const std::string& message);

// A file that could not be read: code null, name "UNREADABLE", the system's reason.
std::string UnreadableJson(const std::string& file, const std::string& reason);

// Reads the file's headers and gives its JSON object, or the failure's.
int DescribeWsqJson(const std::string& file, std::span<const std::uint8_t> bytes,
                    std::string& json);

}  // namespace ridgeview::tools
