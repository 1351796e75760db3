#include "document/scaled_copy.h"

#include <algorithm>
#include <cmath>
#include <new>
#include <vector>

#include "document/area_mean.h"
#include "document/pixel_convert.h"
#include "document/pixel_reader.h"

namespace ridgeview::document {

namespace {

// Source index for each target index of an axis (nearest neighbour, left/top aligned).
std::vector<std::uint32_t> MapAxis(std::uint64_t sourceSize, std::uint64_t targetSize) {
  std::vector<std::uint32_t> map(static_cast<std::size_t>(targetSize));
  for (std::uint64_t i = 0; i < targetSize; ++i) {
    map[static_cast<std::size_t>(i)] = static_cast<std::uint32_t>(i * sourceSize / targetSize);
  }
  return map;
}

std::uint16_t Pack555(const Bgr& c) {
  return static_cast<std::uint16_t>(((c.red >> 3) << 10) | ((c.green >> 3) << 5) | (c.blue >> 3));
}

std::optional<Image> MakeTarget(std::int32_t w, std::int32_t h, ScaleKind kind) {
  if (kind == ScaleKind::kScreen) {
    return CreateImage(w, -h, 24);
  }
  std::optional<Image> target = CreateImage(w, h, 16);
  if (target) {
    target->compression = kCompressionBitFields;
    target->coloursUsed = 3;
    target->redMask = kRed555;
    target->greenMask = kGreen555;
    target->blueMask = kBlue555;
  }
  return target;
}

// Area-mean reduction of a valid source into a new target of the given kind.
std::optional<Image> AreaMeanCopy(const Image& source, std::int32_t w, std::int32_t h,
                                  ScaleKind kind, double footprint) {
  std::optional<Image> rendered;
  const Image* rgb = &source;
  if (source.bitsPerPixel != 24 || source.compression != kCompressionRgb) {
    rendered = RenderRgb24(source);
    if (!rendered) return std::nullopt;
    rgb = &*rendered;
  }
  // Top-down 24-bit rows for the reducer; a bottom-up source is walked from its last row.
  const std::uint64_t rows = rgb->RowCount();
  Bgr24Rows view;
  view.width = rgb->width;
  view.height = static_cast<std::int32_t>(rows);
  std::vector<std::uint8_t> flipped;
  if (rgb->IsTopDown()) {
    view.data = rgb->pixels.data();
    view.stride = static_cast<std::size_t>(rgb->Stride());
  } else {
    const std::size_t stride = static_cast<std::size_t>(rgb->Stride());
    flipped.resize(stride * rows);
    for (std::uint64_t y = 0; y < rows; ++y) {
      std::copy_n(rgb->TopDownRow(y), stride, flipped.data() + y * stride);
    }
    view.data = flipped.data();
    view.stride = stride;
  }
  std::optional<Image> target = MakeTarget(w, h, kind);
  if (!target) return std::nullopt;
  if (kind == ScaleKind::kScreen) {
    // MakeTarget made it top-down 24-bit: reduce straight into it.
    if (!AreaMeanReduce(view, footprint, w, h, ReducedFormat::kBgr24, target->TopDownRow(0),
                        static_cast<std::size_t>(target->Stride()), IsGray(view))) {
      return std::nullopt;
    }
    return target;
  }
  const std::size_t lineBytes = static_cast<std::size_t>(w) * 3;
  std::vector<std::uint8_t> reduced(lineBytes * static_cast<std::size_t>(h));
  if (!AreaMeanReduce(view, footprint, w, h, ReducedFormat::kBgr24, reduced.data(), lineBytes,
                      IsGray(view))) {
    return std::nullopt;
  }
  for (std::int32_t y = 0; y < h; ++y) {
    const std::uint8_t* src = reduced.data() + static_cast<std::size_t>(y) * lineBytes;
    std::uint8_t* dst = target->TopDownRow(static_cast<std::uint64_t>(y));
    for (std::int32_t x = 0; x < w; ++x, src += 3, dst += 2) {
      const std::uint16_t v = Pack555(Bgr{src[0], src[1], src[2]});
      dst[0] = static_cast<std::uint8_t>(v & 0xFF);
      dst[1] = static_cast<std::uint8_t>(v >> 8);
    }
  }
  return target;
}

}  // namespace

std::optional<Image> ScaledCopy(const Image& source, std::int32_t w, std::int32_t h,
                                ScaleKind kind, ScaleMethod method) {
  if (w <= 0 || h <= 0 || !IsValidImage(source)) {
    return std::nullopt;
  }
  try {
    if (method.areaMean && method.footprint > 1.0 && std::isfinite(method.footprint)) {
      return AreaMeanCopy(source, w, h, kind, method.footprint);
    }
    std::optional<Image> target = MakeTarget(w, h, kind);
    if (!target) {
      return std::nullopt;
    }
    // The axis maps are the identity when the sizes match, which makes the copy 1:1.
    const std::vector<std::uint32_t> xs = MapAxis(static_cast<std::uint64_t>(source.width),
                                                  static_cast<std::uint64_t>(w));
    const std::vector<std::uint32_t> ys = MapAxis(source.RowCount(), static_cast<std::uint64_t>(h));
    const PixelReader reader(source);
    for (std::int32_t y = 0; y < h; ++y) {
      const std::uint8_t* src = source.TopDownRow(ys[static_cast<std::size_t>(y)]);
      std::uint8_t* dst = target->TopDownRow(static_cast<std::uint64_t>(y));
      for (std::int32_t x = 0; x < w; ++x) {
        const Bgr c = reader.At(src, xs[static_cast<std::size_t>(x)]);
        if (kind == ScaleKind::kScreen) {
          dst[0] = c.blue;
          dst[1] = c.green;
          dst[2] = c.red;
          dst += 3;
        } else {
          const std::uint16_t v = Pack555(c);
          dst[0] = static_cast<std::uint8_t>(v & 0xFF);
          dst[1] = static_cast<std::uint8_t>(v >> 8);
          dst += 2;
        }
      }
    }
    return target;
  } catch (const std::bad_alloc&) {
    return std::nullopt;
  }
}

ThumbnailSize FitThumbnail(int imageWidth, int imageHeight, int frameWidth, int frameHeight) {
  if (imageWidth <= 0 || imageHeight <= 0 || frameWidth <= 0 || frameHeight <= 0) {
    return ThumbnailSize{};
  }
  const double f = std::max(static_cast<double>(imageWidth) / frameWidth,
                            static_cast<double>(imageHeight) / frameHeight);
  // W / f <= frame width, so both results fit an int.
  return ThumbnailSize{static_cast<int>(imageWidth * (1.0 / f)),
                       static_cast<int>(imageHeight * (1.0 / f))};
}

}  // namespace ridgeview::document
