// Conversions between Qt's QImage and the document's Image, and the guarded decoding of any
// image format Qt reads. Shared by the picture loader and the clipboard.
#pragma once

#include <QImage>
#include <QImageReader>
#include <optional>

#include "document/image.h"

namespace ridgeview::platform {

// Limits QImageReader's allocations (process-wide) to the largest pixel array an Image may
// have, so that a decoder never reserves more than the document could hold.
void ApplyImageAllocationLimit();

// A top-down Image of the same pixels: 32 bits per pixel (blue, green, red, alpha bytes; not
// premultiplied) when the image has an alpha channel, else 24 bits (blue, green, red).
// Compression 0, no colour table. None for a null image, one larger than kMaxPixelBytes, or
// when memory is short.
std::optional<document::Image> ImageFromQImage(const QImage& source);

// A QImage (Format_BGR888) of any valid Image, rendered to 24 bits. Null when the image is
// not valid or memory is short.
QImage QImageFromImage(const document::Image& image);

// Decodes what `reader` is set up for, without applying any orientation the file states.
// The image size is read first: an empty size, or one whose 24-bit pixel array would exceed
// kMaxPixelBytes, is refused before anything is decoded. None when the data cannot be read.
std::optional<document::Image> ReadImage(QImageReader& reader);

}  // namespace ridgeview::platform
