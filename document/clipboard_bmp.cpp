#include "document/clipboard_bmp.h"

#include <new>

#include "document/bmp_file.h"
#include "document/clipboard_dib.h"

namespace ridgeview::document {

std::optional<std::vector<std::uint8_t>> ClipboardBmpDataToFile(std::span<const std::uint8_t> data) {
  if (data.size() >= 2 && data[0] == 'B' && data[1] == 'M') {
    if (!BmpBytesToImage(data)) {
      return std::nullopt;
    }
    try {
      return std::vector<std::uint8_t>(data.begin(), data.end());
    } catch (const std::bad_alloc&) {
      return std::nullopt;
    }
  }
  return WrapDibAsBmpFile(data);
}

}  // namespace ridgeview::document
