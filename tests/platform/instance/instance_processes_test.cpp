// Two real starts meeting: each test runs ridgeview-instance-peer processes that share a
// private runtime folder, so that they never meet a Ridgeview the user is running.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <filesystem>
#include <memory>

#include "platform/qt/instance/instance_paths.h"
#include "platform/registry/temp_folder.h"

namespace ridgeview::platform {
namespace {

#ifdef RIDGEVIEW_INSTANCE_PEER
const char* const kPeer = RIDGEVIEW_INSTANCE_PEER;
#else
const char* const kPeer = nullptr;
#endif

// One peer process and the lines it printed.
class Peer {
 public:
  Peer(const QString& runtimeFolder, const QString& workingFolder, const QStringList& arguments) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtimeFolder);
    process_.setProcessEnvironment(environment);
    process_.setWorkingDirectory(workingFolder);
    process_.setProcessChannelMode(QProcess::SeparateChannels);
    process_.start(QString::fromUtf8(kPeer), arguments);
  }
  ~Peer() {
    if (process_.state() != QProcess::NotRunning) {
      process_.kill();
      process_.waitForFinished(2000);
    }
  }

  // Waits until a line starting with `prefix` was printed; returns it, or "" on time-out.
  QString WaitForLine(const QString& prefix, int ms = 4000) {
    QElapsedTimer timer;
    timer.start();
    for (;;) {
      for (const QString& line : Lines()) {
        if (line.startsWith(prefix)) return line;
      }
      if (timer.elapsed() > ms || process_.state() == QProcess::NotRunning) break;
      process_.waitForReadyRead(50);
    }
    for (const QString& line : Lines()) {
      if (line.startsWith(prefix)) return line;
    }
    return {};
  }

  // The complete lines printed so far (a line still being written is left out).
  const QStringList& Lines() {
    output_ += QString::fromUtf8(process_.readAllStandardOutput());
    lines_ = output_.left(output_.lastIndexOf(QLatin1Char('\n')) + 1)
                 .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    return lines_;
  }

  int CountLines(const QString& prefix) {
    int count = 0;
    for (const QString& line : Lines()) count += line.startsWith(prefix) ? 1 : 0;
    return count;
  }

  // Waits for the process to end; its exit code, or -1 when it did not end in time.
  int Finish(int ms = 8000) {
    if (!process_.waitForFinished(ms)) return -1;
    Lines();
    return process_.exitStatus() == QProcess::NormalExit ? process_.exitCode() : -1;
  }

  // Lets a serving peer end on its own (it stops when its input closes).
  int Close() {
    process_.closeWriteChannel();
    return Finish();
  }

  QProcess& process() { return process_; }

 private:
  QProcess process_;
  QString output_;
  QStringList lines_;
};

class InstanceProcessesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(kPeer, nullptr) << "platform_tests was built without the instance peer";
    ASSERT_TRUE(std::filesystem::exists(kPeer)) << kPeer;
    ASSERT_FALSE(runtime_.path().empty());
    ASSERT_FALSE(work_.path().empty());
  }

  std::unique_ptr<Peer> Start(const QStringList& arguments) {
    return std::make_unique<Peer>(QString::fromStdString(runtime_.path()),
                                  QString::fromStdString(work_.path()), arguments);
  }

  // Starts the first instance and waits until it is ready for `ready`.
  std::unique_ptr<Peer> StartFirst(const QStringList& arguments = {},
                                   const QString& ready = QStringLiteral("listening")) {
    auto first = Start(arguments);
    EXPECT_EQ(first->WaitForLine(QStringLiteral("result ")),
              QStringLiteral("result 0 attempts 1 lock 1 handed-over 0"));
    EXPECT_FALSE(first->WaitForLine(ready).isEmpty());
    return first;
  }

  QString Work(const QString& name) const {
    return QString::fromStdString(work_.path()) + QLatin1Char('/') + name;
  }

  ridgeview::testing::TempFolder runtime_;
  ridgeview::testing::TempFolder work_;
};

TEST_F(InstanceProcessesTest, ASecondStartHandsItsPathToTheFirstAndExitsWithOne) {
  auto first = StartFirst();
  auto second = Start({"left", "thumb.wsq"});
  EXPECT_EQ(second->Finish(), 1);
  EXPECT_EQ(second->WaitForLine("result"), "result 1 attempts 1 lock 0 handed-over 1");

  // The path arrives made absolute in the second start's folder, before the activation.
  const QString opened = first->WaitForLine(QStringLiteral("open "));
  EXPECT_EQ(opened, QStringLiteral("open ") + Work(QStringLiteral("left thumb.wsq")));
  ASSERT_FALSE(first->WaitForLine(QStringLiteral("activate")).isEmpty());
  EXPECT_EQ(first->Lines(), (QStringList{"result 0 attempts 1 lock 1 handed-over 0", "listening",
                                         opened, "activate"}));
  EXPECT_EQ(first->Close(), 0);
}

