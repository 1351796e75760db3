// The desktop clipboard service: what Copy offers, and what Paste accepts.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

#include "document/bmp_file.h"
#include "document/clipboard_dib.h"
#include "document/pixel_convert.h"
#include "platform/qt/services/image_conversion.h"
#include "platform/qt/services/qt_clipboard_service.h"
#include "service_test_support.h"

namespace ridgeview::platform {
namespace {

using Bytes = std::vector<std::uint8_t>;

QByteArray ToQt(const Bytes& b) {
  return QByteArray(reinterpret_cast<const char*>(b.data()), static_cast<qsizetype>(b.size()));
}

QByteArray Png(const QImage& image) {
  QByteArray png;
  QBuffer buffer(&png);
  buffer.open(QIODevice::WriteOnly);
  image.save(&buffer, "PNG");
  return png;
}

void Offer(std::initializer_list<std::pair<const char*, QByteArray>> formats) {
  auto* mime = new QMimeData;
  for (const auto& [type, data] : formats) mime->setData(QString::fromLatin1(type), data);
  QGuiApplication::clipboard()->setMimeData(mime);
}

class ClipboardServiceTest : public ::testing::Test {
 protected:
  void SetUp() override { QGuiApplication::clipboard()->clear(); }
  void TearDown() override { QGuiApplication::clipboard()->clear(); }

  // The zoomed-copy bitmap file of a 6 x 4 colour picture at 3 x 2.
  static Bytes CopyFile() {
    const auto image = ImageFromQImage(testing::TestPicture(6, 4));
    return *document::MakeClipboardBmp(*image, 3, 2);
  }

  QtClipboardService service_;
};

TEST_F(ClipboardServiceTest, CopyOffersTheBitmapFileAndPngOfTheSamePixels) {
  const Bytes file = CopyFile();
  ASSERT_TRUE(service_.PutBmp(file));
  const QMimeData* mime = QGuiApplication::clipboard()->mimeData();
  ASSERT_NE(mime, nullptr);
  EXPECT_EQ(mime->data("image/bmp"), ToQt(file));
  ASSERT_TRUE(mime->hasFormat("image/png"));

  const QImage png = QImage::fromData(mime->data("image/png"), "PNG");
  ASSERT_FALSE(png.isNull());
  const auto expected = QImageFromImage(*document::BmpBytesToImage(file));
  EXPECT_EQ(png.convertToFormat(QImage::Format_RGB32), expected.convertToFormat(QImage::Format_RGB32));

  EXPECT_TRUE(service_.HasImage());
  EXPECT_EQ(service_.GetBmp(), std::optional<Bytes>(file));
}

TEST_F(ClipboardServiceTest, CopyRefusesBytesThatAreNoBitmapAndKeepsTheClipboard) {
  Offer({{"text/plain", "kept"}});
  EXPECT_FALSE(service_.PutBmp(Bytes{'B', 'M', 0, 0}));
  EXPECT_FALSE(service_.PutBmp(Bytes{}));
  EXPECT_EQ(QGuiApplication::clipboard()->text(), "kept");
}

TEST_F(ClipboardServiceTest, BareBlockGetsAFileHeader) {
  const Bytes file = CopyFile();
  const Bytes block(file.begin() + 14, file.end());
  Offer({{"image/bmp", ToQt(block)}});
  const auto got = service_.GetBmp();
  ASSERT_TRUE(got);
  EXPECT_EQ(*got, file);  // the same header Copy writes
}

TEST_F(ClipboardServiceTest, PngOnlyClipboardIsConverted) {
  const QImage picture = testing::TestPicture(5, 3);
  Offer({{"image/png", Png(picture)}});
  EXPECT_TRUE(service_.HasImage());
  const auto got = service_.GetBmp();
  ASSERT_TRUE(got);
  const auto image = document::BmpBytesToImage(*got);
  ASSERT_TRUE(image);
  EXPECT_EQ(image->width, 5);
  EXPECT_EQ(image->height, -3);
  EXPECT_EQ(QImageFromImage(*image).convertToFormat(QImage::Format_RGB32), picture);
}

TEST_F(ClipboardServiceTest, BrokenBitmapFallsBackToAnotherFormat) {
  const QImage picture = testing::TestPicture(2, 2);
  Offer({{"image/bmp", QByteArray("BMnonsense")}, {"image/png", Png(picture)}});
  const auto got = service_.GetBmp();
  ASSERT_TRUE(got);
  EXPECT_EQ(document::BmpBytesToImage(*got)->width, 2);
}

TEST_F(ClipboardServiceTest, QtImageDataIsAccepted) {
  auto* mime = new QMimeData;
  mime->setImageData(testing::TestPicture(4, 1));
  QGuiApplication::clipboard()->setMimeData(mime);
  EXPECT_TRUE(service_.HasImage());
  const auto got = service_.GetBmp();
  ASSERT_TRUE(got);
  EXPECT_EQ(document::BmpBytesToImage(*got)->width, 4);
}

TEST_F(ClipboardServiceTest, NothingUsableGivesNothing) {
  EXPECT_FALSE(service_.HasImage());
  EXPECT_FALSE(service_.GetBmp());
  Offer({{"text/plain", "words"}});
  EXPECT_FALSE(service_.HasImage());
  EXPECT_FALSE(service_.GetBmp());
  Offer({{"image/bmp", QByteArray(60, 'x')}, {"image/png", QByteArray("not a png")}});
  EXPECT_TRUE(service_.HasImage());  // offered, even if it turns out unusable
  EXPECT_FALSE(service_.GetBmp());
}

}  // namespace
}  // namespace ridgeview::platform
