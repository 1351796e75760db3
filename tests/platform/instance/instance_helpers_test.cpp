// The exit status mapping and raising the running instance's window.
#include <gtest/gtest.h>

#include <QApplication>
#include <QWidget>

#include "platform/qt/instance/exit_status.h"
#include "platform/qt/instance/single_instance.h"
#include "platform/qt/instance/window_activation.h"

namespace ridgeview::platform {
namespace {

TEST(ExitStatusFromResult, KeepsSmallCodesAndNeverTurnsAFailureIntoZeroOrOne) {
  EXPECT_EQ(ExitStatusFromResult(kInstanceGoOn), 0);
  EXPECT_EQ(ExitStatusFromResult(kInstanceTakenOver), 1);
  EXPECT_EQ(ExitStatusFromResult(255), 255);
  EXPECT_EQ(ExitStatusFromResult(kInstanceGeneralFailure), 5);
  EXPECT_EQ(ExitStatusFromResult(kInstanceInvalidArgument), 87);
  // Codes whose low byte is 0 or 1 would read as a normal end when truncated.
  EXPECT_EQ(ExitStatusFromResult(static_cast<int>(0x80004000u)), 255);
  EXPECT_EQ(ExitStatusFromResult(0x101), 255);
  EXPECT_EQ(ExitStatusFromResult(-1), 255);
}

TEST(RaiseAndActivate, RefusesMissingAndHiddenWindows) {
  EXPECT_FALSE(RaiseAndActivate(nullptr));
  QWidget hidden;
  EXPECT_FALSE(RaiseAndActivate(&hidden));
  EXPECT_TRUE(hidden.isHidden());
}

TEST(RaiseAndActivate, RestoresAMinimisedWindowToItsFormerState) {
  QWidget plain;
  plain.resize(120, 80);
  plain.show();
  plain.setWindowState(Qt::WindowMinimized);
  EXPECT_TRUE(RaiseAndActivate(&plain));
  EXPECT_FALSE(plain.windowState() & Qt::WindowMinimized);
  EXPECT_TRUE(plain.isVisible());

  QWidget full;
  full.showFullScreen();
  full.setWindowState(full.windowState() | Qt::WindowMinimized);
  QWidget child(&full);
  EXPECT_TRUE(RaiseAndActivate(&child));  // a child stands for its window
  EXPECT_FALSE(full.windowState() & Qt::WindowMinimized);
  EXPECT_TRUE(full.windowState() & Qt::WindowFullScreen);
}

}  // namespace
}  // namespace ridgeview::platform
