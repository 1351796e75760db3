// The About box: texts, icon, colours, the two layouts and closing.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDialogButtonBox>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTimer>

#include "app/about_box.h"

namespace ridgeview::app {
namespace {

TEST(AboutBox, ShowsNameVersionIconAndHelpOnTheInfoColour) {
  AboutBox box;
  EXPECT_EQ(box.windowTitle(), "About Ridgeview");
  EXPECT_EQ(box.helpLabel()->text().toStdString(),
            "Use the Return key (or F11) to toggle full screen.\n"
            "Use the arrow keys to zoom in and out, slowly with horizontal arrows, quickly with "
            "vertical.\n"
            "Keep the mouse button pressed in place, or right-click, to get the menu.\n"
            "Drag the image to move it.\n"
            "Ctrl + wheel or Ctrl + Plus / Minus magnify up to 16 x (Ctrl + 0: 1.00, Ctrl + 9: "
            "fit); Shift + drag measures.");
  EXPECT_NE(box.versionLabel()->frameShape(), QFrame::NoFrame);
  EXPECT_NE(box.helpLabel()->frameShape(), QFrame::NoFrame);
  EXPECT_TRUE(box.versionLabel()->alignment() & Qt::AlignHCenter);
  ASSERT_FALSE(box.iconLabel()->pixmap().isNull());
  EXPECT_EQ(box.helpLabel()->palette().color(QPalette::Window),
            box.palette().color(QPalette::ToolTipBase));
  EXPECT_TRUE(box.helpLabel()->autoFillBackground());
}

TEST(AboutBox, LayoutFollowsTheScreensShape) {
  AboutBox box;
  // The offscreen screen is 800 x 600: wider than tall.
  EXPECT_EQ(box.landscape(), IsLandscape(QGuiApplication::primaryScreen()));

  box.LayOut(false);
  EXPECT_EQ(box.versionLabel()->text().toStdString(), "Ridgeview v1.3\nTarnwell");
  box.show();
  QApplication::processEvents();
  // Portrait: one column, the help text below the version.
  EXPECT_GT(box.helpLabel()->y(), box.versionLabel()->y() + box.versionLabel()->height() - 1);

  box.LayOut(true);
  EXPECT_EQ(box.versionLabel()->text().toStdString(), "Ridgeview  v1.3\nTarnwell");
  QApplication::processEvents();
  // Landscape: the help text beside the version.
  EXPECT_GE(box.helpLabel()->x(), box.versionLabel()->x() + box.versionLabel()->width());
  EXPECT_FALSE(IsLandscape(nullptr));
}

TEST(AboutBox, DoneClosesIt) {
  AboutBox box;
  QPushButton* done = nullptr;
  for (QAbstractButton* b : box.buttons()->buttons()) {
    if (b->text() == "Done") done = qobject_cast<QPushButton*>(b);
  }
  ASSERT_NE(done, nullptr);
  QTimer::singleShot(0, done, &QPushButton::click);
  EXPECT_EQ(box.exec(), QDialog::Accepted);
}

}  // namespace
}  // namespace ridgeview::app
