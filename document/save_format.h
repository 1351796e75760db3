// The formats the Save command writes, and how the name the user typed and the filter chosen
// in the save dialog decide between them.
//
// A name ending in a known extension (".wsq", ".bmp", ".png", in any letter case) is saved in
// that format whatever filter is chosen, so that a file's name never lies about its content.
// A name without one gets the chosen filter's extension appended, before the dialog asks
// whether to replace an existing file.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace ridgeview::document {

enum class SaveFormat { kWsq, kBmp, kPng };

// 1-based positions of the save dialog's filter entries.
inline constexpr int kSaveFilterWsq = 1;  // "WSQ Files (*.wsq)"
inline constexpr int kSaveFilterBmp = 2;  // "Bitmap Files (*.bmp)"
inline constexpr int kSaveFilterPng = 3;  // "PNG Files (*.png)"

// The format of filter position `filterIndex`; none for any other position.
std::optional<SaveFormat> SaveFormatOfFilter(int filterIndex);

// The format named by the extension of the file name in `path` (after its last '/' and last
// '.'), compared without regard to letter case; none for any other extension or none.
std::optional<SaveFormat> SaveFormatOfName(std::string_view path);

// "wsq", "bmp" or "png".
std::string_view SaveExtension(SaveFormat format);

// The path to save to for the name typed with filter `filterIndex` chosen: `typed` itself
// when its name has a known extension or the filter position is unknown, else `typed` + "."
// + the filter's extension ("scan" gives "scan.wsq", "photo.jpg" gives "photo.jpg.wsq").
std::string SaveTargetPath(std::string_view typed, int filterIndex);

// The format a file saved at `path` with filter `filterIndex` gets: the name's when it has a
// known extension, else the filter's; none when the filter position is unknown.
std::optional<SaveFormat> SaveFormatFor(std::string_view path, int filterIndex);

}  // namespace ridgeview::document
