// The natural order of file names and stepping through a folder's images.
#include "document/folder_walk.h"

#include <sys/stat.h>

#include <algorithm>

#include "document_fixture.h"

namespace ridgeview::document::testing {
namespace {

int Sign(int v) { return (v > 0) - (v < 0); }

TEST(CompareNatural, SortsAsAFileManagerShowsAndIsAStrictOrder) {
  std::vector<std::string> names = {"print10.wsq", "Print1.wsq", "print2.wsq", "a.bmp",
                                    "print01.wsq", "PRINT_0001.WSQ", "b10", "B9", "print1.wsq",
                                    "n100000000000000000000000", "n99999999999999999999999"};
  std::sort(names.begin(), names.end(),
            [](const std::string& a, const std::string& b) { return CompareNatural(a, b) < 0; });
  // Numbers by value, of any length; letters without case; names equal so (only in case or
  // leading zeros) by their bytes.
  EXPECT_EQ(names, (std::vector<std::string>{"a.bmp", "B9", "b10", "n99999999999999999999999",
                                             "n100000000000000000000000", "Print1.wsq",
                                             "print01.wsq", "print1.wsq", "print2.wsq",
                                             "print10.wsq", "PRINT_0001.WSQ"}));
  // Every pair compares the opposite way round, every triple transitively, and only a name
  // compares equal to itself.
  for (const auto& a : names) {
    for (const auto& b : names) {
      EXPECT_EQ(Sign(CompareNatural(a, b)), -Sign(CompareNatural(b, a))) << a << " " << b;
      EXPECT_EQ(CompareNatural(a, b) == 0, a == b) << a << " " << b;
      for (const auto& c : names) {
        if (CompareNatural(a, b) < 0 && CompareNatural(b, c) < 0) {
          EXPECT_LT(CompareNatural(a, c), 0) << a << " " << b << " " << c;
        }
      }
    }
  }
}

class FolderWalkTest : public DocumentTest {
 protected:
  // A folder of images, and of things that are not, in natural order:
  //   a1.wsq (WSQ bytes), a2.txt (text), a3.wsq (a pipe), a4.wsq (a folder),
  //   a5.png (a link to a1.wsq), a10.JPG (JPEG bytes), A11.bmp (bitmap bytes),
  //   b.gif (a link to nowhere), .hidden.wsq (WSQ bytes, hidden).
  FolderWalkTest() {
    WriteBytes(Path("a1.wsq"), {0xFF, 0xA0, 0xFF, 0xA8});
    WriteBytes(Path("a2.txt"), {'B', 'I', 'G'});
    mkfifo(Path("a3.wsq").c_str(), 0600);
    std::filesystem::create_directory(Path("a4.wsq"));
    std::filesystem::create_symlink(Path("a1.wsq"), Path("a5.png"));
    WriteBytes(Path("a10.JPG"), {0xFF, 0xD8, 0xFF, 0xE0});
    WriteBytes(Path("A11.bmp"), {'B', 'M', 0, 0});
    std::filesystem::create_symlink(Path("nowhere"), Path("b.gif"));
    WriteBytes(Path(".hidden.wsq"), {0xFF, 0xA0});
  }
  std::optional<std::string> Step(const std::string& from, FolderStep step) {
    walk.SetPosition(from);
    return walk.Neighbour(step);
  }
  FolderWalk walk;
};

TEST_F(FolderWalkTest, StepsOverWhatIsNotAnImageInBothDirections) {
  EXPECT_EQ(Step(Path("a1.wsq"), FolderStep::kNext), Path("a5.png"));
  EXPECT_EQ(Step(Path("a5.png"), FolderStep::kNext), Path("a10.JPG"));
  EXPECT_EQ(Step(Path("a10.JPG"), FolderStep::kNext), Path("A11.bmp"));
  EXPECT_EQ(Step(Path("A11.bmp"), FolderStep::kNext), std::nullopt);  // the end

  EXPECT_EQ(Step(Path("A11.bmp"), FolderStep::kPrevious), Path("a10.JPG"));
  EXPECT_EQ(Step(Path("a10.JPG"), FolderStep::kPrevious), Path("a5.png"));
  EXPECT_EQ(Step(Path("a5.png"), FolderStep::kPrevious), Path("a1.wsq"));
  EXPECT_EQ(Step(Path("a1.wsq"), FolderStep::kPrevious), std::nullopt);  // the start
}

TEST_F(FolderWalkTest, APositionThatIsNoImageOrIsGoneStillHasNeighbours) {
  EXPECT_EQ(Step(Path("a2.txt"), FolderStep::kNext), Path("a5.png"));
  EXPECT_EQ(Step(Path("a2.txt"), FolderStep::kPrevious), Path("a1.wsq"));
  EXPECT_EQ(Step(Path("a7.wsq"), FolderStep::kNext), Path("a10.JPG"));  // no such file
  EXPECT_EQ(Step(Path("a7.wsq"), FolderStep::kPrevious), Path("a5.png"));
  // A hidden position steps to the visible files around it.
  EXPECT_EQ(Step(Path(".hidden.wsq"), FolderStep::kNext), Path("a1.wsq"));
  EXPECT_EQ(Step(Path(".hidden.wsq"), FolderStep::kPrevious), std::nullopt);
}

TEST_F(FolderWalkTest, NothingWithoutPositionOrReadableFolder) {
  EXPECT_EQ(walk.Neighbour(FolderStep::kNext), std::nullopt);
  EXPECT_EQ(Step(Path("gone/a1.wsq"), FolderStep::kNext), std::nullopt);
  EXPECT_EQ(Step(Path("a1.wsq/inside"), FolderStep::kNext), std::nullopt);  // not a folder
}

}  // namespace
}  // namespace ridgeview::document::testing
