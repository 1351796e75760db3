#include "app/frame_ports.h"

#include <utility>

#include "view/widget/image_view.h"

namespace ridgeview::app {

void ImageViewPort::SetImage(std::unique_ptr<document::Image> image,
                             std::optional<std::string> name, double zoom, int x, int y) {
  view_.SetImage(std::move(image), std::move(name), zoom, x, y);
}

bool ImageViewPort::ReplaceBitmap(std::unique_ptr<document::Image> image) {
  return view_.ReplaceBitmap(std::move(image));
}

const document::Image* ImageViewPort::Bitmap() const { return view_.bitmap(); }

int ImageViewPort::ContentWidth() const { return view_.contentSize().w; }

int ImageViewPort::ContentHeight() const { return view_.contentSize().h; }

double ImageViewPort::Zoom() const { return view_.zoom(); }

bool ImageViewPort::Smooth() const { return view_.smooth(); }

}  // namespace ridgeview::app
