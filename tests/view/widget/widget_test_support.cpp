#include "widget_test_support.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <span>
#include <string>

#include "codec/wsq/wsq.h"
#include "document/pixel_convert.h"

namespace ridgeview::view::testing {

std::unique_ptr<document::Image> MakeGray(int width, int height,
                                          const std::function<std::uint8_t(int, int)>& gray) {
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(width) * height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) bytes[static_cast<std::size_t>(y) * width + x] = gray(x, y);
  }
  std::optional<document::Image> image = document::GrayToImage(bytes, width, height);
  if (!image) return nullptr;
  return std::make_unique<document::Image>(std::move(*image));
}

std::uint8_t Pattern(int x, int y) { return static_cast<std::uint8_t>((x * 7 + y * 13) & 0xFF); }

DecodedPrint DecodePrint() {
  const std::string path = std::string(RIDGEVIEW_VECTORS_DIR) + "/print_419x331.wsq";
  std::ifstream in(path, std::ios::binary);
  const std::vector<unsigned char> file((std::istreambuf_iterator<char>(in)),
                                        std::istreambuf_iterator<char>());
  DecodedPrint print;
  codec::CodecBytes pixels;
  int depth = 0, ppi = 0, lossy = 0, encoder = 0, software = 0;
  if (file.empty() || codec::wsq_decode_mem(pixels, &print.width, &print.height, &depth, &ppi,
                                            &lossy, &encoder, &software, file.data(),
                                            file.size()) != 0) {
    ADD_FAILURE() << "cannot decode " << path;
    return {};
  }
  print.gray.assign(pixels.get(),
                    pixels.get() + static_cast<std::size_t>(print.width) * print.height);
  return print;
}

QImage GrabDevice(QWidget& widget) {
  return widget.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

int GrayAt(const QImage& image, int x, int y) {
  const QRgb p = image.pixel(x, y);
  if (qRed(p) != qGreen(p) || qGreen(p) != qBlue(p)) return -1;
  return qRed(p);
}

namespace {

void SendMouse(QWidget& w, QEvent::Type type, QPoint pos, Qt::MouseButton button,
               Qt::MouseButtons buttons) {
  QMouseEvent event(type, QPointF(pos), QPointF(w.mapToGlobal(pos)), button, buttons,
                    Qt::NoModifier);
  QApplication::sendEvent(&w, &event);
}

}  // namespace

void Press(QWidget& w, QPoint pos, Qt::MouseButton button) {
  SendMouse(w, QEvent::MouseButtonPress, pos, button, button);
}

void Move(QWidget& w, QPoint pos, Qt::MouseButtons buttons) {
  SendMouse(w, QEvent::MouseMove, pos, Qt::NoButton, buttons);
}

void Release(QWidget& w, QPoint pos, Qt::MouseButton button) {
  SendMouse(w, QEvent::MouseButtonRelease, pos, button, Qt::NoButton);
}

void Key(QWidget& w, int key) {
  QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
  QApplication::sendEvent(&w, &press);
  QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier);
  QApplication::sendEvent(&w, &release);
}

void Wheel(QWidget& w, QPoint angleDelta) {
  const QPointF pos(w.width() / 2.0, w.height() / 2.0);
  QWheelEvent event(pos, QPointF(w.mapToGlobal(pos.toPoint())), QPoint(), angleDelta,
                    Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
  QApplication::sendEvent(&w, &event);
}

bool WaitUntil(const std::function<bool()>& pred, int ms) {
  QElapsedTimer clock;
  clock.start();
  while (!pred() && clock.elapsed() < ms) {
    QApplication::processEvents(QEventLoop::AllEvents, 10);
  }
  return pred();
}

void Pump(int ms) {
  WaitUntil([] { return false; }, ms);
}

void ShowSized(QWidget& w, int width, int height) {
  w.resize(width, height);
  w.show();
  QApplication::processEvents();
}

void ShowDeviceSized(QWidget& w, int width, int height) {
  const qreal dpr = w.devicePixelRatioF();
  ShowSized(w, qRound(width / dpr), qRound(height / dpr));
}

ViewRig::ViewRig(int width, int height, bool deviceSized) {
  view.SetZoomTrack(&slider);
  view.SetTitleBar(&title);
  if (deviceSized) {
    ShowDeviceSized(view, width, height);
  } else {
    ShowSized(view, width, height);
  }
}

}  // namespace ridgeview::view::testing
