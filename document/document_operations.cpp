// The operations that take the shown image out of the program (saving to a file, copying
// to the clipboard) and the one that brings a clipboard image in (paste). Loading is in
// document_loading.cpp.
#include "document/document_operations.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <optional>
#include <span>
#include <utility>
#include <vector>

#include "base/atomic_file.h"
#include "document/bmp_file.h"
#include "document/clipboard_dib.h"
#include "document/pixel_convert.h"
#include "document/png_file.h"
#include "document/save_format.h"
#include "ridgeview/wsq.h"

namespace ridgeview::document {

bool Document::SaveImage(const std::string& path, int filterIndex) {
  const Image* bitmap = view_.Bitmap();
  const std::optional<SaveFormat> format = SaveFormatFor(path, filterIndex);
  if (bitmap == nullptr || !format) {
    return false;
  }
  // One 24-bit, top-row-first rendering serves every format.
  std::optional<Image> rgb = RenderRgb24(*bitmap);
  if (!rgb) {
    ShowError(kMsgRenderTarget);
    return false;
  }
  const std::int32_t width = rgb->width;
  const auto height = static_cast<std::int32_t>(rgb->RowCount());
  if (rgb->pixels.empty() || rgb->pixels.size() < rgb->Stride() * rgb->RowCount()) {
    ShowError(kMsgRenderPixels);
    return false;
  }

  bool written = false;
  switch (*format) {
    case SaveFormat::kWsq: {
      std::optional<std::vector<std::uint8_t>> gray = Rgb24ToGray(rgb->pixels, width, height);
      rgb.reset();  // the gray bytes are all the encoder needs
      if (!gray) {
        ShowError(kMsgGrayMalloc);
        return false;
      }
      unsigned char* data = nullptr;
      std::size_t length = 0;
      ridgeview_wsq_error error;
      // The library always writes depth 8.
      const int ret = ridgeview_wsq_encode(gray->data(), width, height, kSaveBitRate, kSavePpi,
                                           "", 0, &data, &length, &error);
      // An encoder failure leaves the target untouched, and the user is told that nothing was
      // saved; the encoder's own message goes to stderr.
      std::fputs(error.message, stderr);
      const std::unique_ptr<unsigned char, void (*)(void*)> encoded(data, ridgeview_wsq_free);
      written = ret == 0 && base::WriteFileAtomically(
                                path, std::span<const std::uint8_t>(encoded.get(), length));
      ridgeview_wsq_release_cached_memory();
      break;
    }
    case SaveFormat::kBmp:
      written = WriteBmpFile(rgb->pixels, width, height, 24, path);
      break;
    case SaveFormat::kPng: {
      const std::optional<std::vector<std::uint8_t>> png =
          Rgb24ToPngFile(rgb->pixels, width, height);
      written = png && base::WriteFileAtomically(path, *png);
      break;
    }
  }
  if (!written) {
    ShowError(kMsgCannotSave + path);
    return false;
  }
  NoteFolderOf(path);
  return true;
}

bool Document::CopyImage() {
  std::optional<std::vector<std::uint8_t>> bmp;
  if (const Image* bitmap = view_.Bitmap()) {
    const double zoom = view_.Zoom();
    if (zoom > 0.0 && zoom < 1.0) {
      // Magnified: the image at 1.00; a magnified copy adds nothing and could be enormous.
      bmp = MakeClipboardBmp(*bitmap, bitmap->width,
                             static_cast<std::int32_t>(bitmap->RowCount()));
    } else {
      ScaleMethod method;
      method.areaMean = view_.Smooth() && zoom > 1.0;
      method.footprint = zoom;
      bmp = MakeClipboardBmp(*bitmap, view_.ContentWidth(), view_.ContentHeight(), method);
    }
  }
  if (bmp && clipboard_.PutBmp(*bmp)) {
    return true;
  }
  messages_.Show(kMsgCopyFailed, kProgramName, MessageIcon::Warning);
  return false;
}

bool Document::PasteImage() {
  std::unique_ptr<Image> image;
  if (const std::optional<std::vector<std::uint8_t>> data = clipboard_.GetBmp()) {
    image = Own(ClipboardBmpToImage(*data));
  }
  if (!image) {
    ShowError(kMsgPasteFailed);
    return false;
  }
  imagePath_.clear();
  folderWalk_.Forget();  // a pasted image has no place in a folder
  view_.SetImage(std::move(image), std::string(kPastedName), 1.0, -1, -1);
  wsqOrigin_ = false;
  EnableImageCommands(true);
  return true;
}

}  // namespace ridgeview::document
