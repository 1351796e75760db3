// The properties sheet: its pages, their values read from the page widgets, the thumbnails
// and the outline of the visible part.
#include <gtest/gtest.h>

#include <QLabel>
#include <QLocale>
#include <QTabWidget>

#include <sys/stat.h>

#include <cstdio>
#include <fstream>

#include "dialogs/control_ids.h"
#include "dialogs/properties_pages.h"
#include "dialogs/properties_sheet.h"
#include "dialogs/properties_values.h"
#include "dialogs/thumbnail.h"
#include "dialogs/dialogs_test_support.h"
#include "document/pixel_convert.h"

namespace ridgeview::dialogs {
namespace {

using testing::WriteFile;

document::Image Gray(int width, int height, std::uint8_t value) {
  std::vector<std::uint8_t> gray(static_cast<std::size_t>(width) * height, value);
  return *document::GrayToImage(gray, width, height);
}

// Shows the sheet and each of its pages once, as a user leafing through it.
class ShownSheet {
 public:
  ShownSheet(const PropertiesSnapshot& snapshot, QSize screen = {480, 640})
      : screen_(screen), sheet_(nullptr, snapshot, [this] { return screen_; }) {
    sheet_.show();
    for (int i = 0; i < sheet_.Tabs()->count(); ++i) sheet_.Tabs()->setCurrentIndex(i);
  }
  QString Value(const QString& tab, int id) {
    QWidget* page = Page(tab);
    auto* label = page != nullptr ? control::Find<QLabel>(page, id) : nullptr;
    return label != nullptr ? label->text() : QStringLiteral("<missing>");
  }
  QImage Picture(const QString& tab, int id) {
    return control::Find<QLabel>(Page(tab), id)->pixmap().toImage();
  }
  QWidget* Page(const QString& tab) {
    for (int i = 0; i < sheet_.Tabs()->count(); ++i) {
      if (sheet_.Tabs()->tabText(i) == tab) return sheet_.Tabs()->widget(i);
    }
    return nullptr;
  }
  QStringList Tabs() {
    QStringList names;
    for (int i = 0; i < sheet_.Tabs()->count(); ++i) names << sheet_.Tabs()->tabText(i);
    return names;
  }
  PropertiesSheet& Sheet() { return sheet_; }
  QSize screen_;