TEST_F(InstanceProcessesTest, ASecondStartWithoutArgumentOnlyActivatesTheFirst) {
  auto first = StartFirst();
  auto second = Start({});
  EXPECT_EQ(second->Finish(), 1);
  EXPECT_EQ(second->WaitForLine("result"), "result 1 attempts 1 lock 0 handed-over 0");
  EXPECT_FALSE(first->WaitForLine(QStringLiteral("activate")).isEmpty());
  EXPECT_EQ(first->CountLines(QStringLiteral("open")), 0);
  EXPECT_EQ(first->Close(), 0);
}

TEST_F(InstanceProcessesTest, AKilledFirstInstanceDoesNotStopTheNextStart) {
  auto first = StartFirst();
  first->process().kill();  // SIGKILL: no clean-up at all
  ASSERT_TRUE(first->process().waitForFinished(3000));
  const QString folder = QString::fromStdString(runtime_.path());
  ASSERT_TRUE(QFile::exists(InstanceLockPath(folder, kApplicationName)));
  ASSERT_TRUE(QFile::exists(HandOverServerPath(folder, kApplicationName)));

  QElapsedTimer timer;
  timer.start();
  auto next = StartFirst();  // takes the dead instance's lock and socket name at once
  EXPECT_LT(timer.elapsed(), 3000);

  auto third = Start({"/data/x.wsq"});
  EXPECT_EQ(third->Finish(), 1);
  EXPECT_EQ(next->WaitForLine(QStringLiteral("open ")), QStringLiteral("open /data/x.wsq"));
  EXPECT_EQ(next->Close(), 0);
}

TEST_F(InstanceProcessesTest, AFirstInstanceNotListeningMakesTheSecondPollThenStartAlone) {
  auto first = StartFirst({"--hold-lock-only"}, QStringLiteral("result"));
  QElapsedTimer timer;
  timer.start();
  auto second = Start({"/data/x.wsq"});
  EXPECT_EQ(second->Finish(), 0);
  const qint64 elapsed = timer.elapsed();
  EXPECT_EQ(second->WaitForLine("result"), "result 0 attempts 25 lock 0 handed-over 0");
  // 24 pauses of 100 ms between the 25 attempts, plus the process start.
  EXPECT_GE(elapsed, 2400);
  EXPECT_LT(elapsed, 7000);
  EXPECT_EQ(first->Close(), 0);
}

TEST_F(InstanceProcessesTest, ASecondStartWaitsForAFirstInstanceThatListensLate) {
  auto first = StartFirst({"--listen-after", "600"}, QStringLiteral("result"));
  auto second = Start({"/data/late.wsq"});
  EXPECT_EQ(second->Finish(), 1);
  const QString result = second->WaitForLine("result");
  const QRegularExpressionMatch match =
      QRegularExpression(QStringLiteral("^result 1 attempts (\\d+) lock 0 handed-over 1$"))
          .match(result);
  ASSERT_TRUE(match.hasMatch()) << result.toStdString();
  const int attempts = match.captured(1).toInt();
  EXPECT_GE(attempts, 3);
  EXPECT_LE(attempts, 12);
  EXPECT_EQ(first->WaitForLine(QStringLiteral("open ")), QStringLiteral("open /data/late.wsq"));
  EXPECT_EQ(first->Close(), 0);
}

TEST_F(InstanceProcessesTest, AFirstInstanceThatNeverAnswersDoesNotHangTheSecond) {
  auto first = StartFirst({"--silent-server"});
  QElapsedTimer timer;
  timer.start();
  auto second = Start({"--reply-timeout", "300", "--", "/data/x.wsq"});
  EXPECT_EQ(second->Finish(), 0);
  EXPECT_LT(timer.elapsed(), 4000);
  EXPECT_EQ(second->WaitForLine("result"), "result 0 attempts 1 lock 0 handed-over 0");
  EXPECT_EQ(first->Close(), 0);
}

TEST_F(InstanceProcessesTest, AFailingActivationIsRetriedWithoutOpeningTheFileAgain) {
  auto first = StartFirst({"--refuse-activation"});
  auto second = Start({"/data/once.wsq"});
  EXPECT_EQ(second->Finish(), 0);
  EXPECT_EQ(second->WaitForLine("result"), "result 0 attempts 25 lock 0 handed-over 1");
  EXPECT_EQ(first->Close(), 0);
  EXPECT_EQ(first->CountLines(QStringLiteral("open ")), 1);
  EXPECT_EQ(first->CountLines(QStringLiteral("activate")), 25);
}

}  // namespace
}  // namespace ridgeview::platform
