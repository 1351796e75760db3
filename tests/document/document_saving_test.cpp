// Saving the shown image as a bitmap file or as WSQ.
#include "document/bmp_file.h"
#include "document/image_file_type.h"
#include "document/pixel_convert.h"
#include "document_fixture.h"

namespace ridgeview::document::testing {
namespace {

// A 24-bit top-down image whose bytes count up from 1 (padding bytes too).
std::unique_ptr<Image> Counting(int width, int height) {
  auto image = std::make_unique<Image>(*CreateImage(width, -height, 24));
  for (std::size_t i = 0; i < image->pixels.size(); ++i) {
    image->pixels[i] = static_cast<std::uint8_t>(i + 1);
  }
  return image;
}

// A 24-bit top-down image of one colour.
std::unique_ptr<Image> Filled(int width, int height, std::uint8_t blue, std::uint8_t green,
                              std::uint8_t red) {
  auto image = std::make_unique<Image>(*CreateImage(width, -height, 24));
  for (int y = 0; y < height; ++y) {
    std::uint8_t* row = image->TopDownRow(static_cast<std::uint64_t>(y));
    for (int x = 0; x < width; ++x) {
      row[3 * x] = blue;
      row[3 * x + 1] = green;
      row[3 * x + 2] = red;
    }
  }
  return image;
}

class SaveTest : public DocumentTest {
 protected:
  void Show(std::unique_ptr<Image> image) {
    view.SetImage(std::move(image), "shown", 1.0, -1, -1);
  }
};

TEST_F(SaveTest, BitmapFileOfThreeByTwoHasPaddedTopDownRows) {
  Show(Counting(3, 2));
  const std::string path = Path("out.bmp");
  ASSERT_TRUE(document.SaveImage(path, 2));
  const Bytes file = ReadBytes(path);
  ASSERT_EQ(file.size(), 78u);
  EXPECT_EQ(file[0], 'B');
  EXPECT_EQ(file[1], 'M');
  EXPECT_EQ(Le32(file, 2), 78u);
  EXPECT_EQ(Le32(file, 10), 54u);
  EXPECT_EQ(Le32(file, 14), 40u);
  EXPECT_EQ(Le32(file, 18), 3u);
  EXPECT_EQ(static_cast<std::int32_t>(Le32(file, 22)), -2);
  EXPECT_EQ(file[28], 24);
  EXPECT_EQ(Le32(file, 30), 0u);
  EXPECT_EQ(Le32(file, 34), 24u);
  // The rendered rows, stride 12 (9 bytes of pixels and 3 of padding, written as 0).
  const auto rgb = RenderRgb24(*view.bitmap);
  ASSERT_TRUE(rgb);
  EXPECT_EQ(Bytes(file.begin() + 54, file.end()), rgb->pixels);
  EXPECT_EQ(file[54 + 1], 2);
  EXPECT_EQ(file[54 + 9], 0);
  EXPECT_TRUE(messages.messages.empty());
}

TEST_F(SaveTest, BitmapFileOfFourByOneHasNoPadding) {
  Show(Counting(4, 1));
  const std::string path = Path("row.bmp");
  ASSERT_TRUE(document.SaveImage(path, 2));
  const Bytes file = ReadBytes(path);
  ASSERT_EQ(file.size(), 66u);
  EXPECT_EQ(Le32(file, 34), 12u);
  EXPECT_EQ(Bytes(file.begin() + 54, file.end()), view.bitmap->pixels);
}

TEST_F(SaveTest, ColourPixelIsEncodedFromTheMeanOfItsChannels) {
  Show(Filled(64, 64, 200, 100, 1));  // (200 + 100 + 1) div 3 = 100
  const std::string path = Path("colour.wsq");
  ASSERT_TRUE(document.SaveImage(path, 1));
  int w = 0, h = 0;
  const Bytes gray = DecodeWsq(ReadBytes(path), &w, &h);
  ASSERT_EQ(w, 64);
  ASSERT_EQ(h, 64);
  EXPECT_EQ(gray, Bytes(64 * 64, 100));
}

TEST_F(SaveTest, WsqImageIsEncodedFromItsOwnGrayValues) {
  const std::string source = WriteWsq("print.wsq");
  ASSERT_TRUE(document.OpenImageFile(source, 1.0, -1, -1));
  const std::string path = Path("copy.wsq");
  ASSERT_TRUE(document.SaveImage(path, 1));
  // The encoder is deterministic: the same gray bytes give the same file.
  int w = 0, h = 0;
  const Bytes decoded = DecodeWsq(ReadBytes(source), &w, &h);
  EXPECT_EQ(ReadBytes(path), EncodeWsq(decoded, w, h));
  EXPECT_TRUE(messages.messages.empty());
}

TEST_F(SaveTest, EncoderFailureLeavesTheTargetUntouchedAndSaysSo) {
  Show(Filled(10, 10, 9, 9, 9));  // too small for a WSQ file
  const std::string path = Path("keep.wsq");
  WriteBytes(path, {'o', 'l', 'd'});
  EXPECT_FALSE(document.SaveImage(path, 1));
  EXPECT_EQ(ReadBytes(path), (Bytes{'o', 'l', 'd'}));
  ASSERT_EQ(messages.messages.size(), 1u);
  EXPECT_EQ(messages.messages[0].text, "Cannot save image to: " + path);
  EXPECT_FALSE(document.SaveImage(Path("fresh.wsq"), 1));
  EXPECT_FALSE(std::filesystem::exists(Path("fresh.wsq")));
}

TEST_F(SaveTest, TheChosenPathIsUsedExactly) {
  Show(Filled(64, 64, 10, 20, 30));
  ASSERT_TRUE(document.SaveImage(Path("scan"), 1));
  EXPECT_TRUE(std::filesystem::exists(Path("scan")));
  EXPECT_FALSE(std::filesystem::exists(Path("scan.wsq")));
  // A name with a known extension decides the format, whatever the filter.
  ASSERT_TRUE(document.SaveImage(Path("bitmap.wsq"), 2));
  EXPECT_EQ(ReadBytes(Path("bitmap.wsq"))[0], 0xFF);
  EXPECT_EQ(ReadBytes(Path("bitmap.wsq"))[1], 0xA0);
}

TEST_F(SaveTest, PastedImageIsSavedAsShown) {
  auto image = std::make_unique<Image>(*CreateImage(3, 2, 16));
  image->compression = kCompressionBitFields;
  image->redMask = kRed555;
  image->greenMask = kGreen555;
  image->blueMask = kBlue555;
  image->pixels[0] = 0x1F;  // bottom-left pixel pure blue
  Show(std::move(image));
  const std::string path = Path("pasted.bmp");
  ASSERT_TRUE(document.SaveImage(path, 2));
  const auto reread = LoadBmpFile(path);
  ASSERT_TRUE(reread);
  const auto rgb = RenderRgb24(*view.bitmap);
  EXPECT_EQ(reread->pixels, rgb->pixels);
  EXPECT_EQ(reread->TopDownRow(1)[0], 255);
}

TEST_F(SaveTest, UnwritableTargetIsReported) {
  Show(Counting(4, 4));
  const std::string path = Path("no-such-folder/out.bmp");
  EXPECT_FALSE(document.SaveImage(path, 2));
  ExpectOneMessage("Cannot save image to: " + path, MessageIcon::Error);
}

TEST_F(SaveTest, InvalidImageCannotBeRendered) {
  auto image = std::make_unique<Image>();
  image->width = 5;
  image->height = 5;  // no pixels at all
  Show(std::move(image));
  const std::string path = Path("never.bmp");
  EXPECT_FALSE(document.SaveImage(path, 2));
  ExpectOneMessage("Error: hDIB == NULL", MessageIcon::Error);
  EXPECT_FALSE(std::filesystem::exists(path));
}

TEST_F(SaveTest, NothingHappensWithoutImageOrWithAnUnknownFilter) {
  EXPECT_FALSE(document.SaveImage(Path("none.bmp"), 2));
  Show(Counting(4, 4));
  EXPECT_FALSE(document.SaveImage(Path("zero.bmp"), 0));
  EXPECT_FALSE(document.SaveImage(Path("four.bmp"), 4));
  EXPECT_TRUE(messages.messages.empty());
  EXPECT_TRUE(std::filesystem::is_empty(folder_));
}

TEST_F(SaveTest, PngIsEightBitGrayForAGrayImageAndTwentyFourBitOtherwise) {
  // Byte 25 of a PNG file is the colour type of its header: 0 gray, 2 truecolour. That the
  // pixels come back exactly is checked against Qt's reader in the platform tests.
  ASSERT_TRUE(document.OpenImageFile(WriteWsq("print.wsq"), 1.0, -1, -1));
  ASSERT_TRUE(document.SaveImage(Path("gray.png"), kSaveFilterPng));
  const Bytes gray = ReadBytes(Path("gray.png"));
  ASSERT_GT(gray.size(), 25u);
  EXPECT_EQ(SniffImageType(gray), ImageFileType::kPng);
  EXPECT_EQ(gray[25], 0);
  Show(Filled(5, 3, 200, 100, 1));
  ASSERT_TRUE(document.SaveImage(Path("colour.png"), kSaveFilterPng));
  const Bytes colour = ReadBytes(Path("colour.png"));
  ASSERT_GT(colour.size(), 25u);
  EXPECT_EQ(colour[25], 2);
  EXPECT_TRUE(messages.messages.empty());
}

TEST_F(SaveTest, AKnownExtensionInAnyCaseChoosesTheFormat) {
  Show(Filled(64, 64, 10, 20, 30));
  ASSERT_TRUE(document.SaveImage(Path("A.BMP"), kSaveFilterWsq));
  EXPECT_EQ(SniffImageType(ReadBytes(Path("A.BMP"))), ImageFileType::kBmp);
  ASSERT_TRUE(document.SaveImage(Path("b.Png"), kSaveFilterBmp));
  EXPECT_EQ(SniffImageType(ReadBytes(Path("b.Png"))), ImageFileType::kPng);
  ASSERT_TRUE(document.SaveImage(Path("c.WSQ"), kSaveFilterPng));
  EXPECT_EQ(SniffImageType(ReadBytes(Path("c.WSQ"))), ImageFileType::kWsq);
  // Any other name is written in the filter's format.
  ASSERT_TRUE(document.SaveImage(Path("d.jpg"), kSaveFilterPng));
  EXPECT_EQ(SniffImageType(ReadBytes(Path("d.jpg"))), ImageFileType::kPng);
  // Every file written reopens.
  for (const char* name : {"A.BMP", "c.WSQ"}) {
    EXPECT_TRUE(document.OpenImageFile(Path(name), 1.0, -1, -1)) << name;
  }
}

TEST_F(SaveTest, ASavedFilesFolderBecomesTheLastFolderUsed) {
  Show(Counting(4, 4));
  std::filesystem::create_directories(Path("out"));
  ASSERT_TRUE(document.SaveImage(Path("out/x.bmp"), kSaveFilterBmp));
  EXPECT_EQ(document.lastFolder(), Path("out"));
  // A failed save leaves it.
  EXPECT_FALSE(document.SaveImage(Path("absent/y.bmp"), kSaveFilterBmp));
  EXPECT_EQ(document.lastFolder(), Path("out"));
}

}  // namespace
}  // namespace ridgeview::document::testing
