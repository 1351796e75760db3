// Stepping the document through its folder's images, and the folder the dialogs start in.
#include "document/bmp_file.h"
#include "document_fixture.h"

namespace ridgeview::document::testing {
namespace {

constexpr const char* kCannotLoad = "Cannot load image from: ";

class DocumentFolderTest : public DocumentTest {
 protected:
  // print1.wsq, print2.wsq (damaged: WSQ signature, nothing decodable), print10.wsq and a
  // text file; natural order puts print2 before print10.
  DocumentFolderTest() {
    WriteWsq("print1.wsq");
    WriteBytes(Path("print2.wsq"), {0xFF, 0xA0, 0x00, 0x01});
    WriteWsq("print10.wsq");
    WriteBytes(Path("readme.txt"), {'h', 'i'});
  }
};

TEST_F(DocumentFolderTest, StepsOpenAsOpenDoesAndAFailedFileStaysThePosition) {
  ASSERT_TRUE(document.OpenImageFile(Path("print1.wsq"), 2.5, 3, 4));

  // The damaged file is the next image by content: it fails with its message and clears the
  // document, but the walk stands on it.
  EXPECT_FALSE(document.OpenNeighbourImage(FolderStep::kNext));
  ExpectOneMessage(kCannotLoad + Path("print2.wsq"), MessageIcon::Error);
  EXPECT_EQ(document.imagePath(), "");
  ExpectImageCommands(false);

  // The next step goes past it, at zoom 1.0 and centred.
  messages.messages.clear();
  ASSERT_TRUE(document.OpenNeighbourImage(FolderStep::kNext));
  EXPECT_EQ(document.imagePath(), Path("print10.wsq"));
  EXPECT_EQ(view.displayName, std::optional<std::string>("print10"));
  EXPECT_EQ(view.calls.back().zoom, 1.0);
  EXPECT_EQ(view.calls.back().x, -1);
  EXPECT_EQ(view.calls.back().y, -1);
  ExpectImageCommands(true);
  EXPECT_TRUE(messages.messages.empty());

  // At the end nothing happens: the view is not touched.
  const std::size_t calls = view.calls.size();
  EXPECT_FALSE(document.OpenNeighbourImage(FolderStep::kNext));
  EXPECT_EQ(view.calls.size(), calls);
  EXPECT_EQ(document.imagePath(), Path("print10.wsq"));
  EXPECT_TRUE(messages.messages.empty());

  // Back through the damaged file to the first, then nothing before it.
  EXPECT_FALSE(document.OpenNeighbourImage(FolderStep::kPrevious));
  EXPECT_TRUE(document.OpenNeighbourImage(FolderStep::kPrevious));
  EXPECT_EQ(document.imagePath(), Path("print1.wsq"));
  EXPECT_FALSE(document.OpenNeighbourImage(FolderStep::kPrevious));
  EXPECT_EQ(document.imagePath(), Path("print1.wsq"));
}

TEST_F(DocumentFolderTest, APasteLeavesNoPositionButAFailedPasteOrAReloadKeepIt) {
  ASSERT_TRUE(document.OpenImageFile(Path("print10.wsq"), 1.0, -1, -1));
  clipboard.bmpData = Bytes{'B', 'M'};  // unreadable: the paste fails and changes nothing
  EXPECT_FALSE(document.PasteImage());
  EXPECT_EQ(document.folderWalk().position(), Path("print10.wsq"));
  view.Release();
  document.ReloadImage();
  EXPECT_EQ(document.folderWalk().position(), Path("print10.wsq"));

  clipboard.bmpData = ImageToBmpFile(*CreateImage(2, 2, 24));
  ASSERT_TRUE(document.PasteImage());
  EXPECT_EQ(document.folderWalk().position(), "");
  EXPECT_FALSE(document.OpenNeighbourImage(FolderStep::kPrevious));
  EXPECT_EQ(view.displayName, std::optional<std::string>("pasted"));
}

TEST_F(DocumentFolderTest, TheLastFolderFollowsEveryFileOpenedOrTried) {
  const std::string elsewhere = WriteWsq("sub/deeper/x.wsq");
  ASSERT_TRUE(document.OpenImageFile(elsewhere, 1.0, -1, -1));
  EXPECT_EQ(document.lastFolder(), Path("sub/deeper"));
  // A file that fails to open was still chosen there; an empty path changes nothing.
  EXPECT_FALSE(document.OpenImageFile(Path("sub/missing.wsq"), 1.0, -1, -1));
  EXPECT_EQ(document.lastFolder(), Path("sub"));
  document.OpenImageFile("", 1.0, -1, -1);
  EXPECT_EQ(document.lastFolder(), Path("sub"));
}

}  // namespace
}  // namespace ridgeview::document::testing
