// Reading and writing WSQ images for Qt's QImageReader and QImageWriter, over
// libridgeview-wsq. Reading gives an 8-bit gray image with the file's resolution; writing
// takes any image, reduced to gray as the viewer's Save does, at bit rate 0.75.
#pragma once

#include <QByteArray>
#include <QImage>
#include <QImageIOHandler>
#include <QSize>
#include <QVariant>

class WsqHandler : public QImageIOHandler {
 public:
  // Whether the device's next bytes are a WSQ file's start of image marker (FF A0). The
  // device is only peeked at.
  static bool canRead(QIODevice* device);

  bool canRead() const override;
  // The whole device is read; on failure `image` is left as it was.
  bool read(QImage* image) override;
  // The encoded file is written to the device in one piece, or nothing is.
  bool write(const QImage& image) override;

  // Size (from the headers, without decoding) and ImageFormat when reading.
  bool supportsOption(ImageOption option) const override;
  QVariant option(ImageOption option) const override;
};

// The resolution written for an image: its dots per metre when the program set them (a new
// QImage carries the system's default screen resolution, which says nothing about a scan),
// else 500 pixels per inch.
int WsqPpiForImage(const QImage& image);

// The gray bytes (width x height, top row first, no padding) that are encoded for `image`:
// gray images as they are; any other (blue + green + red) / 3 of its 24-bit rendering, as the
// viewer saves. Empty for a null image.
QByteArray WsqGrayPixels(const QImage& image);
