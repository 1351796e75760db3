#include "document/bmp_file.h"

#include <algorithm>
#include <fstream>
#include <new>
#include <system_error>

#include "base/atomic_file.h"
#include "document/byte_order.h"
#include "document/dib_reader.h"
#include "document/pixel_convert.h"

namespace ridgeview::document {

namespace {

// Largest file LoadBmpFile reads: the largest pixel array plus room for headers, colour
// table and a gap before the pixels.
constexpr std::uint64_t kMaxBmpFileBytes = kMaxPixelBytes + (std::uint64_t{1} << 20);

}  // namespace

std::optional<std::vector<std::uint8_t>> EncodeBmpFile(std::span<const std::uint8_t> rows,
                                                       std::int32_t width, std::int32_t height,
                                                       std::uint16_t bitsPerPixel) {
  if (width <= 0 || height <= 0 || (bitsPerPixel != 24 && bitsPerPixel != 32)) {
    return std::nullopt;
  }
  const std::uint64_t rowBytes = static_cast<std::uint64_t>(width) * (bitsPerPixel / 8);
  const std::uint64_t stride = (rowBytes + 3) / 4 * 4;
  const std::uint64_t count = static_cast<std::uint64_t>(height);
  if (stride > kMaxPixelBytes / count || rows.size() < stride * count) {
    return std::nullopt;
  }
  const std::uint32_t imageSize = static_cast<std::uint32_t>(stride * count);

  std::vector<std::uint8_t> file;
  try {
    file.assign(kBmpHeadersSize + imageSize, 0);
  } catch (const std::bad_alloc&) {
    return std::nullopt;
  }
  std::uint8_t* p = file.data();
  p[0] = 'B';
  p[1] = 'M';
  WriteLe32(p + 2, static_cast<std::uint32_t>(kBmpHeadersSize) + imageSize);
  WriteLe32(p + 10, static_cast<std::uint32_t>(kBmpHeadersSize));
  WriteLe32(p + 14, 40);
  WriteLe32(p + 18, static_cast<std::uint32_t>(width));
  WriteLe32(p + 22, static_cast<std::uint32_t>(-height));  // rows stored top row first
  WriteLe16(p + 26, 1);
  WriteLe16(p + 28, bitsPerPixel);
  WriteLe32(p + 34, imageSize);
  // Compression, pixels per metre, colours used and important stay 0.
  std::copy_n(rows.data(), imageSize, p + kBmpHeadersSize);
  return file;
}

bool WriteBmpFile(std::span<const std::uint8_t> rows, std::int32_t width, std::int32_t height,
                  std::uint16_t bitsPerPixel, const std::filesystem::path& path) {
  const std::optional<std::vector<std::uint8_t>> file =
      EncodeBmpFile(rows, width, height, bitsPerPixel);
  return file && base::WriteFileAtomically(path, *file);
}

std::optional<std::vector<std::uint8_t>> ImageToBmpFile(const Image& image) {
  const std::optional<Image> rgb = RenderRgb24(image);
  if (!rgb) {
    return std::nullopt;
  }
  return EncodeBmpFile(rgb->pixels, rgb->width, static_cast<std::int32_t>(rgb->RowCount()), 24);
}

std::optional<Image> BmpBytesToImage(std::span<const std::uint8_t> bytes) {
  if (bytes.size() < kBmpFileHeaderSize || bytes[0] != 'B' || bytes[1] != 'M') {
    return std::nullopt;
  }
  const std::uint32_t pixelOffset = ReadLe32(bytes.data() + 10);
  if (pixelOffset < kBmpFileHeaderSize) {
    return std::nullopt;
  }
  return DibToImageAt(bytes.subspan(kBmpFileHeaderSize), pixelOffset - kBmpFileHeaderSize);
}

std::optional<Image> LoadBmpFile(const std::filesystem::path& path) {
  std::error_code ec;
  const std::uintmax_t size = std::filesystem::file_size(path, ec);
  if (ec || size > kMaxBmpFileBytes) {
    return std::nullopt;
  }
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    return std::nullopt;
  }
  std::vector<std::uint8_t> bytes;
  try {
    bytes.resize(static_cast<std::size_t>(size));
  } catch (const std::bad_alloc&) {
    return std::nullopt;
  }
  in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  // A file that shrank while being read is cut to what was read and judged as such.
  bytes.resize(static_cast<std::size_t>(in.gcount()));
  return BmpBytesToImage(bytes);
}

}  // namespace ridgeview::document
