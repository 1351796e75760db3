// The screen's work area and the file type names and icons.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QScreen>
#include <QTemporaryDir>
#include <QWidget>

#include "platform/qt/services/file_type_info.h"
#include "platform/qt/services/screen_work_area.h"

namespace ridgeview::platform {
namespace {

QRect DevicePixels(const QRect& r, qreal ratio) {
  return QRect(qRound(r.x() * ratio), qRound(r.y() * ratio), qRound(r.width() * ratio),
               qRound(r.height() * ratio));
}

TEST(ScreenWorkArea, IsTheAvailableGeometryInDevicePixels) {
  QScreen* primary = QGuiApplication::primaryScreen();
  ASSERT_NE(primary, nullptr);
  const QRect expected = DevicePixels(primary->availableGeometry(), primary->devicePixelRatio());
  EXPECT_FALSE(expected.isEmpty());
  EXPECT_EQ(ScreenWorkArea(nullptr), expected);
  QWidget widget;
  EXPECT_EQ(ScreenWorkArea(&widget), expected);
}

TEST(FileTypeInfo, BareExtensionsAreNamedWithoutTouchingFiles) {
  // Run from an empty folder: nothing named like the extension exists anywhere near.
  QTemporaryDir dir;
  const QString saved = QDir::currentPath();
  QDir::setCurrent(dir.path());
  const FileTypeInfo jpeg = QueryFileType(".jpg");
  const FileTypeInfo png = QueryFileType(".png");
  const FileTypeInfo wsq = QueryFileType(".wsq");
  QDir::setCurrent(saved);

  EXPECT_TRUE(jpeg.typeName.contains("JPEG", Qt::CaseInsensitive)) << jpeg.typeName.toStdString();
  EXPECT_TRUE(png.typeName.contains("PNG", Qt::CaseInsensitive)) << png.typeName.toStdString();
  EXPECT_FALSE(jpeg.icon.isNull());
  // No MIME type is registered for WSQ here: the extension names it.
  EXPECT_EQ(wsq.typeName, "WSQ File");
  EXPECT_FALSE(wsq.icon.isNull());
}

TEST(FileTypeInfo, PathsAreNamedByNameOrContent) {
  QTemporaryDir dir;
  EXPECT_EQ(QueryFileType(dir.path()).typeName, QueryFileType(dir.path() + "/").typeName);
  EXPECT_FALSE(QueryFileType(dir.path()).icon.isNull());

  // A PNG without an extension is recognised by its content.
  const QString noExtension = dir.filePath("picture");
  QImage(2, 2, QImage::Format_RGB32).save(noExtension, "PNG");
  EXPECT_EQ(QueryFileType(noExtension).typeName, QueryFileType(".png").typeName);

  const QString bmp = dir.filePath("x.bmp");
  QFile(bmp).open(QIODevice::WriteOnly);
  EXPECT_EQ(QueryFileType(bmp).typeName, QueryFileType(".bmp").typeName);
  EXPECT_FALSE(QueryFileType(bmp).icon.isNull());
}

}  // namespace
}  // namespace ridgeview::platform
