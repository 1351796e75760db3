#include "platform/qt/instance/single_instance.h"

#include <sys/stat.h>

#include <QDateTime>
#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QLocalSocket>
#include <QLockFile>
#include <QThread>
#include <cstdlib>

#include "platform/qt/instance/handover_record.h"
#include "platform/qt/instance/instance_paths.h"

namespace ridgeview::platform {
namespace {

// A lock file without a readable owner younger than this may still be being written by a
// starting instance; an older one was left by a process that died before filling it.
constexpr qint64 kUnreadableLockAgeMs = 1000;

constexpr int kLockHeldElsewhere = 1;

// True when `path` exists and is something other than a regular file.
bool IsNotALockFile(const QString& path) {
  struct stat info {};
  if (::lstat(QFile::encodeName(path).constData(), &info) != 0) return false;
  return !S_ISREG(info.st_mode);
}

enum class Reply { Succeeded, Failed, Broken, TimedOut };

// Sends one request and waits for its answer.
Reply Exchange(QLocalSocket& socket, const QByteArray& request, quint32 tag, int timeoutMs) {
  const QDeadlineTimer deadline(timeoutMs);
  if (socket.write(request) != request.size()) return Reply::Broken;
  while (socket.bytesToWrite() > 0) {
    if (socket.waitForBytesWritten(static_cast<int>(deadline.remainingTime()))) continue;
    if (socket.state() != QLocalSocket::ConnectedState) return Reply::Broken;
    if (deadline.hasExpired()) return Reply::TimedOut;
  }
  while (socket.bytesAvailable() < kAnswerBytes) {
    if (socket.waitForReadyRead(static_cast<int>(deadline.remainingTime()))) continue;
    // Bytes that arrived with the disconnection are still readable.
    if (socket.bytesAvailable() >= kAnswerBytes) break;
    if (socket.state() != QLocalSocket::ConnectedState) return Reply::Broken;
    if (deadline.hasExpired()) return Reply::TimedOut;
  }
  const QByteArray bytes = socket.read(kAnswerBytes);
  const DecodedAnswer answer = DecodeAnswer(bytes);
  if (answer.status != RecordStatus::Complete || answer.tag != tag) return Reply::Broken;
  return answer.succeeded ? Reply::Succeeded : Reply::Failed;
}

}  // namespace

SingleInstance::SingleInstance(InstanceOptions options) : options_(std::move(options)) {
  const QString folder = options_.folder.isEmpty() ? InstanceFolder() : options_.folder;
  lockPath_ = InstanceLockPath(folder, options_.applicationName);
  serverPath_ = HandOverServerPath(folder, options_.applicationName);
  lock_ = std::make_unique<QLockFile>(lockPath_);
  // A live owner's lock must never expire, however long it runs; a dead owner's lock is
  // recognised by its process id (and by the owner's native lock on the file).
  lock_->setStaleLockTime(0);
}

SingleInstance::~SingleInstance() = default;

bool SingleInstance::HoldsLock() const { return lock_->isLocked(); }

int SingleInstance::TryLock() {
  if (lock_->tryLock(0)) return kInstanceGoOn;
  if (IsNotALockFile(lockPath_)) return kInstanceInvalidArgument;
  if (lock_->error() != QLockFile::LockFailedError) return kInstanceGeneralFailure;

  qint64 pid = 0;
  QString host;
  QString application;
  if (!lock_->getLockInfo(&pid, &host, &application)) {
    const QDateTime modified = QFileInfo(lockPath_).lastModified();
    const qint64 age = modified.isValid() ? modified.msecsTo(QDateTime::currentDateTime()) : 0;
    // removeStaleLockFile removes the file only when no live process holds its native lock.
    if (std::llabs(age) > kUnreadableLockAgeMs && lock_->removeStaleLockFile() &&
        lock_->tryLock(0)) {
      return kInstanceGoOn;
    }
  }
  return kLockHeldElsewhere;
}

SingleInstance::Outcome SingleInstance::TalkToRunningInstance(const QString& commandLine) {
  QLocalSocket socket;
  socket.connectToServer(serverPath_);
  if (!socket.waitForConnected(options_.connectTimeoutMs)) return Outcome::Retry;
  // In a shared temporary folder another user may have taken the socket's name; the path
  // the user asked for is not theirs to see.
  if (!SocketPeerIsCurrentUser(socket.socketDescriptor())) return Outcome::Retry;

  if (!commandLine.isEmpty() && !handedOver_) {
    switch (Exchange(socket, EncodeOpenRequest(commandLine), kOpenTag, options_.replyTimeoutMs)) {
      case Reply::TimedOut:
        return Outcome::Abandon;
      case Reply::Broken:
        return Outcome::Retry;
      case Reply::Succeeded:
      case Reply::Failed:  // handled, whether the file opened or not
        handedOver_ = true;
        break;
    }
  }
  switch (Exchange(socket, EncodeActivateRequest(), kActivateTag, options_.replyTimeoutMs)) {
    case Reply::Succeeded:
      return Outcome::TakenOver;
    case Reply::TimedOut:
      return Outcome::Abandon;
    case Reply::Failed:
    case Reply::Broken:
      return Outcome::Retry;
  }
  return Outcome::Retry;
}

int SingleInstance::Activate(const QString& commandLine) {
  attempts_ = 0;
  handedOver_ = false;
  if (HoldsLock()) return kInstanceGoOn;
  if (options_.applicationName.isEmpty()) return kInstanceGeneralFailure;

  // A command line that no open request can carry cannot be handed over; this start opens
  // it itself (and reports it when it cannot be loaded).
  const bool unsendable = !commandLine.isEmpty() && EncodeOpenRequest(commandLine).isEmpty();

  for (int attempt = 1; attempt <= options_.attempts; ++attempt) {
    attempts_ = attempt;
    const int lock = TryLock();
    if (lock != kLockHeldElsewhere) return lock;
    if (unsendable) return kInstanceGoOn;

    switch (TalkToRunningInstance(commandLine)) {
      case Outcome::TakenOver:
        return kInstanceTakenOver;
      case Outcome::Abandon:
        return kInstanceGoOn;
      case Outcome::Retry:
        break;
    }
    if (attempt < options_.attempts) {
      QThread::msleep(static_cast<unsigned long>(options_.retryDelayMs));
    }
  }
  return kInstanceGoOn;
}

namespace {
SingleInstance& ProcessInstance() {
  static SingleInstance instance;
  return instance;
}
}  // namespace

int ActivatePreviousInstance(const QString& commandLine) {
  return ProcessInstance().Activate(commandLine);
}

bool InstanceLockHeld() { return ProcessInstance().HoldsLock(); }

QString InstanceServerPath() { return ProcessInstance().ServerPath(); }

}  // namespace ridgeview::platform
