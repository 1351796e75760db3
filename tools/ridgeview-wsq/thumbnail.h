// Thumbnails of WSQ files for file managers: the image reduced by area averaging to fit a
// square, as an 8-bit gray PNG.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace ridgeview::tools {

struct ThumbnailGeometry {
  std::int32_t width;
  std::int32_t height;
  double footprint;  // source pixels per thumbnail pixel, 1 when the image already fits
};

// The size of the thumbnail of a width x height image within size x size: the longer side
// becomes `size`, the other keeps the proportion (rounded, at least 1); an image that fits
// keeps its size (never enlarged).
ThumbnailGeometry FitThumbnail(std::int32_t width, std::int32_t height, std::int32_t size);

// The PNG file of the thumbnail of width x height gray bytes (top row first, rows packed),
// reduced as the viewer reduces a view: each thumbnail pixel is the area-weighted mean of the
// pixels it covers. None when memory is short.
std::optional<std::vector<std::uint8_t>> GrayThumbnailPng(std::span<const std::uint8_t> gray,
                                                          std::int32_t width,
                                                          std::int32_t height, std::int32_t size);

}  // namespace ridgeview::tools
