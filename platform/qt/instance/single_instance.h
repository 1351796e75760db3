// One Ridgeview per user: the instance lock and the hand-over to the running instance.
//
// The first instance holds a lock file for its whole life and serves a local socket
// (HandOverServer, handover_server.h). A later start finds the lock taken, connects to that
// socket, hands over its command line (the path of the file to open, handover_record.h),
// asks the running instance to raise its window, and ends.
//
// ActivatePreviousInstance, up to kInstanceAttempts times:
//   1. Try the lock. Taken: this is the first instance; keep the lock and return 0.
//      A lock left by a process that no longer runs is stale and is taken over; so is a
//      lock file that holds no readable owner and is older than a second (its writer died
//      between creating and filling it). The lock never goes stale by age alone, however
//      long its owner runs.
//      The lock path exists but is no regular file (a directory, a socket, a link):
//      return kInstanceInvalidArgument. The lock cannot be created for another reason (no
//      such folder, no permission, disk full): return kInstanceGeneralFailure.
//   2. Connect to the running instance's socket. Nobody listens yet (the first instance is
//      still starting), or the socket belongs to another user: sleep retryDelayMs and go to
//      the next attempt.
//   3. If the command line is not empty and has not been handed over yet: send the open
//      request and wait for its answer, which the running instance gives as soon as it has
//      received the request (it opens the file afterwards). Once answered, the command line counts as delivered and later attempts do
//      not send it again (the file is never opened twice because activation failed).
//   4. Send the activation request and wait for its answer. Success: return 1.
//      Otherwise (refused, or the connection broke) sleep retryDelayMs and go to the next
//      attempt. retryDelayMs is 100 ms; there is no sleep after the last attempt.
//   A running instance that accepts the connection but does not answer a request within
//   replyTimeoutMs is taken as hung: the hand-over is abandoned and 0 is returned at once,
//   so that the user gets a window of this start instead of nothing.
// After kInstanceAttempts attempts without a decision, return 0: the process starts on its
// own, WITHOUT the lock. Such an instance must not serve the hand-over socket (the running
// lock holder owns that name; HandOverServer::Listen would remove its socket), and it never
// takes the lock later. Starts after it still hand over to the lock holder.
#pragma once

#include <QString>
#include <memory>

#include "platform/qt/instance/instance_paths.h"

class QLockFile;

namespace ridgeview::platform {

// Results of ActivatePreviousInstance (and of the program entry before the frame exists).
inline constexpr int kInstanceGoOn = 0;       // start normally
inline constexpr int kInstanceTakenOver = 1;  // a running instance took over: stop
inline constexpr int kInstanceGeneralFailure = static_cast<int>(0x80004005u);   // E_FAIL
inline constexpr int kInstanceInvalidArgument = static_cast<int>(0x80070057u);  // E_INVALIDARG

inline constexpr int kInstanceAttempts = 25;

struct InstanceOptions {
  QString applicationName = QString::fromLatin1(kApplicationName);
  QString folder;  // where lock and socket live; empty: InstanceFolder()
  int attempts = kInstanceAttempts;
  int retryDelayMs = 100;
  int connectTimeoutMs = 1000;
  int replyTimeoutMs = 10000;
};

class SingleInstance {
 public:
  explicit SingleInstance(InstanceOptions options = {});
  ~SingleInstance();  // releases the lock (the lock file is removed)
  SingleInstance(const SingleInstance&) = delete;
  SingleInstance& operator=(const SingleInstance&) = delete;

  // The algorithm above. Call it once; later calls return kInstanceGoOn while the lock is
  // held and repeat the algorithm otherwise.
  int Activate(const QString& commandLine);

  bool HoldsLock() const;
  // Attempts the last Activate made (1 when the lock was free at once).
  int AttemptsMade() const { return attempts_; }
  // True when the last Activate had the running instance answer the open request.
  bool HandedOver() const { return handedOver_; }

  QString LockPath() const { return lockPath_; }
  QString ServerPath() const { return serverPath_; }

 private:
  enum class Outcome { TakenOver, Retry, Abandon };
  int TryLock();  // kInstanceGoOn when taken, 1 when held by another live process, or a failure
  Outcome TalkToRunningInstance(const QString& commandLine);

  InstanceOptions options_;
  QString lockPath_;
  QString serverPath_;
  std::unique_ptr<QLockFile> lock_;
  int attempts_ = 0;
  bool handedOver_ = false;
};

// The process-wide instance with the default options: "Ridgeview" in InstanceFolder(). The
// lock it takes is kept until the process ends. Construct the Q(Core)Application first.
int ActivatePreviousInstance(const QString& commandLine);

// Whether ActivatePreviousInstance took the lock, and the socket name the lock holder serves.
bool InstanceLockHeld();
QString InstanceServerPath();

}  // namespace ridgeview::platform
