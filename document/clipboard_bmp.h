// What the clipboard services do with image/bmp data before handing it to Paste. Programs
// put either a bitmap file there (a 14-byte file header, then the packed block) or, now and
// then, the bare packed block; Paste always receives a bitmap file.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace ridgeview::document {

// Bitmap file bytes for image/bmp clipboard data:
//   * data starting with "BM" is returned unchanged when it parses as a bitmap file
//     (BmpBytesToImage);
//   * any other data is taken as a bare packed block and returned behind a file header
//     (WrapDibAsBmpFile), when it parses as one.
// None when the data is neither, so that the caller can look for another image format.
std::optional<std::vector<std::uint8_t>> ClipboardBmpDataToFile(std::span<const std::uint8_t> data);

}  // namespace ridgeview::document
