// Loading by file type, opening, clearing and reloading the document.
#include <sys/stat.h>

#include "ridgeview/wsq.h"
#include "dib_builder.h"
#include "document/pixel_convert.h"
#include "document_fixture.h"

namespace ridgeview::document::testing {
namespace {

constexpr const char* kCannotLoad = "Cannot load image from: ";

TEST(DisplayNameForPath, TakesFileNameUpToItsLastDot) {
  EXPECT_EQ(DisplayNameForPath("/My Documents/a.b.wsq"), "a.b");
  EXPECT_EQ(DisplayNameForPath("/x.wsq/y.bmp"), "y");
  EXPECT_EQ(DisplayNameForPath("/a.png/noext"), "");
  EXPECT_EQ(DisplayNameForPath("plain.gif"), "plain");
  EXPECT_EQ(DisplayNameForPath("/dir/.hidden"), "");
  EXPECT_EQ(DisplayNameForPath("/dir/"), "");
  // Backslashes are ordinary characters in a file name here.
  EXPECT_EQ(DisplayNameForPath("/dir/a\\b.c.jpg"), "a\\b.c");
}

TEST_F(DocumentTest, OpensWsqFileAsGrayImageNamedWithoutExtension) {
  const std::string path = WriteWsq("My Documents/a.b.wsq");
  ASSERT_TRUE(document.OpenImageFile(path, 2.5, 7, 9));

  EXPECT_TRUE(messages.messages.empty());
  EXPECT_EQ(document.imagePath(), path);
  EXPECT_TRUE(document.wsqOrigin());
  ExpectImageCommands(true);
  ASSERT_EQ(view.calls.size(), 1u);
  EXPECT_TRUE(view.calls[0].hadImage);
  EXPECT_EQ(view.calls[0].name, std::optional<std::string>("a.b"));
  EXPECT_EQ(view.calls[0].zoom, 2.5);
  EXPECT_EQ(view.calls[0].x, 7);
  EXPECT_EQ(view.calls[0].y, 9);

  // 24 bits, top row first, every channel the decoded gray value.
  ASSERT_TRUE(view.bitmap);
  const Image& image = *view.bitmap;
  EXPECT_EQ(image.width, 64);
  EXPECT_EQ(image.height, -48);
  EXPECT_EQ(image.bitsPerPixel, 24);
  EXPECT_TRUE(image.colourTable.empty());
  int w = 0, h = 0;
  const Bytes gray = DecodeWsq(ReadBytes(path), &w, &h);
  ASSERT_EQ(gray.size(), 64u * 48u);
  const auto expected = GrayToImage(gray, w, h);
  ASSERT_TRUE(expected);
  EXPECT_EQ(image.pixels, expected->pixels);
}

TEST_F(DocumentTest, DecoderIsChosenByContentWhateverTheName) {
  // A WSQ file is read as WSQ under any name, also inside a folder with an extension.
  for (const char* name : {"x.wsq/y.bmp", "a.wsq.bmp", "IMG.JPG", "scan.WSQ", "notes.txt"}) {
    const std::string path = WriteWsq(name);
    ASSERT_TRUE(document.OpenImageFile(path, 1.0, -1, -1)) << name;
    EXPECT_TRUE(document.wsqOrigin()) << name;
  }
  EXPECT_EQ(view.displayName, std::optional<std::string>("notes"));
  EXPECT_TRUE(pictures.paths.empty());

  // JPEG, PNG and GIF bytes go to the picture loader, even in a folder named like a WSQ file
  // or under a name of another kind.
  pictures.answer = CreateImage(3, 2, 24);
  std::filesystem::create_directories(Path("prints.wsq"));
  const std::string photo = Path("prints.wsq/photo.jpg");
  WriteBytes(photo, {0xFF, 0xD8, 0xFF, 0xE0, 1, 2});
  const std::string png = Path("shot.bmp");
  WriteBytes(png, {0x89, 'P', 'N', 'G', 0x0D, 0x0A});
  const std::string gif = Path("anim");
  WriteBytes(gif, {'G', 'I', 'F', '8', '9', 'a'});
  for (const std::string& path : {photo, png, gif}) {
    EXPECT_TRUE(document.OpenImageFile(path, 1.0, -1, -1)) << path;
    EXPECT_FALSE(document.wsqOrigin());
  }
  EXPECT_EQ(pictures.paths, (std::vector<std::string>{photo, png, gif}));
  EXPECT_EQ(view.displayName, std::optional<std::string>(""));  // "anim" has no '.'

  // Bitmap bytes named .png are read by the bitmap reader.
  DibFields fields;
  fields.width = 1;
  fields.height = 1;
  fields.bitsPerPixel = 24;
  fields.pixels = {1, 2, 3, 0};
  const std::string bmp = Path("really-a-bitmap.png");
  WriteBytes(bmp, BuildBmp(fields));
  ASSERT_TRUE(document.OpenImageFile(bmp, 1.0, -1, -1));
  EXPECT_EQ(view.bitmap->pixels, fields.pixels);
  EXPECT_EQ(pictures.paths.size(), 3u);
  EXPECT_TRUE(messages.messages.empty());
}

TEST_F(DocumentTest, UnknownContentFallsBackToTheExtensionInAnyCase) {
  // Content matching no signature: the extension decides, whatever its letter case.
  for (const char* name : {"IMG_0001.JPG", "scan.jpeg", "b.Png", "c.GIF"}) {
    const std::string path = Path(name);
    WriteBytes(path, {'?', '?', '?', '?'});
    EXPECT_FALSE(document.OpenImageFile(path, 1.0, -1, -1)) << name;  // the loader says none
    ASSERT_FALSE(pictures.paths.empty());
    EXPECT_EQ(pictures.paths.back(), path);
  }
  EXPECT_EQ(pictures.paths.size(), 4u);
  // The WSQ and bitmap branches fail on such bytes; a file that is an image neither by
  // content nor by name fails without reaching any decoder. Each names its path.
  for (const char* name : {"scan.WSQ", "scan.BMP", "notes.txt", "noext"}) {
    const std::string path = Path(name);
    WriteBytes(path, {'?', '?', '?', '?'});
    messages.messages.clear();
    EXPECT_FALSE(document.OpenImageFile(path, 1.0, -1, -1)) << name;
    ExpectOneMessage(kCannotLoad + path, MessageIcon::Error);
  }
  EXPECT_EQ(pictures.paths.size(), 4u);
}

TEST_F(DocumentTest, FailedOpenClearsTheDocumentAndDisablesCommands) {
  const std::string good = WriteWsq("good.wsq");
  ASSERT_TRUE(document.OpenImageFile(good, 1.0, -1, -1));
  const std::string missing = Path("missing.wsq");
  EXPECT_FALSE(document.OpenImageFile(missing, 3.0, 5, 5));

  ExpectOneMessage(kCannotLoad + missing, MessageIcon::Error);
  EXPECT_EQ(document.imagePath(), "");
  EXPECT_FALSE(document.wsqOrigin());
  EXPECT_FALSE(view.bitmap);
  ASSERT_EQ(view.calls.size(), 2u);
  EXPECT_FALSE(view.calls[1].hadImage);
  EXPECT_EQ(view.calls[1].name, std::nullopt);
  EXPECT_EQ(view.calls[1].zoom, 1.0);
  EXPECT_EQ(view.calls[1].x, -1);
  EXPECT_EQ(view.calls[1].y, -1);
  ExpectImageCommands(false);
}

TEST_F(DocumentTest, ClearImageEmptiesTheDocumentAndDisablesTheImageCommands) {
  ASSERT_TRUE(document.OpenImageFile(WriteWsq("shown.wsq"), 1.0, -1, -1));
  ExpectImageCommands(true);
  document.ClearImage();
  EXPECT_EQ(document.imagePath(), "");
  EXPECT_FALSE(document.wsqOrigin());
  EXPECT_FALSE(view.bitmap);
  ExpectImageCommands(false);
  EXPECT_TRUE(messages.messages.empty());
}

TEST_F(DocumentTest, EmptyPathFailsWithoutMessage) {
  EXPECT_FALSE(document.OpenImageFile("", 1.0, -1, -1));
  EXPECT_TRUE(messages.messages.empty());
  ASSERT_EQ(view.calls.size(), 1u);
  EXPECT_FALSE(view.calls[0].hadImage);
  ExpectImageCommands(false);
}

TEST_F(DocumentTest, UnreadableWsqPathsFailWithTheLoadMessageOnly) {
  const std::string empty = Path("empty.wsq");
  WriteBytes(empty, {});
  const std::string garbage = Path("garbage.wsq");
  WriteBytes(garbage, Bytes(300, 0x5A));
  const std::string folder = Path("folder.wsq");
  std::filesystem::create_directory(folder);
  // A pipe with no writer: opening it must not wait for one.
  const std::string pipe = Path("pipe.wsq");
  ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);

