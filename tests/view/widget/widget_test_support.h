// Helpers for the view widget tests: test images, event synthesis and waiting, and pixel reads
// of a grabbed widget. The QApplication comes from the global environment in
// qt_environment.cpp.
#pragma once

#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWheelEvent>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "document/image.h"
#include "view/widget/image_view.h"
#include "view/widget/title_strip.h"
#include "view/widget/zoom_slider.h"

namespace ridgeview::view::testing {

// A gray image whose pixel (x, y) is gray(x, y), as the WSQ loader makes one (24 bits, top
// row first, blue = green = red).
std::unique_ptr<document::Image> MakeGray(int width, int height,
                                          const std::function<std::uint8_t(int, int)>& gray);

// A pattern that differs between neighbours in both directions.
std::uint8_t Pattern(int x, int y);

// The reference fingerprint decoded from the shared vectors, and its gray bytes.
struct DecodedPrint {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> gray;
};
DecodedPrint DecodePrint();

// Grabs a widget as device pixels (Format_RGB32).
QImage GrabDevice(QWidget& widget);

// Gray value of a grabbed pixel whose three channels must be equal (-1 when they are not).
int GrayAt(const QImage& image, int x, int y);

// Synthesised input, delivered at once.
void Press(QWidget& w, QPoint pos, Qt::MouseButton button = Qt::LeftButton);
void Move(QWidget& w, QPoint pos, Qt::MouseButtons buttons = Qt::LeftButton);
void Release(QWidget& w, QPoint pos, Qt::MouseButton button = Qt::LeftButton);
void Key(QWidget& w, int key);
void Wheel(QWidget& w, QPoint angleDelta);

// Runs the event loop until pred() holds or ms milliseconds pass; returns pred().
bool WaitUntil(const std::function<bool()>& pred, int ms);
// Runs the event loop for ms milliseconds.
void Pump(int ms);

// A view without scroll bars wired to its own zoom slider and title strip, shown at a size in
// logical pixels (or, with deviceSized, in device pixels as near as the scale factor allows).
struct ViewRig {
  ImageView view{nullptr, false};
  ZoomSlider slider;
  TitleStrip title;
  ViewRig(int width, int height, bool deviceSized);
};

// Shows a top-level widget at a logical size and lets its events arrive.
void ShowSized(QWidget& w, int width, int height);
// The same for a size in device pixels (as near as the scale factor allows), so that pixel
// tests hold on a screen with a scale factor too.
void ShowDeviceSized(QWidget& w, int width, int height);

}  // namespace ridgeview::view::testing
