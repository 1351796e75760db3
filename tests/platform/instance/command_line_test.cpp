#include "platform/qt/instance/command_line.h"

#include <gtest/gtest.h>

namespace ridgeview::platform {
namespace {

const QString kStart = QStringLiteral("/home/ann/prints");

TEST(CommandLineFromArguments, NoArgumentsGiveTheEmptyCommandLine) {
  EXPECT_EQ(CommandLineFromArguments({}, kStart), QString());
  // One empty argument is no path either.
  EXPECT_EQ(CommandLineFromArguments({QString()}, kStart), QString());
}

TEST(CommandLineFromArguments, ArgumentsAreJoinedBySingleBlanks) {
  EXPECT_EQ(CommandLineFromArguments({"/data/left", "thumb.wsq"}, kStart),
            "/data/left thumb.wsq");
  // Blanks inside an argument stay as they are; nothing is trimmed or unquoted.
  EXPECT_EQ(CommandLineFromArguments({"/data/a  b", "\"c\" "}, kStart), "/data/a  b \"c\" ");
  // No options: a leading dash is part of the name.
  EXPECT_EQ(CommandLineFromArguments({"-v.wsq"}, kStart), "/home/ann/prints/-v.wsq");
}

TEST(CommandLineFromArguments, RelativePathsAreMadeAbsoluteAgainstTheStartFolder) {
  EXPECT_EQ(CommandLineFromArguments({"left", "thumb.wsq"}, kStart),
            "/home/ann/prints/left thumb.wsq");
  EXPECT_EQ(CommandLineFromArguments({"sub/f.wsq"}, kStart), "/home/ann/prints/sub/f.wsq");
  EXPECT_EQ(CommandLineFromArguments({"f.wsq"}, "/"), "/f.wsq");
  EXPECT_EQ(CommandLineFromArguments({"f.wsq"}, "/home/ann/"), "/home/ann/f.wsq");
  // A relative first argument makes the whole joined path relative.
  EXPECT_EQ(CommandLineFromArguments({"a", "/b.wsq"}, kStart), "/home/ann/prints/a /b.wsq");
}

TEST(CommandLineFromArguments, DotComponentsAreKeptForTheFileSystemToResolve) {
  EXPECT_EQ(CommandLineFromArguments({"../f.wsq"}, kStart), "/home/ann/prints/../f.wsq");
  EXPECT_EQ(CommandLineFromArguments({"./f.wsq"}, kStart), "/home/ann/prints/./f.wsq");
}

TEST(CommandLineFromArguments, AbsolutePathsAreUnchanged) {
  EXPECT_EQ(CommandLineFromArguments({"/tmp/../x/f.wsq"}, kStart), "/tmp/../x/f.wsq");
}

TEST(CommandLineFromArguments, WithoutAnAbsoluteStartFolderARelativePathStaysAsGiven) {
  EXPECT_EQ(CommandLineFromArguments({"f.wsq"}, QString()), "f.wsq");
  EXPECT_EQ(CommandLineFromArguments({"f.wsq"}, "relative"), "f.wsq");
}

}  // namespace
}  // namespace ridgeview::platform
