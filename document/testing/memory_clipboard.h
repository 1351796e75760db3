// A clipboard in memory with the behaviour of the desktop one (platform/qt/services): it holds
// the image/bmp data as offered and, for GetBmp, hands back a bitmap file made from it by
// ClipboardBmpDataToFile. Header-only; links with ridgeview_document.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "document/clipboard_bmp.h"
#include "document/document_ports.h"

namespace ridgeview::document::testing {

class MemoryClipboard : public ClipboardService {
 public:
  bool PutBmp(const std::vector<std::uint8_t>& bmpFile) override {
    ++putCalls;
    if (refusePut) {
      return false;
    }
    bmpData = bmpFile;
    return true;
  }
  std::optional<std::vector<std::uint8_t>> GetBmp() override {
    ++getCalls;
    if (!bmpData) {
      return std::nullopt;
    }
    return ClipboardBmpDataToFile(*bmpData);
  }
  bool HasImage() override { return bmpData.has_value(); }

  // What another program offered as image/bmp (a bitmap file or a bare packed block), or
  // nothing for an empty clipboard.
  std::optional<std::vector<std::uint8_t>> bmpData;
  bool refusePut = false;  // PutBmp answers false and keeps the old contents
  int putCalls = 0;
  int getCalls = 0;
};

}  // namespace ridgeview::document::testing
