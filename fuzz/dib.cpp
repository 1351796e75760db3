// Fuzz target of the bitmap parsers: packed blocks (clipboard) and bitmap files. Every image
// they accept must satisfy the model's invariants and survive every conversion and a
// round trip through the writers; any violation traps so that the fuzzer keeps the input.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "document/bmp_file.h"
#include "document/clipboard_dib.h"
#include "document/dib_reader.h"
#include "document/image.h"
#include "document/pixel_convert.h"
#include "document/scaled_copy.h"

namespace {

using namespace ridgeview::document;

void Check(bool condition) {
  if (!condition) {
    __builtin_trap();
  }
}

void Exercise(const Image& image) {
  Check(IsValidImage(image));
  Check(image.pixels.size() == image.imageBytes);
  const ImageHeader header = QueryHeader(image);
  Check(header.width == image.width && header.height > 0);

  const std::optional<Image> rgb = RenderRgb24(image);
  Check(rgb.has_value());
  const auto gray = Rgb24ToGray(rgb->pixels, rgb->width, header.height);
  Check(gray.has_value());

  // The saved bitmap reads back as the very same 24-bit rows.
  const auto file = ImageToBmpFile(image);
  Check(file.has_value());
  const auto reread = BmpBytesToImage(*file);
  Check(reread.has_value() && reread->pixels == rgb->pixels);

  // Small scaled copies of both kinds, and the clipboard block read back.
  const ThumbnailSize thumb = FitThumbnail(image.width, header.height, 7, 5);
  if (thumb.width > 0 && thumb.height > 0) {
    Check(ScaledCopy(image, thumb.width, thumb.height, ScaleKind::kScreen).has_value());
  }
  const auto block = MakeClipboardDib(image, 3, 2);
  Check(block.has_value());
  const auto pasted = DibToImage(*block);
  Check(pasted.has_value() && pasted->width == 3 && pasted->height == 2);
  const auto wrapped = WrapDibAsBmpFile(*block);
  Check(wrapped.has_value());
  const auto pastedFile = ClipboardBmpToImage(*wrapped);
  Check(pastedFile.has_value() && pastedFile->pixels == pasted->pixels);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::span<const std::uint8_t> bytes(data, size);
  if (const auto image = DibToImage(bytes)) {
    const auto layout = ParseDibLayout(bytes);
    Check(layout.has_value() && layout->pixelBytes == image->pixels.size());
    Exercise(*image);
  }
  if (const auto image = BmpBytesToImage(bytes)) {
    Exercise(*image);
  }
  if (const auto image = ClipboardBmpToImage(bytes)) {
    Check(IsValidImage(*image));
  }
  return 0;
}
