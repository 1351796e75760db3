// The hand-over server driven by in-process clients: what it emits and answers, and what it
// does with clients that break the protocol.
#include "platform/qt/instance/handover_server.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QLocalSocket>
#include <QTimer>
#include <QtEndian>
#include <functional>
#include <memory>
#include <vector>

#include "platform/qt/instance/handover_record.h"
#include "platform/registry/temp_folder.h"

namespace ridgeview::platform {
namespace {

bool WaitUntil(const std::function<bool()>& condition, int ms = 3000) {
  QElapsedTimer timer;
  timer.start();
  while (!condition()) {
    if (timer.elapsed() > ms) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
  }
  return true;
}

QByteArray Header(quint32 tag, quint32 count) {
  QByteArray out(8, '\0');
  qToLittleEndian(tag, out.data());
  qToLittleEndian(count, out.data() + 4);
  return out;
}

class HandOverServerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(folder_.path().empty());
    path_ = QString::fromStdString(folder_.file("Ridgeview-test"));
    server_ = std::make_unique<HandOverServer>();
    ASSERT_TRUE(server_->Listen(path_)) << server_->ErrorString().toStdString();
    QObject::connect(server_.get(), &HandOverServer::openRequested, [this](const QString& p) {
      opened_.push_back(p);
      if (onOpen_) onOpen_(p);
      server_->SetResult(openResult_);
    });
    QObject::connect(server_.get(), &HandOverServer::activateRequested, [this] {
      ++activations_;
      server_->SetResult(activateResult_);
    });
  }

  std::unique_ptr<QLocalSocket> Connect() {
    auto socket = std::make_unique<QLocalSocket>();
    socket->connectToServer(path_);
    EXPECT_TRUE(WaitUntil([&] { return socket->state() == QLocalSocket::ConnectedState; }));
    return socket;
  }

  // Waits for one answer on `socket`; Incomplete when none came.
  static DecodedAnswer Answer(QLocalSocket& socket) {
    WaitUntil([&] { return socket.bytesAvailable() >= kAnswerBytes; }, 2000);
    return DecodeAnswer(socket.read(kAnswerBytes));
  }

  static bool Dropped(QLocalSocket& socket) {
    return WaitUntil([&] { return socket.state() == QLocalSocket::UnconnectedState; });
  }

  ridgeview::testing::TempFolder folder_;
  QString path_;
  std::unique_ptr<HandOverServer> server_;
  std::vector<QString> opened_;
  int activations_ = 0;
  bool openResult_ = true;
  bool activateResult_ = true;
  std::function<void(const QString&)> onOpen_;
};

TEST_F(HandOverServerTest, OpenAndActivateAreEmittedAndAnsweredWithTheReceiversResult) {
  auto client = Connect();
  const QString path = QStringLiteral(" \"/tmp/left thumb.wsq\" ");
  client->write(EncodeOpenRequest(path));
  DecodedAnswer answer = Answer(*client);
  ASSERT_EQ(answer.status, RecordStatus::Complete);
  EXPECT_EQ(answer.tag, kOpenTag);
  EXPECT_TRUE(answer.succeeded);
  ASSERT_EQ(opened_.size(), 1u);
  EXPECT_EQ(opened_[0], path);  // not trimmed, not unquoted

  openResult_ = false;
  activateResult_ = false;
  client->write(EncodeOpenRequest(QStringLiteral("/missing.wsq")));
  EXPECT_FALSE(Answer(*client).succeeded);
  client->write(EncodeActivateRequest());
  answer = Answer(*client);
  EXPECT_EQ(answer.tag, kActivateTag);
  EXPECT_FALSE(answer.succeeded);
  EXPECT_EQ(activations_, 1);
}

TEST_F(HandOverServerTest, WithoutAReceiverSettingAResultTheAnswerIsFailure) {
  HandOverServer bare;
  const QString path = path_ + QStringLiteral("-bare");
  ASSERT_TRUE(bare.Listen(path));
  QLocalSocket client;
  client.connectToServer(path);
  ASSERT_TRUE(WaitUntil([&] { return client.state() == QLocalSocket::ConnectedState; }));
  client.write(EncodeActivateRequest());
  const DecodedAnswer answer = Answer(client);
  EXPECT_EQ(answer.status, RecordStatus::Complete);
  EXPECT_FALSE(answer.succeeded);
}

TEST_F(HandOverServerTest, PipelinedRequestsAreAnsweredInOrder) {
  auto client = Connect();
  client->write(EncodeOpenRequest(QStringLiteral("/a")) + EncodeOpenRequest(QStringLiteral("/b")) +
                EncodeActivateRequest());
  EXPECT_EQ(Answer(*client).tag, kOpenTag);
  EXPECT_EQ(Answer(*client).tag, kOpenTag);
  EXPECT_EQ(Answer(*client).tag, kActivateTag);
  EXPECT_EQ(opened_, (std::vector<QString>{"/a", "/b"}));
  EXPECT_EQ(activations_, 1);
}

