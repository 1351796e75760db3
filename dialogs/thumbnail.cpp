#include "dialogs/thumbnail.h"

#include <algorithm>

#include "document/scaled_copy.h"

namespace ridgeview::dialogs {
namespace {

// Fills the columns [x0, x1) of the rows [y0, y1), clipped to the image.
void FillClipped(document::Image& image, std::int64_t x0, std::int64_t y0, std::int64_t x1,
                 std::int64_t y1, Rgb colour) {
  x0 = std::max<std::int64_t>(x0, 0);
  y0 = std::max<std::int64_t>(y0, 0);
  x1 = std::min<std::int64_t>(x1, image.width);
  y1 = std::min<std::int64_t>(y1, static_cast<std::int64_t>(image.RowCount()));
  for (std::int64_t y = y0; y < y1; ++y) {
    std::uint8_t* row = image.TopDownRow(static_cast<std::uint64_t>(y));
    for (std::int64_t x = x0; x < x1; ++x) {
      std::uint8_t* pixel = row + x * 3;
      pixel[0] = colour.blue;
      pixel[1] = colour.green;
      pixel[2] = colour.red;
    }
  }
}

}  // namespace

double FitFactor(int imageWidth, int imageHeight, int frameWidth, int frameHeight) {
  if (imageWidth <= 0 || imageHeight <= 0 || frameWidth <= 0 || frameHeight <= 0) return 0.0;
  return std::max(static_cast<double>(imageWidth) / frameWidth,
                  static_cast<double>(imageHeight) / frameHeight);
}

std::optional<document::Image> MakeThumbnail(const document::Image& image, int frameWidth,
                                             int frameHeight) {
  if (!document::IsValidImage(image)) return std::nullopt;
  const document::ImageHeader header = document::QueryHeader(image);
  const document::ThumbnailSize size =
      document::FitThumbnail(header.width, header.height, frameWidth, frameHeight);
  if (size.width <= 0 || size.height <= 0) return std::nullopt;
  // Area averaging, as the view reduces: picking would show moiré on a print's ridges.
  document::ScaleMethod method;
  method.areaMean = true;
  method.footprint = FitFactor(header.width, header.height, frameWidth, frameHeight);
  return document::ScaledCopy(image, size.width, size.height, document::ScaleKind::kScreen,
                              method);
}

void DrawOutline(document::Image& image, const view::Rect& rect, Rgb colour) {
  if (rect.Empty() || image.bitsPerPixel != 24 || !image.IsTopDown() ||
      !document::IsValidImage(image)) {
    return;
  }
  const std::int64_t left = rect.x;
  const std::int64_t top = rect.y;
  const std::int64_t right = left + rect.w;    // exclusive
  const std::int64_t bottom = top + rect.h;    // exclusive
  FillClipped(image, left - 1, top - 1, right, top + 1, colour);        // top stroke
  FillClipped(image, left - 1, bottom - 2, right, bottom, colour);      // bottom stroke
  FillClipped(image, left - 1, top - 1, left + 1, bottom, colour);      // left stroke
  FillClipped(image, right - 2, top - 1, right, bottom, colour);        // right stroke
}

}  // namespace ridgeview::dialogs
