// Saving the shown image as a bitmap file or as WSQ.
#include <zlib.h>

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

// The chunks of a PNG file: type and data, each checked against its CRC.
struct Chunk {
  std::string type;
  Bytes data;
};
std::vector<Chunk> PngChunks(const Bytes& file) {
  std::vector<Chunk> chunks;
  const Bytes signature{0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
  if (file.size() < 8 || !std::equal(signature.begin(), signature.end(), file.begin())) {
    ADD_FAILURE() << "no PNG signature";
    return chunks;
  }
  const auto be32 = [&file](std::size_t at) {
    return (std::uint32_t{file[at]} << 24) | (file[at + 1] << 16) | (file[at + 2] << 8) | file[at + 3];
  };
  std::size_t at = 8;
  while (at + 12 <= file.size()) {
    const std::uint32_t length = be32(at);
    if (at + 12 + length > file.size()) break;
    const uLong crc = crc32(0L, file.data() + at + 4, 4 + length);
    EXPECT_EQ(crc, be32(at + 8 + length)) << "chunk at " << at;
    chunks.push_back({std::string(file.begin() + at + 4, file.begin() + at + 8),
                      Bytes(file.begin() + at + 8, file.begin() + at + 8 + length)});
    at += 12 + length;
  }
  EXPECT_EQ(at, file.size()) << "bytes after the last chunk";
  return chunks;
}

// The inflated IDAT stream of the chunks.
Bytes Inflated(const std::vector<Chunk>& chunks, std::size_t expected) {
  Bytes stream;
  for (const Chunk& c : chunks) {
    if (c.type == "IDAT") stream.insert(stream.end(), c.data.begin(), c.data.end());
  }
  Bytes out(expected + 1);
  uLongf length = out.size();
  EXPECT_EQ(uncompress(out.data(), &length, stream.data(), stream.size()), Z_OK);
  out.resize(length);
  return out;
}

TEST_F(SaveTest, PngOfAGrayImageIsEightBitGrayOfAColourImageTwentyFourBit) {
  const std::string source = WriteWsq("print.wsq");
  ASSERT_TRUE(document.OpenImageFile(source, 1.0, -1, -1));
  const std::string gray = Path("print.png");
  ASSERT_TRUE(document.SaveImage(gray, kSaveFilterPng));
  std::vector<Chunk> chunks = PngChunks(ReadBytes(gray));
  ASSERT_GE(chunks.size(), 3u);
  EXPECT_EQ(chunks.front().type, "IHDR");
  EXPECT_EQ(chunks.front().data, (Bytes{0, 0, 0, 64, 0, 0, 0, 48, 8, 0, 0, 0, 0}));
  EXPECT_EQ(chunks.back().type, "IEND");
  EXPECT_TRUE(chunks.back().data.empty());
  // One filter byte (0 to 4) and 64 gray bytes per row.
  const Bytes rows = Inflated(chunks, 48 * 65);
  ASSERT_EQ(rows.size(), 48u * 65u);
  for (std::size_t y = 0; y < 48; ++y) EXPECT_LE(rows[y * 65], 4) << "row " << y;

  Show(Filled(5, 3, 200, 100, 1));
  const std::string colour = Path("colour.png");
  ASSERT_TRUE(document.SaveImage(colour, kSaveFilterPng));
  chunks = PngChunks(ReadBytes(colour));
  ASSERT_GE(chunks.size(), 3u);
  EXPECT_EQ(chunks.front().data, (Bytes{0, 0, 0, 5, 0, 0, 0, 3, 8, 2, 0, 0, 0}));
  EXPECT_EQ(Inflated(chunks, 3 * 16).size(), 3u * 16u);
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

TEST_F(SaveTest, PngIntoAMissingFolderIsReportedAndWritesNothing) {
  Show(Counting(4, 4));
  const std::string path = Path("absent/out.png");
  EXPECT_FALSE(document.SaveImage(path, kSaveFilterPng));
  ExpectOneMessage("Cannot save image to: " + path, MessageIcon::Error);
  EXPECT_FALSE(std::filesystem::exists(Path("absent")));
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
