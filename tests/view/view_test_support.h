// Shared set-up of the view core tests.
#pragma once

#include "view/core/view_core.h"

namespace ridgeview::view::testing {

// SetImage's "centre the image" start point.
inline constexpr Point kCentre{-1, -1};

// A core with a client of `client` showing an image of `image` at zoom 1.00, centred.
inline ViewCore ShownView(bool scrollBarsOn, Size image, Size client,
                          Size workArea = {240, 268}) {
  ViewCore view(scrollBarsOn);
  view.Resize(client);
  view.SetImage(image, "scan", 1.0, kCentre, workArea);
  return view;
}

}  // namespace ridgeview::view::testing