TEST_F(HandOverServerTest, AnswerComesOnlyAfterTheSlotAndSlotsNeverNest) {
  auto first = Connect();
  auto second = Connect();
  int depth = 0;
  int deepest = 0;
  onOpen_ = [&](const QString&) {
    ++depth;
    deepest = std::max(deepest, depth);
    if (opened_.size() == 1) {
      // A slot that runs an event loop (as a message box does) while the other client
      // sends its request.
      second->write(EncodeOpenRequest(QStringLiteral("/second")));
      QEventLoop loop;
      QTimer::singleShot(150, &loop, &QEventLoop::quit);
      loop.exec();
      EXPECT_EQ(first->bytesAvailable(), 0);
      EXPECT_EQ(opened_.size(), 1u);
    }
    --depth;
  };
  first->write(EncodeOpenRequest(QStringLiteral("/first")));
  EXPECT_EQ(Answer(*first).status, RecordStatus::Complete);
  EXPECT_EQ(Answer(*second).status, RecordStatus::Complete);
  EXPECT_EQ(opened_, (std::vector<QString>{"/first", "/second"}));
  EXPECT_EQ(deepest, 1);
}

TEST_F(HandOverServerTest, MalformedRequestsDropTheConnectionWithoutASignal) {
  const std::vector<QByteArray> bad = {
      Header(0, 9),                                    // odd byte count
      Header(0, kMaxHandOverBytes + 2),                // over the limit, payload never sent
      Header(0, 4) + QByteArray("a\0b\0", 4),          // no terminator
      Header(0, 6) + QByteArray("a\0\0\0\0\0", 6),     // a zero inside the text
      Header(1, 4) + QByteArray(4, '\0'),              // activation with a payload
      Header(9, 0),                                    // unknown tag
  };
  for (const QByteArray& bytes : bad) {
    auto client = Connect();
    client->write(bytes);
    EXPECT_TRUE(Dropped(*client)) << bytes.toHex().toStdString();
    EXPECT_EQ(client->bytesAvailable(), 0);
  }
  EXPECT_TRUE(opened_.empty());
  EXPECT_EQ(activations_, 0);

  // The server still serves a well-behaved client.
  auto good = Connect();
  good->write(EncodeActivateRequest());
  EXPECT_TRUE(Answer(*good).succeeded);
}

TEST_F(HandOverServerTest, AClientLeavingMidRequestIsForgotten) {
  {
    auto client = Connect();
    client->write(EncodeOpenRequest(QStringLiteral("/cut/short.wsq")).left(13));
    client->waitForBytesWritten(1000);
    client->disconnectFromServer();
  }
  EXPECT_TRUE(WaitUntil([&] { return server_->ConnectionCount() == 0; }));
  EXPECT_TRUE(opened_.empty());
}

TEST_F(HandOverServerTest, SilentAndIncompleteConnectionsTimeOut) {
  server_->SetIdleTimeout(150);
  auto silent = Connect();
  auto partial = Connect();
  partial->write(Header(0, 100));
  EXPECT_TRUE(Dropped(*silent));
  EXPECT_TRUE(Dropped(*partial));
  EXPECT_TRUE(opened_.empty());
}

TEST_F(HandOverServerTest, ConnectionsBeyondTheLimitAreRefused) {
  std::vector<std::unique_ptr<QLocalSocket>> held;
  for (int i = 0; i < HandOverServer::kMaxConnections; ++i) held.push_back(Connect());
  ASSERT_TRUE(WaitUntil([&] {
    return server_->ConnectionCount() == HandOverServer::kMaxConnections;
  }));
  auto extra = Connect();
  EXPECT_TRUE(Dropped(*extra));
  // Those admitted are still served.
  held.front()->write(EncodeActivateRequest());
  EXPECT_TRUE(Answer(*held.front()).succeeded);
}

TEST_F(HandOverServerTest, ASlotMayDestroyTheServer) {
  auto client = Connect();
  // Replace the fixture's receivers by one that destroys the server while it is emitting.
  QObject::disconnect(server_.get(), nullptr, nullptr, nullptr);
  QObject::connect(server_.get(), &HandOverServer::openRequested,
                   [this](const QString&) { server_.reset(); });
  client->write(EncodeOpenRequest(QStringLiteral("/x")) + EncodeActivateRequest());
  EXPECT_TRUE(Dropped(*client));
  EXPECT_EQ(server_, nullptr);
  EXPECT_EQ(client->bytesAvailable(), 0);
}

TEST_F(HandOverServerTest, ListeningReplacesAFileLeftAtThePath) {
  server_.reset();  // closing removes the socket file
  QFile leftover(path_);
  ASSERT_TRUE(leftover.open(QIODevice::WriteOnly));
  leftover.close();
  HandOverServer server;
  EXPECT_TRUE(server.Listen(path_)) << server.ErrorString().toStdString();
  QLocalSocket client;
  client.connectToServer(path_);
  EXPECT_TRUE(WaitUntil([&] { return client.state() == QLocalSocket::ConnectedState; }));
}

}  // namespace
}  // namespace ridgeview::platform
