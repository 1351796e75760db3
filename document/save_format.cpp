#include "document/save_format.h"

#include "document/image_file_type.h"

namespace ridgeview::document {

std::optional<SaveFormat> SaveFormatOfFilter(int filterIndex) {
  switch (filterIndex) {
    case kSaveFilterWsq: return SaveFormat::kWsq;
    case kSaveFilterBmp: return SaveFormat::kBmp;
    case kSaveFilterPng: return SaveFormat::kPng;
    default: return std::nullopt;
  }
}

std::optional<SaveFormat> SaveFormatOfName(std::string_view path) {
  switch (ImageTypeFromName(path)) {
    case ImageFileType::kWsq: return SaveFormat::kWsq;
    case ImageFileType::kBmp: return SaveFormat::kBmp;
    case ImageFileType::kPng: return SaveFormat::kPng;
    default: return std::nullopt;  // readable, but not a format the program writes
  }
}

std::string_view SaveExtension(SaveFormat format) {
  switch (format) {
    case SaveFormat::kWsq: return "wsq";
    case SaveFormat::kBmp: return "bmp";
    case SaveFormat::kPng: return "png";
  }
  return {};
}

std::string SaveTargetPath(std::string_view typed, int filterIndex) {
  std::string path(typed);
  const std::optional<SaveFormat> filter = SaveFormatOfFilter(filterIndex);
  if (filter && !SaveFormatOfName(typed) && !path.empty() && path.back() != '/') {
    path += '.';
    path += SaveExtension(*filter);
  }
  return path;
}

std::optional<SaveFormat> SaveFormatFor(std::string_view path, int filterIndex) {
  const std::optional<SaveFormat> filter = SaveFormatOfFilter(filterIndex);
  if (!filter) return std::nullopt;
  return SaveFormatOfName(path).value_or(*filter);
}

}  // namespace ridgeview::document
