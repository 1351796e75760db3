// Helpers for the Qt service tests: test pictures (including GIF and Exif-tagged JPEG files,
// which Qt cannot write), and a way to act on a modal dialog while its exec() runs.
#pragma once

#include <QApplication>
#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <functional>

namespace ridgeview::platform::testing {

// The colour of pixel (x, y) of TestPicture.
inline QColor TestColour(int x, int y) { return QColor((40 * x) % 256, (30 * y) % 256, 200); }

// A w x h opaque picture of TestColour pixels.
inline QImage TestPicture(int w, int h, QImage::Format format = QImage::Format_RGB32) {
  QImage image(w, h, format);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) image.setPixelColor(x, y, TestColour(x, y));
  }
  return image;
}

// A GIF file of TestPicture(w, h) (w x h at most 128) whose screen and image descriptor state
// `declaredW` x `declaredH`. The file has a 128-entry palette and LZW codes of 8 bits, kept
// that wide by a clear code before every 100 pixels, so each code is one byte.
inline QByteArray TestGif(int w, int h, int declaredW, int declaredH) {
  QByteArray gif("GIF89a");
  auto le16 = [&gif](int v) {
    gif.append(char(v & 0xFF));
    gif.append(char((v >> 8) & 0xFF));
  };
  le16(declaredW);
  le16(declaredH);
  gif.append(char(0xF6));  // global table of 2^(6+1) entries, 8-bit colour resolution
  gif.append(char(0));     // background
  gif.append(char(0));     // aspect
  for (int i = 0; i < 128; ++i) {
    const QColor c = i < w * h ? TestColour(i % w, i / w) : QColor(0, 0, 0);
    gif.append(char(c.red()));
    gif.append(char(c.green()));
    gif.append(char(c.blue()));
  }
  gif.append(',');
  le16(0);
  le16(0);
  le16(declaredW);
  le16(declaredH);
  gif.append(char(0));
  gif.append(char(7));  // minimum code size: codes start 8 bits wide
  QByteArray codes;
  for (int i = 0; i < w * h; ++i) {
    if (i % 100 == 0) codes.append(char(128));  // clear
    codes.append(char(i));                      // palette entry i is pixel i's colour
  }
  codes.append(char(129));  // end of information
  for (qsizetype at = 0; at < codes.size(); at += 255) {
    const QByteArray block = codes.mid(at, 255);
    gif.append(char(block.size()));
    gif.append(block);
  }
  gif.append(char(0));
  gif.append(';');
  return gif;
}

// `jpeg` with an Exif block in front stating orientation 6 (turned 90 degrees clockwise).
inline QByteArray WithExifRotate90(const QByteArray& jpeg) {
  static const unsigned char kApp1[] = {
      0xFF, 0xE1, 0x00, 0x22, 'E', 'x', 'i', 'f', 0, 0,  // APP1, length 34, "Exif"
      'I', 'I', 0x2A, 0x00, 0x08, 0x00, 0x00, 0x00,     // TIFF header, first IFD at 8
      0x01, 0x00,                                       // one entry:
      0x12, 0x01, 0x03, 0x00, 0x01, 0x00, 0x00, 0x00,   // orientation, SHORT, count 1,
      0x06, 0x00, 0x00, 0x00,                           // value 6
      0x00, 0x00, 0x00, 0x00};                          // no next IFD
  return jpeg.left(2) + QByteArray(reinterpret_cast<const char*>(kApp1), sizeof(kApp1)) +
         jpeg.mid(2);
}

// Calls `act` with the active modal widget once one of type T is shown (polling the event
// loop that the modal exec() runs), so a test can check and close a dialog it opened. A
// dialog that `act` leaves open (a failed check returned early) is closed, so no test hangs.
template <class T = QWidget>
void WhenModalShown(std::function<void(T*)> act) {
  auto* timer = new QTimer(qApp);
  timer->setInterval(10);
  QObject::connect(timer, &QTimer::timeout, timer, [timer, act] {
    if (T* modal = qobject_cast<T*>(QApplication::activeModalWidget())) {
      timer->stop();
      timer->deleteLater();
      QPointer<QWidget> guard(modal);
      act(modal);
      if (guard && guard->isVisible()) guard->close();
    }
  });
  timer->start();
}

}  // namespace ridgeview::platform::testing
