// The running instance's end of the hand-over: a local socket server that turns requests of
// later starts (handover_record.h) into signals on the UI thread and answers them.
//
// Usage, by the instance that holds the instance lock (single_instance.h):
//
//   HandOverServer server;
//   QObject::connect(&server, &HandOverServer::openRequested, &frame,
//                    [&](const QString& path) { server.SetResult(true); /* open later */ });
//   QObject::connect(&server, &HandOverServer::activateRequested, &frame,
//                    [&] { server.SetResult(RaiseAndActivate(&frame)); });
//   server.Listen(InstanceServerPath());
//
// Each request is answered only after the signal's slots have returned, with the result the
// last of them passed to SetResult (false when none did). The slots must be connected
// directly (same thread); they may run nested event loops (a message box): requests that
// arrive meanwhile wait until the current one is answered, so a slot never runs inside
// another. Requests of one connection are answered in order.
//
// Robustness against local clients: an invalid request (see handover_record.h) drops its
// connection without an answer and without a signal; a connection that does not complete a
// request within the idle timeout while the server is not busy with it is dropped; beyond
// kMaxConnections simultaneous connections new ones are refused; a peer running as another
// user is refused. A connection that goes away mid-request is forgotten.
#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <vector>

class QLocalServer;
class QLocalSocket;
class QTimer;

namespace ridgeview::platform {

class HandOverServer : public QObject {
  Q_OBJECT

 public:
  static constexpr int kMaxConnections = 16;
  static constexpr int kDefaultIdleTimeoutMs = 10000;

  explicit HandOverServer(QObject* parent = nullptr);
  ~HandOverServer() override;

  // Listens on `path` (a socket file path; see HandOverServerPath), accessible to this user
  // only. A socket file left at `path` by an instance that died is removed first, so call this
  // only while holding the instance lock: the lock proves that no live instance serves the
  // name. False, with ErrorString() saying why, when listening fails.
  bool Listen(const QString& path);
  void Close();
  QString ErrorString() const;

  // The result of the request whose signal is being emitted; ignored at other times.
  void SetResult(bool succeeded);

  // How long a connection may sit without completing a request (tests shorten it).
  void SetIdleTimeout(int milliseconds);

  // Connections currently open.
  int ConnectionCount() const { return static_cast<int>(connections_.size()); }

 signals:
  // The command line of a later start: a file path, unchanged.
  void openRequested(const QString& path);
  // A later start asks for the window to be raised and activated.
  void activateRequested();

 private:
  struct Connection {
    QPointer<QLocalSocket> socket;
    QTimer* idle = nullptr;  // child of the socket
  };

  void OnNewConnection();
  void Drop(QLocalSocket* socket);
  void ServePending();
  // Handles at most one request of `socket`; true when one was handled or the connection
  // was dropped (progress was made).
  bool ServeOne(QLocalSocket* socket);
  Connection* Find(QLocalSocket* socket);

  QLocalServer* server_ = nullptr;
  std::vector<Connection> connections_;
  QLocalSocket* busyWith_ = nullptr;  // the connection whose request is being handled
  bool serving_ = false;
  bool result_ = false;
  int idleTimeoutMs_ = kDefaultIdleTimeoutMs;
};

}  // namespace ridgeview::platform
