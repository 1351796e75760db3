#include "dialogs/properties_values.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <vector>

#include "dialogs/program_location.h"
#include "document/image_file_type.h"

namespace ridgeview::dialogs {
namespace {

bool InGroup(gid_t group) {
  if (group == getegid()) return true;
  const int count = getgroups(0, nullptr);
  if (count <= 0) return false;
  std::vector<gid_t> groups(static_cast<std::size_t>(count));
  const int got = getgroups(count, groups.data());
  for (int i = 0; i < got; ++i) {
    if (groups[static_cast<std::size_t>(i)] == group) return true;
  }
  return false;
}

bool UserWriteBit(mode_t mode, uid_t owner, gid_t group) {
  if (owner == geteuid()) return (mode & S_IWUSR) != 0;
  if (InGroup(group)) return (mode & S_IWGRP) != 0;
  return (mode & S_IWOTH) != 0;
}

}  // namespace

std::string FileTypeText(std::string_view path, std::string_view desktopTypeName) {
  if (document::ImageFileTypeOf(std::string(path)) == document::ImageFileType::kWsq) {
    return "WSQ Image";
  }
  return std::string(desktopTypeName);
}

std::string LocationText(std::string_view path) { return FolderOf(path); }

std::string NameText(std::string_view path) { return FileNameOf(path); }

FileFacts ReadFileFacts(const std::string& path) {
  FileFacts facts;
  struct statx info {};
  if (path.empty() ||
      statx(AT_FDCWD, path.c_str(), 0, STATX_BASIC_STATS | STATX_BTIME, &info) != 0) {
    return facts;
  }
  facts = FactsFromStatx(info);
  facts.readOnly = access(path.c_str(), W_OK) != 0 ||
                   !UserWriteBit(info.stx_mode, info.stx_uid, info.stx_gid);
  return facts;
}

FileFacts FactsFromStatx(const struct statx& info) {
  FileFacts facts;
  facts.found = true;
  facts.size = info.stx_size;
  const auto flag = [&info](std::uint64_t attribute) {
    return (info.stx_attributes_mask & attribute) != 0 && (info.stx_attributes & attribute) != 0;
  };
  facts.encrypted = flag(STATX_ATTR_ENCRYPTED);
  facts.compressed = flag(STATX_ATTR_COMPRESSED);
  facts.created = (info.stx_mask & STATX_BTIME) != 0 ? info.stx_btime.tv_sec
                                                     : info.stx_ctime.tv_sec;
  return facts;
}

std::string FileSizeText(const FileFacts& facts) {
  if (!facts.found) return "0";
  const auto low = static_cast<std::uint32_t>(facts.size & 0xFFFFFFFFu);
  return std::to_string(static_cast<std::int32_t>(low));
}

std::string AttributesText(const FileFacts& facts) {
  if (!facts.found) return {};
  std::string text;
  if (facts.encrypted) text += "Encrypted, ";
  if (facts.compressed) text += "Compressed, ";
  if (facts.readOnly) text += "Read-only";
  if (text.ends_with(", ")) text.resize(text.size() - 2);
  return text;
}

std::string SizeText(std::int32_t width, std::int32_t height) {
  return "(h) " + std::to_string(width) + " x (v) " + std::to_string(height);
}

std::string ZoomText(double zoom) {
  // snprintf follows LC_NUMERIC; the view always shows a '.'.
  std::array<char, 64> text{};
  std::snprintf(text.data(), text.size(), "%.2f", zoom);
  std::string out(text.data());
  for (char& c : out) {
    if (c == ',') c = '.';
  }
  return out;
}

std::uint32_t ColourCount(const document::ImageHeader& header, bool wsqOrigin) {
  if (wsqOrigin) return 256;
  switch (header.bitsPerPixel) {
    case 1:
      return 2;
    case 2:
    case 4:
    case 8:
      return header.coloursUsed != 0 ? header.coloursUsed : (1u << header.bitsPerPixel);
    case 16:
      return header.compression == document::kCompressionBitFields ? 32768u : 65536u;
    case 24:
      return 16777216u;
    case 32:
      return 16777216u;
    default:
      return 0;
  }
}

ImagePageTexts ImageTexts(const document::ImageHeader& header, bool wsqOrigin) {
  ImagePageTexts texts;
  texts.size = SizeText(header.width, header.height);
  texts.colours = std::to_string(ColourCount(header, wsqOrigin));
  texts.bitsPerPixel = std::to_string(wsqOrigin ? 8u : header.bitsPerPixel);
  texts.imageBytes = std::to_string(wsqOrigin ? header.imageBytes / 3 : header.imageBytes);
  return texts;
}

}  // namespace ridgeview::dialogs
