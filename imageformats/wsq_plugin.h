// The Qt image-format plugin for WSQ ("wsq", image/x-wsq): Qt programs read and write WSQ
// files through QImageReader and QImageWriter once the plugin is on their plugin path.
#pragma once

#include <QImageIOPlugin>

class WsqPlugin : public QImageIOPlugin {
  Q_OBJECT
  Q_PLUGIN_METADATA(IID QImageIOHandlerFactoryInterface_iid FILE "wsq.json")

 public:
  // "wsq" is read and written; with no format, a device is readable when it starts like a
  // WSQ file.
  Capabilities capabilities(QIODevice* device, const QByteArray& format) const override;
  QImageIOHandler* create(QIODevice* device, const QByteArray& format) const override;
};
