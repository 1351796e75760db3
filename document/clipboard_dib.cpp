#include "document/clipboard_dib.h"

#include <algorithm>
#include <new>

#include "document/bmp_file.h"
#include "document/byte_order.h"
#include "document/dib_reader.h"
#include "document/scaled_copy.h"

namespace ridgeview::document {

namespace {

bool IsClipboardReady(const Image& image, std::int32_t w, std::int32_t h) {
  return image.bitsPerPixel == 16 && image.compression == kCompressionBitFields &&
         image.width == w && image.height == h && IsValidImage(image);
}

}  // namespace

std::optional<std::vector<std::uint8_t>> MakeClipboardDib(const Image& image, std::int32_t w,
                                                          std::int32_t h, ScaleMethod method) {
  if (w <= 0 || h <= 0) {
    return std::nullopt;
  }
  std::optional<Image> scaled;
  const Image* source = &image;
  if (!IsClipboardReady(image, w, h)) {
    scaled = ScaledCopy(image, w, h, ScaleKind::kClipboard, method);
    if (!scaled) {
      return std::nullopt;
    }
    source = &*scaled;
  }
  // A valid image of w x h at 16 bits: stride x h is within kMaxPixelBytes.
  const std::uint64_t imageSize = source->Stride() * static_cast<std::uint64_t>(h);
  std::vector<std::uint8_t> block;
  try {
    block.assign(kClipboardDibHeaderSize + imageSize, 0);
  } catch (const std::bad_alloc&) {
    return std::nullopt;
  }
  std::uint8_t* p = block.data();
  WriteLe32(p, 40);
  WriteLe32(p + 4, static_cast<std::uint32_t>(w));
  WriteLe32(p + 8, static_cast<std::uint32_t>(h));
  WriteLe16(p + 12, 1);
  WriteLe16(p + 14, 16);
  WriteLe32(p + 16, kCompressionBitFields);
  WriteLe32(p + 20, static_cast<std::uint32_t>(imageSize));
  WriteLe32(p + 32, 3);
  WriteLe32(p + 40, source->redMask);
  WriteLe32(p + 44, source->greenMask);
  WriteLe32(p + 48, source->blueMask);
  std::copy_n(source->pixels.data(), imageSize, p + kClipboardDibHeaderSize);
  return block;
}

std::optional<std::vector<std::uint8_t>> WrapDibAsBmpFile(std::span<const std::uint8_t> dib) {
  const std::optional<DibLayout> layout = ParseDibLayout(dib);
  if (!layout) {
    return std::nullopt;
  }
  const std::uint64_t pixelOffset = layout->PackedPixelOffset();
  if (dib.size() - pixelOffset < layout->pixelBytes ||
      dib.size() > 0xFFFFFFFFu - kBmpFileHeaderSize) {
    return std::nullopt;
  }
  std::vector<std::uint8_t> file;
  try {
    file.assign(kBmpFileHeaderSize + dib.size(), 0);
  } catch (const std::bad_alloc&) {
    return std::nullopt;
  }
  std::uint8_t* p = file.data();
  p[0] = 'B';
  p[1] = 'M';
  WriteLe32(p + 2, static_cast<std::uint32_t>(kBmpFileHeaderSize + dib.size()));
  WriteLe32(p + 10, static_cast<std::uint32_t>(kBmpFileHeaderSize + pixelOffset));
  std::copy(dib.begin(), dib.end(), p + kBmpFileHeaderSize);
  return file;
}

std::optional<std::vector<std::uint8_t>> MakeClipboardBmp(const Image& image, std::int32_t w,
                                                          std::int32_t h, ScaleMethod method) {
  const std::optional<std::vector<std::uint8_t>> dib = MakeClipboardDib(image, w, h, method);
  if (!dib) {
    return std::nullopt;
  }
  return WrapDibAsBmpFile(*dib);
}

std::optional<Image> ClipboardBmpToImage(std::span<const std::uint8_t> data) {
  if (data.size() >= 2 && data[0] == 'B' && data[1] == 'M') {
    return BmpBytesToImage(data);
  }
  return DibToImage(data);
}

}  // namespace ridgeview::document
