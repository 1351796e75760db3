// The desktop clipboard, exchanging bitmaps as image/bmp (a bitmap file: the 14-byte file
// header, then the packed block) and, for programs that prefer it, image/png.
#pragma once

#include <QClipboard>
#include <QString>
#include <cstdint>
#include <optional>
#include <vector>

#include "document/document_ports.h"

namespace ridgeview::platform {

inline constexpr const char* kMimeBmp = "image/bmp";
inline constexpr const char* kMimePng = "image/png";

class QtClipboardService : public document::ClipboardService {
 public:
  // Uses the application's clipboard (QGuiApplication::clipboard()), in `mode`. Sets
  // QImageReader's allocation limit (ApplyImageAllocationLimit).
  explicit QtClipboardService(QClipboard::Mode mode = QClipboard::Clipboard);

  // Offers `bmpFile` unchanged as image/bmp and the same pixels, rendered to 24 bits, as
  // image/png. False, leaving the clipboard as it was, when the bytes are not a bitmap file
  // this program can read, the PNG cannot be made, or there is no clipboard.
  bool PutBmp(const std::vector<std::uint8_t>& bmpFile) override;

  // image/bmp first: a bitmap file as offered, or a bare packed block behind a new file
  // header (ClipboardBmpDataToFile). When there is no image/bmp, or it does not parse, every
  // other image/* format offered is decoded (ReadImage: size checked first) and then the
  // clipboard's own image; the first that gives an Image is returned as a bitmap file of its
  // depth (24 or 32 bits, top row first). None when nothing usable is there.
  std::optional<std::vector<std::uint8_t>> GetBmp() override;

  // Whether an image GetBmp can read is offered: image/bmp, a type the image reader reads,
  // or Qt's own image data.
  bool HasImage() override;

 private:
  QClipboard::Mode mode_;
};

}  // namespace ridgeview::platform
