#include "document/png_file.h"

#include <zlib.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <new>
#include <string_view>

#include "document/area_mean.h"
#include "document/pixel_convert.h"

namespace ridgeview::document {

namespace {

// Largest IDAT chunk this writer makes; the zlib stream is split over as many as needed.
constexpr std::size_t kIdatBytes = 1 << 16;

void PutBe32(std::vector<std::uint8_t>& out, std::uint32_t v) {
  out.push_back(static_cast<std::uint8_t>(v >> 24));
  out.push_back(static_cast<std::uint8_t>(v >> 16));
  out.push_back(static_cast<std::uint8_t>(v >> 8));
  out.push_back(static_cast<std::uint8_t>(v));
}

// Appends a chunk: length, type, data, and the CRC of type and data.
void PutChunk(std::vector<std::uint8_t>& out, std::string_view type,
              std::span<const std::uint8_t> data) {
  PutBe32(out, static_cast<std::uint32_t>(data.size()));
  const std::size_t typeAt = out.size();
  out.insert(out.end(), type.begin(), type.end());
  out.insert(out.end(), data.begin(), data.end());
  uLong crc = crc32(0L, Z_NULL, 0);
  crc = crc32_z(crc, out.data() + typeAt, type.size() + data.size());
  PutBe32(out, static_cast<std::uint32_t>(crc));
}

std::uint8_t Paeth(int a, int b, int c) {
  const int p = a + b - c;
  const int pa = std::abs(p - a);
  const int pb = std::abs(p - b);
  const int pc = std::abs(p - c);
  if (pa <= pb && pa <= pc) return static_cast<std::uint8_t>(a);
  if (pb <= pc) return static_cast<std::uint8_t>(b);
  return static_cast<std::uint8_t>(c);
}

// Filters `row` (previous row `prior`, all zero for the first) with each of the five filter
// types and leaves the one with the smallest sum of magnitudes in `best`, its type first.
class RowFilter {
 public:
  RowFilter(std::size_t rowBytes, std::size_t pixelBytes)
      : pixelBytes_(pixelBytes), trial_(rowBytes + 1), best_(rowBytes + 1) {}

  std::span<const std::uint8_t> Filter(std::span<const std::uint8_t> row,
                                       std::span<const std::uint8_t> prior) {
    std::uint64_t bestSum = UINT64_MAX;
    for (std::uint8_t type = 0; type < 5; ++type) {
      trial_[0] = type;
      std::uint64_t sum = 0;
      for (std::size_t i = 0; i < row.size(); ++i) {
        const int a = i >= pixelBytes_ ? row[i - pixelBytes_] : 0;
        const int b = prior[i];
        const int c = i >= pixelBytes_ ? prior[i - pixelBytes_] : 0;
        int predicted = 0;
        switch (type) {
          case 1: predicted = a; break;
          case 2: predicted = b; break;
          case 3: predicted = (a + b) / 2; break;
          case 4: predicted = Paeth(a, b, c); break;
          default: break;
        }
        const auto out = static_cast<std::uint8_t>(row[i] - predicted);
        trial_[i + 1] = out;
        sum += static_cast<std::uint64_t>(std::abs(static_cast<std::int8_t>(out)));
      }
      if (sum < bestSum) {
        bestSum = sum;
        best_.swap(trial_);
      }
    }
    return best_;
  }

 private:
  std::size_t pixelBytes_;
  std::vector<std::uint8_t> trial_;
  std::vector<std::uint8_t> best_;
};

// A zlib stream whose output goes into IDAT chunks of `file`.
class IdatWriter {
 public:
  explicit IdatWriter(std::vector<std::uint8_t>& file) : file_(file), buffer_(kIdatBytes) {
    ok_ = deflateInit(&stream_, Z_DEFAULT_COMPRESSION) == Z_OK;
  }
  ~IdatWriter() {
    if (ok_) deflateEnd(&stream_);
  }
  IdatWriter(const IdatWriter&) = delete;
  IdatWriter& operator=(const IdatWriter&) = delete;

  bool ok() const { return ok_; }

  bool Add(std::span<const std::uint8_t> bytes) { return Run(bytes, Z_NO_FLUSH); }
  bool Finish() { return Run({}, Z_FINISH); }

