#include "document/dib_reader.h"

#include <limits>
#include <new>

#include "document/byte_order.h"

namespace ridgeview::document {

namespace {

constexpr std::uint32_t kCoreHeaderSize = 12;
constexpr std::uint32_t kInfoHeaderSize = 40;
constexpr std::uint64_t kMaxColourEntries = 256;

// A validated header: the Image without its pixels, and where things lie.
struct ParsedDib {
  Image image;
  DibLayout layout;
};

bool IsInfoHeaderSize(std::uint32_t size) {
  return size == 40 || size == 52 || size == 56 || size == 108 || size == 124;
}

// Reads `count` colour entries of `entrySize` bytes (4: blue, green, red, reserved; 3 in
// core headers) starting at `offset`; the caller has checked they lie within the block.
void ReadColourTable(std::span<const std::uint8_t> block, std::uint64_t offset,
                     std::uint64_t count, std::uint64_t entrySize, Image& image) {
  image.colourTable.resize(static_cast<std::size_t>(count));
  for (std::uint64_t i = 0; i < count; ++i) {
    const std::uint8_t* p = block.data() + offset + i * entrySize;
    image.colourTable[static_cast<std::size_t>(i)] = ColourEntry{p[0], p[1], p[2], 0};
  }
}

// Pixel array size from the geometry, refused above kMaxPixelBytes.
bool SetPixelBytes(ParsedDib& dib) {
  const std::uint64_t stride = dib.image.Stride();
  const std::uint64_t rows = dib.image.RowCount();
  if (stride == 0 || rows == 0 || stride > kMaxPixelBytes / rows) {
    return false;
  }
  dib.layout.pixelBytes = stride * rows;
  dib.image.imageBytes = static_cast<std::uint32_t>(dib.layout.pixelBytes);
  return true;
}

std::optional<ParsedDib> ParseCoreHeader(std::span<const std::uint8_t> block) {
  if (block.size() < kCoreHeaderSize) {
    return std::nullopt;
  }
  const std::uint8_t* h = block.data();
  ParsedDib dib;
  dib.layout.headerSize = kCoreHeaderSize;
  dib.image.width = ReadLe16(h + 4);
  dib.image.height = ReadLe16(h + 6);  // always bottom row first
  dib.image.planes = ReadLe16(h + 8);
  dib.image.bitsPerPixel = ReadLe16(h + 10);
  const std::uint16_t bpp = dib.image.bitsPerPixel;
  if (dib.image.width == 0 || dib.image.height == 0 || dib.image.planes != 1 ||
      (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 24)) {
    return std::nullopt;
  }
  if (bpp <= 8) {
    const std::uint64_t entries = std::uint64_t{1} << bpp;
    dib.layout.tableBytes = entries * 3;
    if (block.size() - kCoreHeaderSize < dib.layout.tableBytes) {
      return std::nullopt;
    }
    ReadColourTable(block, kCoreHeaderSize, entries, 3, dib.image);
  }
  if (!SetPixelBytes(dib)) {
    return std::nullopt;
  }
  return dib;
}

std::optional<ParsedDib> ParseInfoHeader(std::span<const std::uint8_t> block,
                                         std::uint32_t headerSize) {
  if (block.size() < headerSize) {
    return std::nullopt;
  }
  const std::uint8_t* h = block.data();
  ParsedDib dib;
  Image& image = dib.image;
  dib.layout.headerSize = headerSize;
  image.width = ReadLe32Signed(h + 4);
  image.height = ReadLe32Signed(h + 8);
  image.planes = ReadLe16(h + 12);
  image.bitsPerPixel = ReadLe16(h + 14);
  image.compression = ReadLe32(h + 16);
  image.imageBytes = ReadLe32(h + 20);
  image.xPixelsPerMetre = ReadLe32Signed(h + 24);
  image.yPixelsPerMetre = ReadLe32Signed(h + 28);
  image.coloursUsed = ReadLe32(h + 32);
  image.coloursImportant = ReadLe32(h + 36);

  if (image.width <= 0 || image.height == 0 ||
      image.height == std::numeric_limits<std::int32_t>::min() || image.planes != 1 ||
      !IsSupportedDepth(image.bitsPerPixel)) {
    return std::nullopt;
  }
  const std::uint16_t bpp = image.bitsPerPixel;
  const std::uint64_t room = block.size() - headerSize;  // bytes after the header
  if (image.compression == kCompressionBitFields) {
    if (bpp != 16 && bpp != 32) {
      return std::nullopt;
    }
    const std::uint8_t* masks = h + kInfoHeaderSize;  // inside the larger headers
    if (headerSize == kInfoHeaderSize) {
      dib.layout.tableBytes = 12;                     // after a 40-byte header
      if (room < dib.layout.tableBytes) {
        return std::nullopt;
      }
    }
    image.redMask = ReadLe32(masks);
    image.greenMask = ReadLe32(masks + 4);
    image.blueMask = ReadLe32(masks + 8);
    if (!AreValidMasks(image.redMask, image.greenMask, image.blueMask, bpp)) {
      return std::nullopt;
    }
  } else if (image.compression != kCompressionRgb) {
    return std::nullopt;  // run-length, embedded JPEG/PNG and the rest
  }
  if (bpp <= 8) {
    const std::uint64_t entries =
        image.coloursUsed == 0 ? (std::uint64_t{1} << bpp) : image.coloursUsed;
    if (entries > kMaxColourEntries) {
      return std::nullopt;
    }
    dib.layout.tableBytes = entries * 4;
    if (room < dib.layout.tableBytes) {
      return std::nullopt;
    }
    ReadColourTable(block, headerSize, entries, 4, image);
  }
  if (!SetPixelBytes(dib)) {
    return std::nullopt;
  }
  return dib;
}

std::optional<ParsedDib> ParseHeader(std::span<const std::uint8_t> block) {
  if (block.size() < 4) {
    return std::nullopt;
  }
  const std::uint32_t headerSize = ReadLe32(block.data());
  try {
    if (headerSize == kCoreHeaderSize) {
      return ParseCoreHeader(block);
    }
    if (IsInfoHeaderSize(headerSize)) {
      return ParseInfoHeader(block, headerSize);
    }
  } catch (const std::bad_alloc&) {
  }
  return std::nullopt;
}

}  // namespace

std::optional<DibLayout> ParseDibLayout(std::span<const std::uint8_t> block) {
  std::optional<ParsedDib> dib = ParseHeader(block);
  if (!dib) {
    return std::nullopt;
  }
  return dib->layout;
}

namespace {

// Takes the pixel array at `pixelOffset` into the parsed image.
std::optional<Image> TakePixels(ParsedDib& dib, std::span<const std::uint8_t> block,
                                std::uint64_t pixelOffset) {
  // The table ends within the block (checked by the parser), so the subtraction is safe.
  if (pixelOffset < dib.layout.PackedPixelOffset() || pixelOffset > block.size() ||
      block.size() - pixelOffset < dib.layout.pixelBytes) {
    return std::nullopt;
  }
  const std::uint8_t* first = block.data() + pixelOffset;
  try {
    dib.image.pixels.assign(first, first + dib.layout.pixelBytes);
  } catch (const std::bad_alloc&) {
    return std::nullopt;
  }
  return std::move(dib.image);
}

}  // namespace

std::optional<Image> DibToImageAt(std::span<const std::uint8_t> block, std::uint64_t pixelOffset) {
  std::optional<ParsedDib> dib = ParseHeader(block);
  if (!dib) {
    return std::nullopt;
  }
  return TakePixels(*dib, block, pixelOffset);
}

std::optional<Image> DibToImage(std::span<const std::uint8_t> block) {
  std::optional<ParsedDib> dib = ParseHeader(block);
  if (!dib) {
    return std::nullopt;
  }
  return TakePixels(*dib, block, dib->layout.PackedPixelOffset());
}

}  // namespace ridgeview::document
