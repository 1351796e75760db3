// The instance lock within one process: outcomes that need no running second instance.
// Two real processes meet in instance_processes_test.cpp.
#include "platform/qt/instance/single_instance.h"

#include <sys/stat.h>
#include <unistd.h>
#include <utime.h>

#include <QElapsedTimer>
#include <QFile>
#include <QLockFile>
#include <gtest/gtest.h>

#include "platform/qt/instance/instance_paths.h"
#include "platform/registry/temp_folder.h"

namespace ridgeview::platform {
namespace {

class SingleInstanceTest : public ::testing::Test {
 protected:
  InstanceOptions Options(int attempts = 3) const {
    InstanceOptions options;
    options.applicationName = QStringLiteral("RidgeviewTest");
    options.folder = QString::fromStdString(folder_.path());
    options.attempts = attempts;
    options.retryDelayMs = 20;
    return options;
  }
  QString LockPath() const {
    return InstanceLockPath(QString::fromStdString(folder_.path()), "RidgeviewTest");
  }
  // Leaves an empty lock file, as a writer killed between creating and filling it does.
  void LeaveEmptyLockFile(bool old) const {
    QFile file(LockPath());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    if (old) {
      const utimbuf times{::time(nullptr) - 60, ::time(nullptr) - 60};
      ASSERT_EQ(::utime(QFile::encodeName(LockPath()).constData(), &times), 0);
    }
  }

  ridgeview::testing::TempFolder folder_;
};

TEST_F(SingleInstanceTest, NamesCarryTheUserId) {
  const QString uid = QString::number(CurrentUserId());
  SingleInstance instance(Options());
  EXPECT_EQ(instance.LockPath(), QString::fromStdString(folder_.path()) + "/RidgeviewTest" + uid);
  EXPECT_EQ(instance.ServerPath(),
            QString::fromStdString(folder_.path()) + "/RidgeviewTest-" + uid);
}

TEST_F(SingleInstanceTest, TheFirstInstanceTakesTheLockAndKeepsItUntilDestroyed) {
  {
    SingleInstance first(Options());
    EXPECT_EQ(first.Activate(QStringLiteral("/a.wsq")), kInstanceGoOn);
    EXPECT_TRUE(first.HoldsLock());
    EXPECT_EQ(first.AttemptsMade(), 1);
    EXPECT_TRUE(QFile::exists(LockPath()));
    EXPECT_EQ(first.Activate(QString()), kInstanceGoOn);  // again: still the holder

    // A lock held by a live process, with nobody listening: every attempt polls, then the
    // start goes on without the lock.
    SingleInstance second(Options(4));
    QElapsedTimer timer;
    timer.start();
    EXPECT_EQ(second.Activate(QStringLiteral("/b.wsq")), kInstanceGoOn);
    EXPECT_FALSE(second.HoldsLock());
    EXPECT_EQ(second.AttemptsMade(), 4);
    EXPECT_FALSE(second.HandedOver());
    EXPECT_GE(timer.elapsed(), 3 * 20 - 5);  // one delay between attempts
  }
  EXPECT_FALSE(QFile::exists(LockPath()));
  SingleInstance next(Options());
  EXPECT_EQ(next.Activate(QString()), kInstanceGoOn);
  EXPECT_TRUE(next.HoldsLock());
}

TEST_F(SingleInstanceTest, AnEmptyApplicationNameIsAGeneralFailure) {
  InstanceOptions options = Options();
  options.applicationName.clear();
  SingleInstance instance(options);
  EXPECT_EQ(instance.Activate(QString()), kInstanceGeneralFailure);
  EXPECT_FALSE(instance.HoldsLock());
}

TEST_F(SingleInstanceTest, SomethingOtherThanALockAtThePathIsAnInvalidArgument) {
  ASSERT_EQ(::mkdir(QFile::encodeName(LockPath()).constData(), 0700), 0);
  SingleInstance instance(Options());
  EXPECT_EQ(instance.Activate(QString()), kInstanceInvalidArgument);
  EXPECT_EQ(instance.AttemptsMade(), 1);
  ASSERT_EQ(::rmdir(QFile::encodeName(LockPath()).constData()), 0);

  // A link, even to nowhere, is no lock either.
  ASSERT_EQ(::symlink("/nonexistent/target", QFile::encodeName(LockPath()).constData()), 0);
  SingleInstance linked(Options());
  EXPECT_EQ(linked.Activate(QString()), kInstanceInvalidArgument);
}

TEST_F(SingleInstanceTest, ALockThatCannotBeCreatedIsAGeneralFailure) {
  InstanceOptions options = Options();
  options.folder = QString::fromStdString(folder_.file("no/such/folder"));
  SingleInstance instance(options);
  EXPECT_EQ(instance.Activate(QString()), kInstanceGeneralFailure);
}

TEST_F(SingleInstanceTest, AnOldUnreadableLockFileIsTakenOver) {
  LeaveEmptyLockFile(/*old=*/true);
  SingleInstance instance(Options());
  EXPECT_EQ(instance.Activate(QString()), kInstanceGoOn);
  EXPECT_TRUE(instance.HoldsLock());
}

TEST_F(SingleInstanceTest, AFreshUnreadableLockFileMayStillBeBeingWritten) {
  LeaveEmptyLockFile(/*old=*/false);
  SingleInstance instance(Options(2));
  EXPECT_EQ(instance.Activate(QString()), kInstanceGoOn);
  EXPECT_FALSE(instance.HoldsLock());
  EXPECT_EQ(instance.AttemptsMade(), 2);
}

TEST_F(SingleInstanceTest, ALiveOwnersLockNeverGoesStaleByAge) {
  QLockFile owner(LockPath());
  ASSERT_TRUE(owner.tryLock(0));
  const utimbuf times{::time(nullptr) - 3600, ::time(nullptr) - 3600};
  ASSERT_EQ(::utime(QFile::encodeName(LockPath()).constData(), &times), 0);
  SingleInstance instance(Options(2));
  EXPECT_EQ(instance.Activate(QString()), kInstanceGoOn);
  EXPECT_FALSE(instance.HoldsLock());
  EXPECT_TRUE(owner.isLocked());
  EXPECT_TRUE(QFile::exists(LockPath()));
}

TEST_F(SingleInstanceTest, ACommandLineTooLongToHandOverIsOpenedByThisStart) {
  QLockFile owner(LockPath());
  ASSERT_TRUE(owner.tryLock(0));
  SingleInstance instance(Options());
  const QString huge = QStringLiteral("/") + QString(40000, QChar(u'x'));
  EXPECT_EQ(instance.Activate(huge), kInstanceGoOn);
  EXPECT_FALSE(instance.HoldsLock());
  EXPECT_EQ(instance.AttemptsMade(), 1);
}

}  // namespace
}  // namespace ridgeview::platform