 private:
  bool Run(std::span<const std::uint8_t> bytes, int flush) {
    stream_.next_in = const_cast<Bytef*>(bytes.data());
    stream_.avail_in = static_cast<uInt>(bytes.size());
    for (;;) {
      stream_.next_out = buffer_.data() + used_;
      stream_.avail_out = static_cast<uInt>(buffer_.size() - used_);
      const int status = deflate(&stream_, flush);
      if (status == Z_STREAM_ERROR) return false;
      used_ = buffer_.size() - stream_.avail_out;
      if (used_ == buffer_.size() || (status == Z_STREAM_END && used_ > 0)) {
        PutChunk(file_, "IDAT", std::span<const std::uint8_t>(buffer_.data(), used_));
        used_ = 0;
      }
      if (status == Z_STREAM_END) return true;
      // More input is needed, or everything given went in and the buffer has room left.
      if (stream_.avail_in == 0 && stream_.avail_out != 0 && flush != Z_FINISH) return true;
    }
  }

  std::vector<std::uint8_t>& file_;
  std::vector<std::uint8_t> buffer_;
  std::size_t used_ = 0;
  z_stream stream_{};
  bool ok_ = false;
};

}  // namespace

std::optional<std::vector<std::uint8_t>> EncodePngFile(std::span<const std::uint8_t> pixels,
                                                       std::int32_t width, std::int32_t height,
                                                       std::uint64_t stride, PngColour colour) {
  if (width <= 0 || height <= 0) return std::nullopt;
  const std::size_t pixelBytes = colour == PngColour::kGray8 ? 1 : 3;
  const std::uint64_t rowBytes = static_cast<std::uint64_t>(width) * pixelBytes;
  const auto rows = static_cast<std::uint64_t>(height);
  if (stride < rowBytes || stride > kMaxPixelBytes ||
      pixels.size() / stride < rows - 1 || pixels.size() - stride * (rows - 1) < rowBytes) {
    return std::nullopt;
  }
  try {
    std::vector<std::uint8_t> file(std::begin(kPngSignature), std::end(kPngSignature));
    std::array<std::uint8_t, 13> header{};
    const auto putBe32 = [&header](std::size_t at, std::uint32_t v) {
      for (int i = 0; i < 4; ++i) header[at + i] = static_cast<std::uint8_t>(v >> (24 - 8 * i));
    };
    putBe32(0, static_cast<std::uint32_t>(width));
    putBe32(4, static_cast<std::uint32_t>(height));
    header[8] = 8;  // bits per sample
    header[9] = static_cast<std::uint8_t>(colour);
    // Compression 0 (deflate), filter method 0 and no interlace: the remaining zeros.
    PutChunk(file, "IHDR", header);

    IdatWriter idat(file);
    if (!idat.ok()) return std::nullopt;
    RowFilter filter(rowBytes, pixelBytes);
    std::vector<std::uint8_t> row(rowBytes);
    std::vector<std::uint8_t> prior(rowBytes, 0);
    for (std::uint64_t y = 0; y < rows; ++y) {
      const std::uint8_t* source = pixels.data() + y * stride;
      if (colour == PngColour::kGray8) {
        std::copy_n(source, rowBytes, row.begin());
      } else {
        for (std::uint64_t x = 0; x < rowBytes; x += 3) {
          row[x] = source[x + 2];
          row[x + 1] = source[x + 1];
          row[x + 2] = source[x];
        }
      }
      if (!idat.Add(filter.Filter(row, prior))) return std::nullopt;
      row.swap(prior);
    }
    if (!idat.Finish()) return std::nullopt;
    PutChunk(file, "IEND", {});
    return file;
  } catch (const std::bad_alloc&) {
    return std::nullopt;
  }
}

std::optional<std::vector<std::uint8_t>> Rgb24ToPngFile(std::span<const std::uint8_t> rows,
                                                        std::int32_t width, std::int32_t height) {
  const bool whole = width > 0 && height > 0 &&
                     rows.size() / Rgb24Stride(width) >= static_cast<std::uint64_t>(height);
  if (!whole || !IsGray(Bgr24Rows{rows.data(), width, height,
                                  static_cast<std::size_t>(Rgb24Stride(width))})) {
    return EncodePngFile(rows, width, height, Rgb24Stride(width), PngColour::kRgb24);
  }
  // Equal channels: their mean is the value itself.
  const std::optional<std::vector<std::uint8_t>> gray = Rgb24ToGray(rows, width, height);
  if (!gray) return std::nullopt;
  return EncodePngFile(*gray, width, height, static_cast<std::uint64_t>(width),
                       PngColour::kGray8);
}

}  // namespace ridgeview::document
