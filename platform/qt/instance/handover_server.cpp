#include "platform/qt/instance/handover_server.h"

#include <QLocalServer>
#include <QLocalSocket>
#include <QTimer>
#include <algorithm>

#include "platform/qt/instance/handover_record.h"
#include "platform/qt/instance/instance_paths.h"

namespace ridgeview::platform {

HandOverServer::HandOverServer(QObject* parent)
    : QObject(parent), server_(new QLocalServer(this)) {
  connect(server_, &QLocalServer::newConnection, this, &HandOverServer::OnNewConnection);
}

HandOverServer::~HandOverServer() { Close(); }

bool HandOverServer::Listen(const QString& path) {
  Close();
  // Only the lock holder gets here, so a socket file at the path is a dead instance's.
  QLocalServer::removeServer(path);
  server_->setSocketOptions(QLocalServer::UserAccessOption);
  return server_->listen(path);
}

void HandOverServer::Close() {
  server_->close();
  while (!connections_.empty()) {
    QLocalSocket* socket = connections_.back().socket;
    if (socket == nullptr) {
      connections_.pop_back();
      continue;
    }
    Drop(socket);
  }
}

QString HandOverServer::ErrorString() const { return server_->errorString(); }

void HandOverServer::SetResult(bool succeeded) {
  if (busyWith_ != nullptr) result_ = succeeded;
}

void HandOverServer::SetIdleTimeout(int milliseconds) { idleTimeoutMs_ = milliseconds; }

HandOverServer::Connection* HandOverServer::Find(QLocalSocket* socket) {
  for (Connection& connection : connections_) {
    if (connection.socket == socket) return &connection;
  }
  return nullptr;
}

void HandOverServer::OnNewConnection() {
  while (server_->hasPendingConnections()) {
    QLocalSocket* socket = server_->nextPendingConnection();
    if (socket == nullptr) break;
    if (static_cast<int>(connections_.size()) >= kMaxConnections ||
        !SocketPeerIsCurrentUser(socket->socketDescriptor())) {
      socket->abort();
      socket->deleteLater();
      continue;
    }
    // Bounds what one client can make us hold: one whole request at most.
    socket->setReadBufferSize(kRecordHeaderBytes + kMaxHandOverBytes);

    auto* idle = new QTimer(socket);
    idle->setSingleShot(true);
    connect(idle, &QTimer::timeout, this, [this, socket] {
      // The connection whose request is being handled waits for us, not we for it.
      if (busyWith_ != socket) Drop(socket);
    });
    connect(socket, &QLocalSocket::readyRead, this, &HandOverServer::ServePending);
    connect(socket, &QLocalSocket::disconnected, this, [this, socket] { Drop(socket); });
    connections_.push_back({socket, idle});
    idle->start(idleTimeoutMs_);
  }
  // Bytes may have arrived before the readyRead connection existed.
  ServePending();
}

void HandOverServer::Drop(QLocalSocket* socket) {
  const auto it = std::find_if(connections_.begin(), connections_.end(),
                               [socket](const Connection& c) { return c.socket == socket; });
  if (it == connections_.end()) return;
  connections_.erase(it);
  // Disconnect first: abort() emits disconnected, which would come back here.
  socket->disconnect(this);
  socket->abort();
  socket->deleteLater();
}

void HandOverServer::ServePending() {
  // A slot running a nested event loop lets new data arrive; the loop below, still running
  // further up the stack, serves it once the current request is answered.
  if (serving_) return;
  serving_ = true;
  const QPointer<HandOverServer> self(this);
  bool progress = true;
  while (progress) {
    progress = false;
    std::vector<QPointer<QLocalSocket>> sockets;
    sockets.reserve(connections_.size());
    for (const Connection& connection : connections_) sockets.push_back(connection.socket);
    for (const QPointer<QLocalSocket>& socket : sockets) {
      if (socket == nullptr || Find(socket) == nullptr) continue;
      if (ServeOne(socket)) progress = true;
      if (self == nullptr) return;  // a slot destroyed the server
    }
  }
  serving_ = false;
}

bool HandOverServer::ServeOne(QLocalSocket* socket) {
  const qint64 available =
      std::min<qint64>(socket->bytesAvailable(), kRecordHeaderBytes + kMaxHandOverBytes);
  if (available < kRecordHeaderBytes) return false;
  const DecodedRequest request = DecodeRequest(socket->peek(available));
  if (request.status == RecordStatus::Malformed) {
    Drop(socket);
    return true;
  }
  if (request.status == RecordStatus::Incomplete) return false;
  socket->skip(request.size);

  const QPointer<HandOverServer> self(this);
  const QPointer<QLocalSocket> guard(socket);
  busyWith_ = socket;
  result_ = false;
  if (request.tag == kOpenTag) {
    emit openRequested(request.text);
  } else {
    emit activateRequested();
  }
  if (self == nullptr) return true;
  busyWith_ = nullptr;

  if (guard != nullptr && guard->state() == QLocalSocket::ConnectedState) {
    guard->write(EncodeAnswer(request.tag, result_));
    guard->flush();
    if (Connection* connection = Find(guard)) connection->idle->start(idleTimeoutMs_);
  }
  return true;
}

}  // namespace ridgeview::platform
