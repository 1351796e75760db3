// The part of a screen that windows may use (the screen less panels and docks).
#pragma once

#include <QRect>

class QWidget;

namespace ridgeview::platform {

// QScreen::availableGeometry() of the screen `widget` is on (the primary screen for a null
// widget), converted to device pixels by that screen's device-pixel ratio (each edge
// rounded). An empty rectangle when there is no screen.
QRect ScreenWorkArea(const QWidget* widget);

}  // namespace ridgeview::platform
