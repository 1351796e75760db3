// Which kind of image file a file is: told by its first bytes, and only when they match no
// known kind, by the extension of its name (in any letter case).
//
// Content comes first because names lie: cameras write "IMG_0001.JPG", other programs
// "scan.jpeg", and a folder may be called "prints.wsq". The extension is the part of the
// file name (after the last '/') after its last '.', so a folder's name never decides.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace ridgeview::document {

enum class ImageFileType { kUnknown, kWsq, kBmp, kJpeg, kPng, kGif };

// Bytes SniffImageType needs at most.
inline constexpr std::size_t kSniffBytes = 4;

// The kind told by a file's first bytes: FF A0 WSQ (its SOI marker), "BM" BMP, FF D8 FF JPEG,
// 89 "PNG" PNG, "GIF8" GIF. kUnknown when they match none (fewer bytes than a signature
// needs match nothing).
ImageFileType SniffImageType(std::span<const std::uint8_t> head);

// The kind told by the extension of the file name in `path`, compared without regard to
// letter case: "wsq", "bmp", "jpg", "jpeg", "png", "gif". kUnknown for any other extension,
// for a file name without '.', and for a path ending in '/'.
ImageFileType ImageTypeFromName(std::string_view path);

// Up to kSniffBytes first bytes of the regular file at `path`; empty when it is missing,
// unreadable, empty or not a regular file. A pipe or device is never waited on.
std::vector<std::uint8_t> ReadFileHead(const std::string& path);

// The content's kind when its first bytes match one, else the name's (ImageTypeFromName).
ImageFileType ImageFileTypeOf(const std::string& path);

// Whether the regular file at `path` is an image by its first bytes alone.
bool IsImageByContent(const std::string& path);

}  // namespace ridgeview::document