 private:
  PropertiesSheet sheet_;
};

TEST(PropertiesSheet, FilePageOfAWsqFile) {
  testing::ScratchDesktop scratch;
  const std::string path = scratch.Root() + "/My Documents/scan.wsq";
  WriteFile(path, std::string(1234, 'w'));
  const document::Image image = Gray(500, 400, 90);
  PropertiesSnapshot snapshot{path, "scan", &image, true, {500, 400}, 1.0, {500, 400}, {}, {100, 100}};
  ShownSheet sheet(snapshot);
  EXPECT_EQ(sheet.Sheet().windowTitle(), "scan");
  EXPECT_EQ(sheet.Tabs(), (QStringList{"File", "Image", "View"}));
  EXPECT_EQ(sheet.Value("File", control::kType), "WSQ Image");
  EXPECT_EQ(sheet.Value("File", control::kLocation).toStdString(), scratch.Root() + "/My Documents");
  EXPECT_EQ(sheet.Value("File", control::kName), "scan.wsq");
  EXPECT_EQ(sheet.Value("File", control::kFileSize), "1234");
  EXPECT_EQ(sheet.Value("File", control::kAttributes), "");
  EXPECT_TRUE(sheet.Value("File", control::kCreated).contains("  "));
  // A WSQ image reports 8 bits and 256 colours; its bytes are divided by 3.
  EXPECT_EQ(sheet.Value("Image", control::kType), "Device Independant Bitmap");
  EXPECT_EQ(sheet.Value("Image", control::kSize), "(h) 500 x (v) 400");
  EXPECT_EQ(sheet.Value("Image", control::kBitsPerPixel), "8");
  EXPECT_EQ(sheet.Value("Image", control::kColours), "256");
  EXPECT_EQ(sheet.Value("Image", control::kImageBytes), "200000");
  // 500 x 400 in a 200 x 150 frame: factor 2.666..., thumbnail 187 x 150.
  EXPECT_EQ(sheet.Picture("Image", control::kImageThumbnail).size(), QSize(187, 150));
}

TEST(PropertiesSheet, OtherFilesMissingFilesAndReadOnlyFiles) {
  testing::ScratchDesktop scratch;
  const std::string png = scratch.Root() + "/photo.png";
  WriteFile(png, "\x89PNG\r\n\x1a\n");
  chmod(png.c_str(), 0444);
  const document::Image image = Gray(4, 4, 1);
  ShownSheet shown({png, "photo", &image, false, {4, 4}, 1.0, {4, 4}, {}, {4, 4}});
  EXPECT_EQ(shown.Value("File", control::kType), "PNG image");
  EXPECT_EQ(shown.Value("File", control::kAttributes), "Read-only");

  ShownSheet missing({"nowhere.bmp", "nowhere", &image, false, {4, 4}, 1.0, {4, 4}, {}, {4, 4}});
  EXPECT_EQ(missing.Value("File", control::kLocation), "");
  EXPECT_EQ(missing.Value("File", control::kName), "nowhere.bmp");
  EXPECT_EQ(missing.Value("File", control::kFileSize), "0");
  EXPECT_EQ(missing.Value("File", control::kAttributes), "");
  EXPECT_EQ(missing.Value("File", control::kCreated), "");
}

TEST(PropertiesValues, TheTypeOfAFileFollowsItsContent) {
  testing::ScratchDesktop scratch;
  const std::string wsqNamedJpg = scratch.Root() + "/photo.jpg";
  WriteFile(wsqNamedJpg, std::string("\xFF\xA0\xFF\xA8", 4));
  EXPECT_EQ(FileTypeText(wsqNamedJpg, "JPEG image"), "WSQ Image");
  const std::string jpegNamedWsq = scratch.Root() + "/scan.wsq";
  WriteFile(jpegNamedWsq, std::string("\xFF\xD8\xFF\xE0", 4));
  EXPECT_EQ(FileTypeText(jpegNamedWsq, "JPEG image"), "JPEG image");
  // Content that tells nothing: the name decides.
  const std::string upper = scratch.Root() + "/PRINT_0001.WSQ";
  WriteFile(upper, "????");
  EXPECT_EQ(FileTypeText(upper, "Other"), "WSQ Image");
}

TEST(PropertiesSheet, APastedImageHasNoFilePage) {
  const document::Image image = Gray(8, 8, 1);
  ShownSheet sheet({"", "pasted", &image, false, {8, 8}, 1.0, {8, 8}, {}, {8, 8}});
  EXPECT_EQ(sheet.Sheet().windowTitle(), "pasted");
  EXPECT_EQ(sheet.Tabs(), (QStringList{"Image", "View"}));
}

TEST(PropertiesSheet, ViewPageShowsZoomSizeAndTheVisiblePartInRed) {
  const document::Image image = Gray(640, 480, 100);
  ShownSheet sheet({"", "pasted", &image, false, {640, 480}, 2.0, {320, 240}, {0, 0}, {100, 80}});
  EXPECT_EQ(sheet.Value("View", control::kZoom), "2.00");
  EXPECT_EQ(sheet.Value("View", control::kSize), "(h) 320 x (v) 240");
  const QImage thumbnail = sheet.Picture("View", control::kViewThumbnail);
  ASSERT_EQ(thumbnail.size(), QSize(200, 150));  // factor 3.2
  // Visible: 200 x 160 image pixels, on the thumbnail (0, 0) and 62 x 50.
  const QColor red(255, 0, 0);
  EXPECT_EQ(thumbnail.pixelColor(0, 0), red);
  EXPECT_EQ(thumbnail.pixelColor(30, 1), QColor(100, 100, 100));
  EXPECT_EQ(thumbnail.pixelColor(30, 0), red);
  EXPECT_EQ(thumbnail.pixelColor(61, 20), red);
  EXPECT_EQ(thumbnail.pixelColor(60, 20), red);
  EXPECT_EQ(thumbnail.pixelColor(59, 20), QColor(100, 100, 100));
  EXPECT_EQ(thumbnail.pixelColor(30, 49), red);
  EXPECT_EQ(thumbnail.pixelColor(30, 25), QColor(100, 100, 100));
  EXPECT_EQ(thumbnail.pixelColor(100, 100), QColor(100, 100, 100));
  // The Image page's thumbnail has no outline.
  EXPECT_EQ(sheet.Picture("Image", control::kImageThumbnail).pixelColor(0, 0), QColor(100, 100, 100));
}

TEST(PropertiesSheet, AReleasedBitmapLeavesTheImageValuesEmpty) {
  ShownSheet sheet({"", "x", nullptr, false, {640, 480}, 1.5, {426, 320}, {}, {100, 80}});
  EXPECT_EQ(sheet.Value("Image", control::kType), "Device Independant Bitmap");
  EXPECT_EQ(sheet.Value("Image", control::kSize), "");
  EXPECT_TRUE(sheet.Picture("Image", control::kImageThumbnail).isNull());
  EXPECT_EQ(sheet.Value("View", control::kZoom), "1.50");
}

TEST(PropertiesSheet, PagesFollowTheScreensOrientation) {
  const document::Image image = Gray(8, 8, 1);
  ShownSheet sheet({"", "pasted", &image, false, {8, 8}, 1.0, {8, 8}, {}, {8, 8}});
  auto* page = static_cast<PropertiesPage*>(sheet.Page("View"));
  EXPECT_FALSE(page->Landscape());
  sheet.screen_ = QSize(800, 480);
  sheet.Sheet().Watcher()->Notify();
  EXPECT_TRUE(page->Landscape());
  EXPECT_EQ(sheet.Value("View", control::kZoom), "1.00");  // filled once, kept
}

TEST(PropertiesValues, ColourCountsAndHeaderTexts) {
  document::ImageHeader header{10, 10, 24, 0, 300, 0};
  EXPECT_EQ(ColourCount(header, false), 16777216u);
  header.bitsPerPixel = 8;
  EXPECT_EQ(ColourCount(header, false), 256u);
  header.coloursUsed = 17;
  EXPECT_EQ(ColourCount(header, false), 17u);
  header.bitsPerPixel = 4;
  header.coloursUsed = 0;
  EXPECT_EQ(ColourCount(header, false), 16u);
  header.bitsPerPixel = 1;
  header.coloursUsed = 7;
  EXPECT_EQ(ColourCount(header, false), 2u);
  header.bitsPerPixel = 16;
  header.compression = document::kCompressionBitFields;
  EXPECT_EQ(ColourCount(header, false), 32768u);
  header.compression = 0;
  EXPECT_EQ(ColourCount(header, false), 65536u);
  header.bitsPerPixel = 32;
  EXPECT_EQ(ColourCount(header, false), 16777216u);  // 8 bits a channel, plus alpha
  header.compression = document::kCompressionBitFields;
  EXPECT_EQ(ColourCount(header, false), 16777216u);
  EXPECT_EQ(ColourCount(header, true), 256u);
  const ImagePageTexts texts = ImageTexts({3, 2, 24, 0, 7, 0}, true);
  EXPECT_EQ(texts.imageBytes, "2");  // 7 div 3
  EXPECT_EQ(texts.bitsPerPixel, "8");
}

TEST(PropertiesValues, FileTextsAndSizes) {
  // A missing file: its name's last extension decides, in any case.
  EXPECT_EQ(FileTypeText("/a/b.wsq.bak", "Backup"), "Backup");
  EXPECT_EQ(FileTypeText("/a/b.WSQ", "Other"), "WSQ Image");
  EXPECT_EQ(LocationText("/scan.wsq"), "");
  EXPECT_EQ(NameText("scan.wsq"), "scan.wsq");
  FileFacts facts;
  facts.found = true;
  facts.size = 0x1'0000'0005ull;
  EXPECT_EQ(FileSizeText(facts), "5");
  facts.size = 0xFFFFFFFFull;
  EXPECT_EQ(FileSizeText(facts), "-1");
  EXPECT_EQ(AttributesText(facts), "");
  facts.readOnly = true;
  EXPECT_EQ(AttributesText(facts), "Read-only");
  facts.encrypted = true;
  EXPECT_EQ(AttributesText(facts), "Encrypted, Read-only");
  facts.compressed = true;
  EXPECT_EQ(AttributesText(facts), "Encrypted, Compressed, Read-only");
  facts.readOnly = false;
  EXPECT_EQ(AttributesText(facts), "Encrypted, Compressed");  // trailing ", " removed
  facts.found = false;
  EXPECT_EQ(AttributesText(facts), "");
  EXPECT_EQ(ZoomText(0.125), "0.12");
  EXPECT_EQ(SizeText(-1, 7), "(h) -1 x (v) 7");
  EXPECT_EQ(CreatedText(std::nullopt, QLocale::c()), "");
  const QString created = CreatedText(0, QLocale(QLocale::English, QLocale::UnitedStates));
  EXPECT_EQ(created.count(QStringLiteral("  ")), 1);
  EXPECT_EQ(created.count(QLatin1Char(':')), 1) << created.toStdString();  // no seconds
}

TEST(PropertiesValues, FileSystemAttributesCountOnlyWhereTheFileSystemReportsThem) {
  struct statx info {};
  info.stx_size = 12;
  info.stx_attributes = STATX_ATTR_COMPRESSED | STATX_ATTR_ENCRYPTED;
  info.stx_attributes_mask = STATX_ATTR_COMPRESSED;  // encryption not supported here
  FileFacts facts = FactsFromStatx(info);
  EXPECT_TRUE(facts.found);
  EXPECT_EQ(facts.size, 12u);
  EXPECT_TRUE(facts.compressed);
  EXPECT_FALSE(facts.encrypted);
  EXPECT_EQ(AttributesText(facts), "Compressed");
  info.stx_attributes_mask |= STATX_ATTR_ENCRYPTED;
  EXPECT_EQ(AttributesText(FactsFromStatx(info)), "Encrypted, Compressed");

  // A real file on this file system: no attribute it does not report.
  const std::string path = ::testing::TempDir() + "/attributes.bin";
  { std::ofstream(path) << "x"; }
  facts = ReadFileFacts(path);
  EXPECT_TRUE(facts.found);
  EXPECT_EQ(AttributesText(facts), facts.compressed ? "Compressed" : "");
  std::remove(path.c_str());
}

TEST(PropertiesSheet, WholeImageVisibleOutlinesAllFourSides) {
  // A 400 x 300 image in a larger client: the outline is the thumbnail's border (factor 2).
  const document::Image image = Gray(400, 300, 100);
  ShownSheet sheet({"", "pasted", &image, false, {400, 300}, 1.0, {400, 300}, {0, 0}, {640, 480}});
  const QImage thumbnail = sheet.Picture("View", control::kViewThumbnail);
  ASSERT_EQ(thumbnail.size(), QSize(200, 150));
  const QColor red(255, 0, 0);
  EXPECT_EQ(thumbnail.pixelColor(100, 0), red);    // top
  EXPECT_EQ(thumbnail.pixelColor(0, 75), red);     // left
  EXPECT_EQ(thumbnail.pixelColor(199, 75), red);   // right
  EXPECT_EQ(thumbnail.pixelColor(198, 75), red);
  EXPECT_EQ(thumbnail.pixelColor(100, 149), red);  // bottom
  EXPECT_EQ(thumbnail.pixelColor(100, 148), red);
  EXPECT_EQ(thumbnail.pixelColor(100, 75), QColor(100, 100, 100));
  // Magnified (zoom 0.25, View page shows it as it is): a small outline inside.
  ShownSheet magnified(
      {"", "pasted", &image, false, {400, 300}, 0.25, {1600, 1200}, {400, 400}, {400, 200}});
  EXPECT_EQ(magnified.Value("View", control::kZoom), "0.25");
  EXPECT_EQ(magnified.Value("View", control::kSize), "(h) 1600 x (v) 1200");
  const QImage small = magnified.Picture("View", control::kViewThumbnail);
  EXPECT_EQ(small.pixelColor(50, 60), red);   // image (100, 100) / 2: the top-left corner
  EXPECT_EQ(small.pixelColor(99, 60), red);   // right edge at (100 + 100) / 2 - 1
  EXPECT_EQ(small.pixelColor(75, 70), QColor(100, 100, 100));
}

TEST(Thumbnail, ReducesByAreaAveragingWithoutMoire) {
  // Ridges one pixel wide every second column: picking at a factor of 2 would show all
  // black or all white, averaging shows the mean gray.
  std::vector<std::uint8_t> gray(400 * 300);
  for (int y = 0; y < 300; ++y)
    for (int x = 0; x < 400; ++x) gray[static_cast<std::size_t>(y) * 400 + x] = x % 2 ? 200 : 0;
  const document::Image ridges = *document::GrayToImage(gray, 400, 300);
  const auto thumbnail = MakeThumbnail(ridges, 200, 150);
  ASSERT_TRUE(thumbnail);
  ASSERT_EQ(thumbnail->width, 200);
  for (int x = 0; x < 200; ++x) EXPECT_EQ(thumbnail->TopDownRow(70)[3 * x], 100) << x;
}

TEST(Thumbnail, OutlineIsClippedAndEmptyRectanglesDrawNothing) {
  document::Image image = Gray(10, 10, 0);
  DrawOutline(image, {-5, -5, 0, 20}, kOutlineRed);
  DrawOutline(image, {8, 8, 10, 10}, kOutlineRed);  // reaches past the edges
  EXPECT_EQ(image.TopDownRow(9)[9 * 3 + 2], 0);       // its right stroke lies outside
  EXPECT_EQ(image.TopDownRow(7)[9 * 3 + 2], 255);     // its top stroke, row 7
  EXPECT_EQ(image.TopDownRow(9)[7 * 3 + 2], 255);     // its left stroke, column 7
  EXPECT_EQ(image.TopDownRow(0)[0], 0);
  document::Image small = Gray(20, 10, 0);
  EXPECT_DOUBLE_EQ(FitFactor(500, 500, 100, 50), 10.0);
  EXPECT_DOUBLE_EQ(FitFactor(20, 10, 100, 80), 0.2);
  const auto thumbnail = MakeThumbnail(small, 100, 80);
  ASSERT_TRUE(thumbnail.has_value());
  EXPECT_EQ(thumbnail->width, 100);
  EXPECT_EQ(thumbnail->RowCount(), 50u);
}

}  // namespace
}  // namespace ridgeview::dialogs
