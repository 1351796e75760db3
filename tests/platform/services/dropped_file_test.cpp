// Which file a drag onto the window carries.
#include "platform/qt/services/dropped_file.h"

#include <gtest/gtest.h>

#include <QMimeData>
#include <QTemporaryDir>
#include <QUrl>

namespace ridgeview::platform {
namespace {

TEST(DroppedLocalFile, TheFirstLocalFileThatIsNoFolder) {
  QTemporaryDir dir;
  const QString file = dir.filePath("IMG 0001.JPG");
  QMimeData data;
  data.setUrls({QUrl("https://example.org/a.wsq"), QUrl::fromLocalFile(dir.path()),
                QUrl::fromLocalFile(file), QUrl::fromLocalFile(dir.filePath("b.wsq"))});
  EXPECT_EQ(DroppedLocalFile(&data), std::optional<std::string>(file.toStdString()));

  // The text/uri-list as file managers send it: percent-encoded, with a comment line.
  QMimeData list;
  list.setData("text/uri-list", "# from a file manager\r\nfile:///tmp/print%20one.wsq\r\n");
  EXPECT_EQ(DroppedLocalFile(&list), std::optional<std::string>("/tmp/print one.wsq"));

  QMimeData folderOnly;
  folderOnly.setUrls({QUrl::fromLocalFile(dir.path())});
  EXPECT_EQ(DroppedLocalFile(&folderOnly), std::nullopt);
  EXPECT_EQ(DroppedLocalFile(nullptr), std::nullopt);
}

}  // namespace
}  // namespace ridgeview::platform