  for (const std::string& path : {empty, garbage, folder, pipe}) {
    messages.messages.clear();
    EXPECT_FALSE(document.OpenImageFile(path, 1.0, -1, -1)) << path;
    ExpectOneMessage(kCannotLoad + path, MessageIcon::Error);
    EXPECT_FALSE(document.wsqOrigin());
  }
  // The empty file is left as it was.
  EXPECT_TRUE(std::filesystem::is_regular_file(empty));
  EXPECT_EQ(std::filesystem::file_size(empty), 0u);
}

TEST_F(DocumentTest, PathLengthIsLimitedOnlyByTheSystem) {
  // Longer than the 260 characters of older systems: opens.
  std::string name;
  for (int i = 0; i < 6; ++i) name += std::string(50, char('a' + i)) + "/";
  const std::string path = WriteWsq(name + "long.wsq");
  ASSERT_GT(path.size(), 300u);
  EXPECT_TRUE(document.OpenImageFile(path, 1.0, -1, -1));
  EXPECT_EQ(document.imagePath(), path);

  // Longer than the system takes: fails like a missing file.
  const std::string tooLong = Path(std::string(5000, 'x') + ".wsq");
  EXPECT_FALSE(document.OpenImageFile(tooLong, 1.0, -1, -1));
  ExpectOneMessage(kCannotLoad + tooLong, MessageIcon::Error);
}

TEST_F(DocumentTest, WsqFileBeyondTheMemoryBudgetIsRefusedBeforeReading) {
  const std::string path = WriteWsq("big.wsq");
  const std::size_t saved = ridgeview_wsq_memory_budget();
  ridgeview_wsq_set_memory_budget(std::filesystem::file_size(path) - 1);
  const bool opened = document.OpenImageFile(path, 1.0, -1, -1);
  ridgeview_wsq_set_memory_budget(saved);

  EXPECT_FALSE(opened);
  ASSERT_EQ(messages.messages.size(), 2u);
  EXPECT_EQ(messages.messages[0].text, "Error: malloc for buffer failed");
  EXPECT_EQ(messages.messages[1].text, kCannotLoad + path);
  for (const auto& m : messages.messages) {
    EXPECT_EQ(m.caption, "Ridgeview");
    EXPECT_EQ(m.icon, MessageIcon::Error);
  }
}

TEST_F(DocumentTest, BitmapFileKeepsItsDepthAndClearsWsqOrigin) {
  ASSERT_TRUE(document.OpenImageFile(WriteWsq("first.wsq"), 1.0, -1, -1));
  ASSERT_TRUE(document.wsqOrigin());

  DibFields fields;
  fields.width = 4;
  fields.height = 2;
  fields.bitsPerPixel = 8;
  fields.table = GrayTable(256);
  fields.pixels = {0, 50, 100, 150, 200, 250, 255, 1};
  const std::string path = Path("second.bmp");
  WriteBytes(path, BuildBmp(fields));
  ASSERT_TRUE(document.OpenImageFile(path, 1.0, -1, -1));

  EXPECT_FALSE(document.wsqOrigin());
  EXPECT_EQ(document.imagePath(), path);
  EXPECT_EQ(view.displayName, std::optional<std::string>("second"));
  ASSERT_TRUE(view.bitmap);
  EXPECT_EQ(view.bitmap->bitsPerPixel, 8);
  EXPECT_EQ(view.bitmap->colourTable.size(), 256u);
  EXPECT_EQ(view.bitmap->pixels, fields.pixels);

  // A malformed bitmap file fails like any other.
  const std::string broken = Path("broken.bmp");
  WriteBytes(broken, Bytes{'B', 'M', 1, 2, 3});
  EXPECT_FALSE(document.OpenImageFile(broken, 1.0, -1, -1));
  ExpectOneMessage(kCannotLoad + broken, MessageIcon::Error);
}

TEST_F(DocumentTest, PictureLoaderFailuresAndInvalidImagesAreRefused) {
  const std::string path = Path("photo.jpg");
  EXPECT_FALSE(document.OpenImageFile(path, 1.0, -1, -1));  // the loader answers none
  ExpectOneMessage(kCannotLoad + path, MessageIcon::Error);

  // An image breaking the model's invariants never reaches the view.
  Image bad;
  bad.width = 4;
  bad.height = 4;
  bad.bitsPerPixel = 24;  // but no pixel bytes
  pictures.answer = bad;
  messages.messages.clear();
  EXPECT_FALSE(document.OpenImageFile(path, 1.0, -1, -1));
  ExpectOneMessage(kCannotLoad + path, MessageIcon::Error);
  EXPECT_FALSE(view.bitmap);
}

TEST_F(DocumentTest, ReloadPutsTheImageBackKeepingNameZoomAndOffset) {
  const std::string path = WriteWsq("scan.wsq");
  ASSERT_TRUE(document.OpenImageFile(path, 1.5, 3, 4));
  const PixelBytes shown = view.bitmap->pixels;
  view.Release();
  commands.calls = 0;

  document.ReloadImage();
  EXPECT_EQ(view.replaceCalls, 1);
  EXPECT_EQ(view.calls.size(), 1u);  // no second SetImage
  ASSERT_TRUE(view.bitmap);
  EXPECT_EQ(view.bitmap->pixels, shown);
  EXPECT_EQ(view.displayName, std::optional<std::string>("scan"));
  EXPECT_EQ(document.imagePath(), path);
  EXPECT_TRUE(document.wsqOrigin());
  EXPECT_TRUE(messages.messages.empty());
  EXPECT_EQ(commands.calls, 0);
}

TEST_F(DocumentTest, ReloadOfAVanishedFileClearsTheDocument) {
  const std::string path = WriteWsq("gone.wsq");
  ASSERT_TRUE(document.OpenImageFile(path, 1.0, -1, -1));
  view.Release();
  std::filesystem::remove(path);

  document.ReloadImage();
  ExpectOneMessage(kCannotLoad + path, MessageIcon::Error);
  EXPECT_EQ(document.imagePath(), "");
  EXPECT_FALSE(document.wsqOrigin());
  EXPECT_FALSE(view.bitmap);
  EXPECT_EQ(view.displayName, std::nullopt);
  ExpectImageCommands(false);
}

TEST_F(DocumentTest, ReloadWithoutPathClearsWithoutMessage) {
  document.ReloadImage();
  EXPECT_TRUE(messages.messages.empty());
  EXPECT_EQ(view.replaceCalls, 0);
  ASSERT_EQ(view.calls.size(), 1u);
  EXPECT_FALSE(view.calls[0].hadImage);
  ExpectImageCommands(false);
}

}  // namespace
}  // namespace ridgeview::document::testing
