#include "tools/ridgeview-wsq/thumbnail.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <memory>
#include <string>

#include "base/atomic_file.h"
#include "document/area_mean.h"
#include "document/pixel_convert.h"
#include "document/png_file.h"
#include "ridgeview/wsq.h"
#include "tools/ridgeview-wsq/commands.h"
#include "tools/ridgeview-wsq/gray_image_io.h"

namespace ridgeview::tools {

ThumbnailGeometry FitThumbnail(std::int32_t width, std::int32_t height, std::int32_t size) {
  const std::int32_t longer = std::max(width, height);
  if (longer <= size) return {width, height, 1.0};
  const double footprint = static_cast<double>(longer) / size;
  const auto side = [&](std::int32_t n) {
    return std::max<std::int32_t>(1, static_cast<std::int32_t>(std::lround(n / footprint)));
  };
  return {width == longer ? size : side(width), height == longer ? size : side(height),
          footprint};
}

std::optional<std::vector<std::uint8_t>> GrayThumbnailPng(std::span<const std::uint8_t> gray,
                                                          std::int32_t width,
                                                          std::int32_t height, std::int32_t size) {
  // The reduction works on 24-bit rows; a gray source averages one channel only.
  const std::optional<document::Image> rgb = document::GrayToImage(gray, width, height);
  if (!rgb) return std::nullopt;
  const ThumbnailGeometry fit = FitThumbnail(width, height, size);
  const std::size_t stride = document::Rgb24Stride(fit.width);
  std::vector<std::uint8_t> reduced;
  try {
    reduced.resize(stride * static_cast<std::size_t>(fit.height));
  } catch (const std::bad_alloc&) {
    return std::nullopt;
  }
  const document::Bgr24Rows source{rgb->pixels.data(), width, height,
                                   document::Rgb24Stride(width)};
  if (!document::AreaMeanReduce(source, fit.footprint, fit.width, fit.height,
                                document::ReducedFormat::kBgr24, reduced.data(), stride, true)) {
    return std::nullopt;
  }
  // Equal channels make an 8-bit gray PNG.
  return document::Rgb24ToPngFile(reduced, fit.width, fit.height);
}

int ThumbnailCommand(const std::vector<std::string>& args) {
  static const char* usage = "usage: ridgeview-wsq thumbnail [-s SIZE] IN.wsq OUT.png\n";
  std::int32_t size = 256;
  std::vector<std::string> files;
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (args[i] != "-s") {
      files.push_back(args[i]);
      continue;
    }
    const std::string value = i + 1 < args.size() ? args[++i] : "";
    const auto parsed = std::from_chars(value.data(), value.data() + value.size(), size);
    if (parsed.ec != std::errc() || parsed.ptr != value.data() + value.size() || size < 1 ||
        size > 65535) {
      std::cerr << "ridgeview-wsq: -s needs a size of 1 to 65535 pixels\n";
      return 2;
    }
  }
  if (files.size() != 2) {
    std::cerr << usage;
    return 2;
  }
  const std::string& in = files[0];
  const std::string& out = files[1];
  FileBytes file;
  std::string error;
  if (!ReadWholeFile(in, file, error)) {
    std::cerr << "ridgeview-wsq: " << in << ": " << error << "\n";
    return 1;
  }
  ridgeview_wsq_image image{};
  ridgeview_wsq_error codec_error;
  const int ret = ridgeview_wsq_decode(file.data(), file.size(), 0, &image, &codec_error);
  std::fputs(codec_error.message, stderr);
  ridgeview_wsq_release_cached_memory();
  if (ret != 0) {
    std::cerr << "ridgeview-wsq: " << in << ": cannot decode (code " << ret << ")\n";
    return 1;
  }
  const std::unique_ptr<unsigned char, void (*)(void*)> pixels(image.pixels, ridgeview_wsq_free);
  FileBytes().swap(file);
  const std::optional<std::vector<std::uint8_t>> png = GrayThumbnailPng(
      std::span<const std::uint8_t>(pixels.get(), static_cast<std::size_t>(image.width) *
                                                      static_cast<std::size_t>(image.height)),
      image.width, image.height, size);
  if (!png) {
    std::cerr << "ridgeview-wsq: " << in << ": no memory for the thumbnail\n";
    return 1;
  }
  if (!base::WriteFileAtomically(out, *png)) {
    std::cerr << "ridgeview-wsq: " << in << ": cannot write " << out << ": "
              << std::strerror(errno) << "\n";
    return 1;
  }
  return 0;
}

}  // namespace ridgeview::tools
