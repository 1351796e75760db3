// Telling an image file's kind by its first bytes, and by its name only when they tell none.
#include "document/image_file_type.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "document_fixture.h"

namespace ridgeview::document::testing {
namespace {

ImageFileType Sniff(const Bytes& head) { return SniffImageType(head); }

TEST(SniffImageType, KnowsEachSignatureAndNothingShortOfIt) {
  EXPECT_EQ(Sniff({0xFF, 0xA0}), ImageFileType::kWsq);
  EXPECT_EQ(Sniff({0xFF, 0xA0, 0xFF, 0xA8}), ImageFileType::kWsq);
  EXPECT_EQ(Sniff({'B', 'M', 0x36, 0}), ImageFileType::kBmp);
  EXPECT_EQ(Sniff({0xFF, 0xD8, 0xFF, 0xE0}), ImageFileType::kJpeg);
  EXPECT_EQ(Sniff({0x89, 'P', 'N', 'G'}), ImageFileType::kPng);
  EXPECT_EQ(Sniff({'G', 'I', 'F', '8'}), ImageFileType::kGif);

  // Near misses, and heads too short for their signature (never read beyond them).
  for (const Bytes& head : {Bytes{}, Bytes{0xFF}, Bytes{0xFF, 0xA1}, Bytes{'B', 'm'},
                            Bytes{0xFF, 0xD8}, Bytes{0x89, 'P', 'N'}, Bytes{'G', 'I', 'F', '7'}}) {
    EXPECT_EQ(Sniff(head), ImageFileType::kUnknown) << head.size() << " bytes";
  }
}

TEST(ImageTypeFromName, TakesTheFileNamesLastExtensionInAnyCase) {
  EXPECT_EQ(ImageTypeFromName("/p/IMG_0001.JPG"), ImageFileType::kJpeg);
  EXPECT_EQ(ImageTypeFromName("scan.jpeg"), ImageFileType::kJpeg);
  EXPECT_EQ(ImageTypeFromName("/p/Scan.JpEg"), ImageFileType::kJpeg);
  EXPECT_EQ(ImageTypeFromName("/p/PRINT_0001.WSQ"), ImageFileType::kWsq);
  EXPECT_EQ(ImageTypeFromName("/p/a.Bmp"), ImageFileType::kBmp);
  EXPECT_EQ(ImageTypeFromName("/p/a.gif"), ImageFileType::kGif);
  // Only the last extension of the file name counts, never a folder's.
  EXPECT_EQ(ImageTypeFromName("/data/prints.wsq/photo.jpg"), ImageFileType::kJpeg);
  EXPECT_EQ(ImageTypeFromName("/data/prints.wsq/photo"), ImageFileType::kUnknown);
  EXPECT_EQ(ImageTypeFromName("/x/a.wsq.bak"), ImageFileType::kUnknown);
  EXPECT_EQ(ImageTypeFromName("/x/a.bak.wsq"), ImageFileType::kWsq);
  EXPECT_EQ(ImageTypeFromName("/x/a.wsq/"), ImageFileType::kUnknown);
  EXPECT_EQ(ImageTypeFromName("/x/ajpg"), ImageFileType::kUnknown);
  EXPECT_EQ(ImageTypeFromName("/x/a.jpgx"), ImageFileType::kUnknown);
}

TEST_F(DocumentTest, ContentDecidesAndTheNameOnlyWhenContentTellsNothing) {
  const std::string jpegNamedWsq = Path("photo.wsq");
  WriteBytes(jpegNamedWsq, {0xFF, 0xD8, 0xFF, 0xE1, 0, 0});
  EXPECT_EQ(ImageFileTypeOf(jpegNamedWsq), ImageFileType::kJpeg);
  EXPECT_TRUE(IsImageByContent(jpegNamedWsq));

  const std::string textNamedJpg = Path("IMG_0001.JPG");
  WriteBytes(textNamedJpg, {'n', 'o', 't', 'e', 's'});
  EXPECT_EQ(ImageFileTypeOf(textNamedJpg), ImageFileType::kJpeg);
  EXPECT_FALSE(IsImageByContent(textNamedJpg));

  const std::string emptyWsq = Path("empty.WSQ");
  WriteBytes(emptyWsq, {});
  EXPECT_EQ(ImageFileTypeOf(emptyWsq), ImageFileType::kWsq);
  EXPECT_EQ(ImageFileTypeOf(Path("missing.gif")), ImageFileType::kGif);
  EXPECT_EQ(ImageFileTypeOf(Path("missing")), ImageFileType::kUnknown);
  EXPECT_FALSE(IsImageByContent(Path("missing.gif")));

  // A folder or a pipe is never read (a pipe with no writer would block); its name decides.
  std::filesystem::create_directory(Path("folder.bmp"));
  EXPECT_EQ(ReadFileHead(Path("folder.bmp")), Bytes{});
  ASSERT_EQ(mkfifo(Path("pipe.png").c_str(), 0600), 0);
  EXPECT_EQ(ReadFileHead(Path("pipe.png")), Bytes{});
  EXPECT_EQ(ImageFileTypeOf(Path("pipe.png")), ImageFileType::kPng);
  EXPECT_FALSE(IsImageByContent(Path("pipe.png")));
}

}  // namespace
}  // namespace ridgeview::document::testing
