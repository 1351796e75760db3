// Copying the zoomed image to the clipboard and pasting the clipboard's bitmap.
#include "dib_builder.h"
#include "document/clipboard_dib.h"
#include "document/pixel_convert.h"
#include "document_fixture.h"

#include <filesystem>
#include <regex>
#include <string>

namespace ridgeview::document::testing {
namespace {

constexpr const char* kPasteFailed = "Could not paste image from clipboard";

class ClipboardTest : public DocumentTest {
 protected:
  // Shows a wsq image so that a paste has something to replace.
  void OpenWsq() {
    ASSERT_TRUE(document.OpenImageFile(WriteWsq("shown.wsq"), 1.0, -1, -1));
    commands.states.clear();
  }

  void ExpectPasted() {
    EXPECT_TRUE(messages.messages.empty());
    EXPECT_EQ(document.imagePath(), "");
    EXPECT_FALSE(document.wsqOrigin());
    ASSERT_FALSE(view.calls.empty());
    const auto& call = view.calls.back();
    EXPECT_TRUE(call.hadImage);
    EXPECT_EQ(call.name, std::optional<std::string>("pasted"));
    EXPECT_EQ(call.zoom, 1.0);
    EXPECT_EQ(call.x, -1);
    EXPECT_EQ(call.y, -1);
    ExpectImageCommands(true);
  }

