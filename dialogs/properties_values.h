// The texts of the properties sheet, computed without any widget: what the File, Image and
// View pages show for a path, a file's facts, an image header and the view's numbers.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

struct statx;

#include "document/image.h"

namespace ridgeview::dialogs {

// File page.

// "WSQ Image" when the file at `path` is a WSQ file: by its first bytes, or, when they tell
// no image kind (a missing file, say), by its name's extension in any letter case
// (document::ImageFileTypeOf). Else the desktop's type name for the file.
std::string FileTypeText(std::string_view path, std::string_view desktopTypeName);
// Location: the path before its last '/', empty when it has none. Name: the part after it.
std::string LocationText(std::string_view path);
std::string NameText(std::string_view path);

// What the file system says about a file.
struct FileFacts {
  bool found = false;
  std::uint64_t size = 0;
  bool readOnly = false;
  bool encrypted = false;   // the file system stores it encrypted (statx attribute)
  bool compressed = false;  // the file system stores it compressed (statx attribute)
  // Seconds since the epoch of the file's birth where the file system records one (statx),
  // else of its last status change; none when the file was not found.
  std::optional<std::int64_t> created;
};

// Reads the facts of the file at `path` (following symbolic links). A file is read-only
// when this user may not write it: write access is refused, or the permission bits that
// apply to the user (owner, group or other) have no write bit, which also covers the
// superuser, whom access() never refuses.
FileFacts ReadFileFacts(const std::string& path);
// The facts in a statx record of a found file; readOnly is left to the caller (it needs the
// path). An attribute counts only where the file system reports it (stx_attributes_mask).
FileFacts FactsFromStatx(const struct statx& info);

// Size: the low 32 bits of the size as a signed decimal number; "0" when not found.
std::string FileSizeText(const FileFacts& facts);
// Attributes: "Encrypted, ", "Compressed, " and "Read-only" in that order for the file's
// flags, with a trailing ", " removed; empty when not found. The archive flag has no Linux
// counterpart.
std::string AttributesText(const FileFacts& facts);

// Image and View pages.

// "(h) %d x (v) %d".
std::string SizeText(std::int32_t width, std::int32_t height);
// The zoom as "%.2f" with a '.' whatever the locale.
std::string ZoomText(double zoom);

// The colour count shown for an image: 256 for a WSQ image; else 2 for 1 bit, colours used
// (or 2^depth when 0) for 2, 4 and 8 bits, 32768 for 16 bits with bit fields, 65536 for 16
// bits without, and 16777216 for 24 and 32 bits (32-bit pixels without bit fields hold 8
// bits per channel and an alpha or unused byte: the same colours as 24 bits).
std::uint32_t ColourCount(const document::ImageHeader& header, bool wsqOrigin);

struct ImagePageTexts {
  std::string size;        // "(h) W x (v) H"
  std::string colours;     // ColourCount
  std::string bitsPerPixel;  // 8 for a WSQ image
  std::string imageBytes;    // header image bytes, divided by 3 for a WSQ image
};
ImagePageTexts ImageTexts(const document::ImageHeader& header, bool wsqOrigin);

}  // namespace ridgeview::dialogs
