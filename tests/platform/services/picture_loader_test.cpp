// Loading JPEG, PNG and GIF files through Qt's readers into the document's Image.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QDir>
#include <QFile>
#include <QImageReader>
#include <QImageWriter>
#include <QTemporaryDir>
#include <cstdlib>

#include "platform/qt/services/qt_picture_loader.h"
#include "service_test_support.h"

namespace ridgeview::platform {
namespace {

using testing::TestColour;
using testing::TestPicture;

class PictureLoaderTest : public ::testing::Test {
 protected:
  std::string Write(const QImage& image, const char* name, const char* format) {
    const QString path = dir_.filePath(QString::fromLatin1(name));
    QImageWriter writer(path, format);
    writer.setQuality(100);
    EXPECT_TRUE(writer.write(image)) << writer.errorString().toStdString();
    return path.toStdString();
  }
  std::string Raw(const char* name, const QByteArray& bytes) {
    const QString path = dir_.filePath(QString::fromLatin1(name));
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    return path.toStdString();
  }

  QTemporaryDir dir_;
  QtPictureLoader loader_;
};

// Colour of pixel (x, y) of a top-down 24- or 32-bit image.
QColor At(const document::Image& image, int x, int y) {
  const std::uint8_t* p = image.TopDownRow(static_cast<std::uint64_t>(y)) + x * (image.bitsPerPixel / 8);
  return QColor(p[2], p[1], p[0]);
}

TEST_F(PictureLoaderTest, PngLoadsExactlyAsTopDownTwentyFourBits) {
  const auto image = loader_.Load(Write(TestPicture(5, 3), "a.png", "png"));
  ASSERT_TRUE(image);
  EXPECT_TRUE(document::IsValidImage(*image));
  EXPECT_EQ(image->width, 5);
  EXPECT_EQ(image->height, -3);
  EXPECT_EQ(image->bitsPerPixel, 24);
  EXPECT_EQ(image->Stride(), 16u);
  for (int y = 0; y < 3; ++y) {
    for (int x = 0; x < 5; ++x) EXPECT_EQ(At(*image, x, y), TestColour(x, y));
  }
}

TEST_F(PictureLoaderTest, TransparentPngKeepsItsAlphaInThirtyTwoBits) {
  QImage picture = TestPicture(2, 2, QImage::Format_ARGB32);
  picture.setPixelColor(1, 1, QColor(10, 20, 30, 0));
  const auto image = loader_.Load(Write(picture, "alpha.png", "png"));
  ASSERT_TRUE(image);
  EXPECT_EQ(image->bitsPerPixel, 32);
  EXPECT_EQ(image->compression, document::kCompressionRgb);
  EXPECT_EQ(At(*image, 0, 1), QColor(0, 30, 200));
  EXPECT_EQ(image->TopDownRow(1)[4 + 3], 0);    // alpha of (1, 1)
  EXPECT_EQ(image->TopDownRow(0)[3], 255);      // alpha of (0, 0)
}

TEST_F(PictureLoaderTest, GifAndJpegLoad) {
  const auto gif = loader_.Load(Raw("a.gif", testing::TestGif(4, 3, 4, 3)));
  ASSERT_TRUE(gif);
  EXPECT_EQ(gif->width, 4);
  EXPECT_EQ(gif->height, -3);
  for (int y = 0; y < 3; ++y) {
    for (int x = 0; x < 4; ++x) EXPECT_EQ(At(*gif, x, y), TestColour(x, y));
  }

  const auto jpeg = loader_.Load(Write(TestPicture(16, 8), "a.jpg", "jpeg"));
  ASSERT_TRUE(jpeg);
  EXPECT_EQ(jpeg->width, 16);
  EXPECT_EQ(jpeg->height, -8);
  EXPECT_EQ(jpeg->bitsPerPixel, 24);
  const QColor c = At(*jpeg, 2, 2);  // lossy: near (80, 60, 200)
  EXPECT_NEAR(c.red(), 80, 24);
  EXPECT_NEAR(c.green(), 60, 24);
  EXPECT_NEAR(c.blue(), 200, 24);
}

TEST_F(PictureLoaderTest, OrientationStoredInTheFileIsNotApplied) {
  const std::string plain = Write(TestPicture(8, 2), "plain.jpg", "jpeg");
  QFile file(QString::fromStdString(plain));
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  const std::string path = Raw("turned.jpg", testing::WithExifRotate90(file.readAll()));
  QImageReader check(QString::fromStdString(path));
  ASSERT_EQ(check.transformation(), QImageIOHandler::TransformationRotate90);
  const auto image = loader_.Load(path);
  ASSERT_TRUE(image);
  EXPECT_EQ(image->width, 8);
  EXPECT_EQ(image->height, -2);
}

TEST_F(PictureLoaderTest, ContentDecidesNotTheName) {
  const auto image = loader_.Load(Write(TestPicture(3, 3), "really-a-png.gif", "png"));
  ASSERT_TRUE(image);
  EXPECT_EQ(image->width, 3);
}

TEST_F(PictureLoaderTest, UnreadablePathsGiveNothing) {
  EXPECT_FALSE(loader_.Load(dir_.filePath("missing.png").toStdString()));
  EXPECT_FALSE(loader_.Load(Raw("garbage.png", QByteArray(200, 'x'))));
  EXPECT_FALSE(loader_.Load(Raw("empty.jpg", QByteArray())));
  const QString folder = dir_.filePath("folder.png");
  ASSERT_TRUE(QDir().mkdir(folder));
  EXPECT_FALSE(loader_.Load(folder.toStdString()));
  // A pipe is never opened, so the load cannot wait for a writer.
  const std::string pipe = dir_.filePath("pipe.png").toStdString();
  ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
  EXPECT_FALSE(loader_.Load(pipe));
}

TEST_F(PictureLoaderTest, HugeDeclaredSizeIsRefusedBeforeDecoding) {
  // 65535 x 65535 pixels: 12 GB at 24 bits, far beyond any Image.
  const std::string path = Raw("huge.gif", testing::TestGif(2, 2, 65535, 65535));
  QImageReader check(QString::fromStdString(path));
  ASSERT_EQ(check.size(), QSize(65535, 65535));
  EXPECT_FALSE(loader_.Load(path));
}

}  // namespace
}  // namespace ridgeview::platform
