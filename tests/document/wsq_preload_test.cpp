// Loading a WSQ file without messages, and the start-up preload the document takes only for
// the file it opens, as that file still is.
#include <cstdio>
#include <filesystem>
#include <string>

#include "document/pixel_convert.h"
#include "document/wsq_load.h"
#include "document_fixture.h"

namespace ridgeview::document::testing {
namespace {

// The 24-bit image the document shows for the WSQ bytes `file`.
Bytes ShownPixels(const Bytes& file) {
  int w = 0, h = 0;
  const Bytes gray = DecodeWsq(file, &w, &h);
  const std::optional<Image> image = GrayToImage(gray, w, h);
  return image ? Bytes(image->pixels.begin(), image->pixels.end()) : Bytes();
}

Bytes PixelsOf(const Image& image) { return Bytes(image.pixels.begin(), image.pixels.end()); }

TEST_F(DocumentTest, LoadWsqSaysWhatWentWrongWithoutAMessage) {
  const std::string good = WriteWsq("good.wsq");
  WsqLoad loaded = LoadWsq(good);
  ASSERT_EQ(loaded.outcome, WsqLoad::Outcome::kLoaded);
  ASSERT_TRUE(loaded.image);
  EXPECT_EQ(PixelsOf(*loaded.image), ShownPixels(ReadBytes(good)));
  EXPECT_EQ(loaded.image->xPixelsPerMetre, 19685);  // 500 ppi
  EXPECT_EQ(loaded.stamp, *StampOf(good));

  EXPECT_EQ(LoadWsq(Path("missing.wsq")).outcome, WsqLoad::Outcome::kUnreadable);
  EXPECT_EQ(LoadWsq(folder_).outcome, WsqLoad::Outcome::kUnreadable);
  Bytes damaged = ReadBytes(good);
  damaged.resize(damaged.size() / 2);
  WriteBytes(Path("damaged.wsq"), damaged);
  const WsqLoad bad = LoadWsq(Path("damaged.wsq"));
  EXPECT_EQ(bad.outcome, WsqLoad::Outcome::kNotDecoded);
  EXPECT_FALSE(bad.image);
  EXPECT_FALSE(bad.codecText.empty());
  EXPECT_TRUE(messages.messages.empty());
}

TEST_F(DocumentTest, APreloadIsTakenOnceAndOnlyForItsOwnFile) {
  const std::string path = WriteWsq("card.wsq");
  const std::string other = WriteWsq("other.wsq");
  {
    WsqPreload preload(path);
    EXPECT_FALSE(WsqPreload::Take(other));
    std::optional<WsqLoad> taken = WsqPreload::Take(path);
    ASSERT_TRUE(taken);
    ASSERT_TRUE(taken->image);
    EXPECT_EQ(PixelsOf(*taken->image), ShownPixels(ReadBytes(path)));
    EXPECT_FALSE(WsqPreload::Take(path)) << "given out once";
  }
  EXPECT_FALSE(WsqPreload::Take(path)) << "no preload runs any more";

  // The document's open takes it: the same image as an ordinary open.
  {
    WsqPreload preload(path);
    ASSERT_TRUE(document.OpenImageFile(path, 1.0, -1, -1));
    EXPECT_FALSE(WsqPreload::Take(path)) << "the open took it";
  }
  ASSERT_TRUE(view.bitmap);
  EXPECT_EQ(PixelsOf(*view.bitmap), ShownPixels(ReadBytes(path)));
  EXPECT_TRUE(document.wsqOrigin());
  EXPECT_TRUE(messages.messages.empty());

  // A result nobody takes is freed with the preload; an empty path or a file of another
  // kind starts nothing.
  { WsqPreload unused(path); }
  for (const std::string& p : {std::string(), Path("missing.wsq")}) {
    WsqPreload none(p);
    EXPECT_FALSE(WsqPreload::Take(p));
  }
}

TEST_F(DocumentTest, AFileChangedOrDamagedSinceThePreloadLoadsTheOrdinaryWay) {
  const std::string path = WriteWsq("scan.wsq");
  const Bytes first = ReadBytes(path);
  // Another image put in its place after the preload read it: the preload is not used.
  {
    WsqPreload preload(path);
    preload.Wait();
    const Bytes second = EncodeWsq(GrayPattern(40, 30), 40, 30);
    WriteBytes(Path("next.wsq"), second);
    std::filesystem::rename(Path("next.wsq"), path);
    EXPECT_FALSE(WsqPreload::Take(path));
    ASSERT_TRUE(document.OpenImageFile(path, 1.0, -1, -1));
    ASSERT_TRUE(view.bitmap);
    EXPECT_EQ(view.bitmap->width, 40);
    EXPECT_EQ(PixelsOf(*view.bitmap), ShownPixels(second));
  }
  // A file that does not decode: the open reports it as any failed load does.
  Bytes damaged = first;
  damaged.resize(damaged.size() / 2);
  WriteBytes(path, damaged);
  {
    WsqPreload preload(path);
    preload.Wait();
    ::testing::internal::CaptureStderr();
    EXPECT_FALSE(document.OpenImageFile(path, 1.0, -1, -1));
    const std::string err = ::testing::internal::GetCapturedStderr();
    EXPECT_FALSE(err.empty()) << "the codec's text is written once, by the ordinary load";
    ExpectOneMessage("Cannot load image from: " + path, MessageIcon::Error);
  }
}

}  // namespace
}  // namespace ridgeview::document::testing