  // A failed paste: the message, and the document as it was before.
  void ExpectPasteRefused(std::size_t callsBefore, const std::string& pathBefore) {
    ExpectOneMessage(kPasteFailed, MessageIcon::Error);
    EXPECT_EQ(view.calls.size(), callsBefore);
    EXPECT_EQ(document.imagePath(), pathBefore);
    EXPECT_TRUE(commands.states.empty());
  }
};

TEST_F(ClipboardTest, CopyPlacesTheZoomedImageAsSixteenBitBottomUpBitmap) {
  auto image = std::make_unique<Image>(*CreateImage(640, 480, 24));
  for (std::size_t i = 0; i < image->pixels.size(); i += 3) image->pixels[i] = 255;  // blue
  view.SetImage(std::move(image), "big", 2.0, -1, -1);
  view.contentWidth = 320;
  view.contentHeight = 240;

  ASSERT_TRUE(document.CopyImage());
  EXPECT_TRUE(messages.messages.empty());
  ASSERT_TRUE(clipboard.bmpData);
  const Bytes& file = *clipboard.bmpData;
  ASSERT_EQ(file.size(), 14u + 52u + 153600u);
  EXPECT_EQ(file[0], 'B');
  EXPECT_EQ(file[1], 'M');
  EXPECT_EQ(Le32(file, 10), 14u + 52u);  // pixels right after the masks
  const std::size_t h = 14;              // the packed block behind the file header
  EXPECT_EQ(Le32(file, h), 40u);
  EXPECT_EQ(Le32(file, h + 4), 320u);
  EXPECT_EQ(Le32(file, h + 8), 240u);  // positive: bottom row first
  EXPECT_EQ(file[h + 14], 16);
  EXPECT_EQ(Le32(file, h + 16), 3u);
  EXPECT_EQ(Le32(file, h + 20), 153600u);
  EXPECT_EQ(Le32(file, h + 32), 3u);
  EXPECT_EQ(Le32(file, h + 40), 0x7C00u);
  EXPECT_EQ(Le32(file, h + 44), 0x03E0u);
  EXPECT_EQ(Le32(file, h + 48), 0x001Fu);
  EXPECT_EQ(file[h + 52], 0x1F);
  EXPECT_EQ(file[h + 53], 0x00);
}

TEST_F(ClipboardTest, CopyOfASmoothedReductionAveragesAndAMagnifiedOneIsAtOne) {
  // 4 x 2 gray: 10 20 30 40 / 50 60 70 80.
  const Bytes gray = {10, 20, 30, 40, 50, 60, 70, 80};
  view.SetImage(std::make_unique<Image>(*GrayToImage(gray, 4, 2)), "g", 2.0, -1, -1);
  view.contentWidth = 2;
  view.contentHeight = 1;
  view.zoom = 2.0;
  view.smooth = true;
  ASSERT_TRUE(document.CopyImage());
  const std::size_t pixels = 14 + 52;
  const auto at = [&](std::size_t i) {
    return (*clipboard.bmpData)[pixels + 2 * i] | ((*clipboard.bmpData)[pixels + 2 * i + 1] << 8);
  };
  const auto packed = [](int v) { return ((v >> 3) << 10) | ((v >> 3) << 5) | (v >> 3); };
  EXPECT_EQ(at(0), packed(35));  // the mean of 10, 20, 50, 60, as the view draws it
  EXPECT_EQ(at(1), packed(55));

  // "Exact pixels": picked.
  view.smooth = false;
  ASSERT_TRUE(document.CopyImage());
  EXPECT_EQ(at(0), packed(10));

  // Magnified 4 x (content 16 x 8): the image itself at 1.00.
  view.zoom = 0.25;
  view.contentWidth = 16;
  view.contentHeight = 8;
  ASSERT_TRUE(document.CopyImage());
  const Bytes& file = *clipboard.bmpData;
  EXPECT_EQ(Le32(file, 14 + 4), 4u);
  EXPECT_EQ(Le32(file, 14 + 8), 2u);
  EXPECT_EQ(at(0), packed(50));  // bottom row first
  EXPECT_EQ(at(4), packed(10));
}

TEST_F(ClipboardTest, CopyFailuresShowTheWarning) {
  // No image.
  EXPECT_FALSE(document.CopyImage());
  // An image with no zoomed size.
  view.SetImage(std::make_unique<Image>(*CreateImage(8, 8, 24)), "x", 1.0, -1, -1);
  EXPECT_FALSE(document.CopyImage());
  // The clipboard refuses the bitmap.
  view.contentWidth = view.contentHeight = 8;
  clipboard.refusePut = true;
  EXPECT_FALSE(document.CopyImage());
  EXPECT_EQ(clipboard.putCalls, 1);
  ASSERT_EQ(messages.messages.size(), 3u);
  for (const auto& m : messages.messages) {
    EXPECT_EQ(m.text, "Could not copy image to clipboard");
    EXPECT_EQ(m.caption, "Ridgeview");
    EXPECT_EQ(m.icon, MessageIcon::Warning);
  }
  EXPECT_FALSE(clipboard.bmpData);
}

TEST_F(ClipboardTest, PastesTwentyFourBitBlockWithPixelsAfterTheHeader) {
  OpenWsq();
  DibFields f;
  f.width = 2;
  f.height = 2;
  f.pixels = {1, 2, 3, 4, 5, 6, 0, 0, 7, 8, 9, 10, 11, 12, 0, 0};
  clipboard.bmpData = BuildDib(f);
  ASSERT_EQ(clipboard.bmpData->size(), 40u + 16u);

  ASSERT_TRUE(document.PasteImage());
  ExpectPasted();
  ASSERT_TRUE(view.bitmap);
  EXPECT_EQ(view.bitmap->bitsPerPixel, 24);
  EXPECT_EQ(view.bitmap->height, 2);
  EXPECT_EQ(view.bitmap->pixels, f.pixels);
}

TEST_F(ClipboardTest, PastesPaletteBlocksSkippingTheirColourTables) {
  // 8 bits with colours used 0: 256 entries, 1024 bytes, before the pixels.
  DibFields eight;
  eight.width = 4;
  eight.bitsPerPixel = 8;
  eight.table = GrayTable(256);
  eight.pixels = {0, 85, 170, 255};
  clipboard.bmpData = BuildDib(eight);
  ASSERT_EQ(clipboard.bmpData->size(), 40u + 1024u + 4u);
  ASSERT_TRUE(document.PasteImage());
  ExpectPasted();
  EXPECT_EQ(view.bitmap->bitsPerPixel, 8);
  EXPECT_EQ(view.bitmap->colourTable.size(), 256u);
  EXPECT_EQ(view.bitmap->pixels, eight.pixels);

  // 1 bit: 2 entries, 8 bytes.
  DibFields one;
  one.width = 8;
  one.bitsPerPixel = 1;
  one.table = {{0, 0, 0, 0}, {255, 255, 255, 0}};
  one.pixels = {0xA5, 0, 0, 0};
  clipboard.bmpData = BuildDib(one);
  ASSERT_EQ(clipboard.bmpData->size(), 40u + 8u + 4u);
  ASSERT_TRUE(document.PasteImage());
  EXPECT_EQ(view.bitmap->bitsPerPixel, 1);
  EXPECT_EQ(view.bitmap->pixels, one.pixels);
  EXPECT_EQ(view.bitmap->colourTable[1].red, 255);
}

TEST_F(ClipboardTest, PastesBitmapFilesAndWhatCopyPlaced) {
  DibFields f;
  f.width = 3;
  f.height = -1;
  f.pixels = {9, 8, 7, 6, 5, 4, 3, 2, 1, 0, 0, 0};
  clipboard.bmpData = BuildBmp(f, 6);  // a gap before the pixels
  ASSERT_TRUE(document.PasteImage());
  EXPECT_EQ(view.bitmap->pixels, f.pixels);

  // Copy, then paste: the zoomed 16-bit image comes back.
  view.contentWidth = 2;
  view.contentHeight = 1;
  ASSERT_TRUE(document.CopyImage());
  ASSERT_TRUE(document.PasteImage());
  EXPECT_EQ(view.bitmap->width, 2);
  EXPECT_EQ(view.bitmap->bitsPerPixel, 16);
  EXPECT_EQ(view.bitmap->compression, kCompressionBitFields);
  EXPECT_TRUE(messages.messages.empty());
}

TEST_F(ClipboardTest, EmptyClipboardKeepsTheDocument) {
  OpenWsq();
  const std::size_t calls = view.calls.size();
  const std::string path = document.imagePath();
  EXPECT_FALSE(document.PasteImage());
  ExpectPasteRefused(calls, path);
  EXPECT_TRUE(document.wsqOrigin());
  EXPECT_TRUE(view.bitmap);
}

TEST_F(ClipboardTest, TruncatedAndLyingBlocksAreRefused) {
  OpenWsq();
  const std::size_t calls = view.calls.size();
  const std::string path = document.imagePath();

  DibFields truncated;
  truncated.width = 4;
  truncated.height = 4;
  truncated.pixels = Bytes(47, 1);  // one byte short of 4 rows of 12
  DibFields huge;
  huge.width = 100000;
  huge.height = 100000;
  huge.pixels = Bytes(64, 1);
  DibFields manyColours;
  manyColours.bitsPerPixel = 8;
  manyColours.coloursUsed = 100000;
  manyColours.table = GrayTable(16);
  manyColours.pixels = Bytes(4, 0);
  DibFields badDepth;
  badDepth.bitsPerPixel = 7;
  badDepth.pixels = Bytes(4, 0);

  Bytes lyingFile = BuildBmp(truncated);
  lyingFile[10] = 0xF0;  // a pixel offset beyond the end

  for (const Bytes& data : {BuildDib(truncated), BuildDib(huge), BuildDib(manyColours),
                            BuildDib(badDepth), lyingFile, Bytes{'B', 'M'}, Bytes{40, 0, 0}}) {
    messages.messages.clear();
    clipboard.bmpData = data;
    EXPECT_FALSE(document.PasteImage());
    ExpectPasteRefused(calls, path);
  }
}

// The hand-made seeds of the paste fuzzer are valid blocks and must paste; the inputs the
// fuzzer kept (named by their hash) are mostly malformed and must either paste cleanly or be
// refused with the one message, leaving the document as it was.
TEST_F(ClipboardTest, PasteSeedsPasteAndFuzzerInputsPasteOrAreRefused) {
  const std::filesystem::path seeds = std::filesystem::path(RIDGEVIEW_SOURCE_DIR) / "fuzz/corpus/paste";
  const std::regex hashName("[0-9a-f]{40}");
  int handMade = 0;
  for (const auto& entry : std::filesystem::directory_iterator(seeds)) {
    SCOPED_TRACE(entry.path().string());
    messages.messages.clear();
    clipboard.bmpData = ReadBytes(entry.path().string());
    const std::size_t calls = view.calls.size();
    const std::string path = document.imagePath();
    commands.states.clear();
    const bool pasted = document.PasteImage();
    if (!std::regex_match(entry.path().filename().string(), hashName)) {
      EXPECT_TRUE(pasted);
      ExpectPasted();
      ++handMade;
    } else {
      if (pasted) {
        ExpectPasted();
      } else {
        ExpectPasteRefused(calls, path);
      }
    }
  }
  EXPECT_GE(handMade, 5);
}

}  // namespace
}  // namespace ridgeview::document::testing
