// ridgeview-instance-peer: a stand-in for a Ridgeview start, used by the tests to run the
// instance lock and the hand-over between real processes.
//
//   ridgeview-instance-peer [mode] [--reply-timeout MS] [--] [argument...]
//
// It makes the command line of its arguments in its working directory, runs the
// single-instance start and prints one line
//   result <code> attempts <n> lock <0|1> handed-over <0|1>
// When it became the first instance (result 0 with the lock), it serves like a running
// Ridgeview and prints "listening", then "open <path>" and "activate" for the requests it
// gets, until its standard input is closed; then it exits with 0. Otherwise it exits at once
// with the exit status of its result.
//
// Modes of the first instance:
//   (none)               answer every request with success
//   --hold-lock-only     hold the lock but never listen
//   --listen-after MS    hold the lock and begin listening after MS milliseconds
//   --silent-server      hold the lock, accept connections and never answer
//   --refuse-activation  answer open requests, but activation requests with failure
// Lock and socket live in the folder InstanceFolder() gives, i.e. $XDG_RUNTIME_DIR.
#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QLocalServer>
#include <QSocketNotifier>
#include <QTimer>
#include <cstdio>

#include "platform/qt/instance/command_line.h"
#include "platform/qt/instance/exit_status.h"
#include "platform/qt/instance/handover_server.h"
#include "platform/qt/instance/single_instance.h"

namespace rp = ridgeview::platform;

namespace {

void Say(const QString& line) {
  std::fputs(line.toUtf8().constData(), stdout);
  std::fputc('\n', stdout);
  std::fflush(stdout);
}

struct PeerArguments {
  QString mode;
  int listenAfterMs = 0;
  int replyTimeoutMs = 10000;
  QStringList rest;
  bool valid = true;
};

PeerArguments Parse(const QStringList& arguments) {
  PeerArguments parsed;
  int i = 1;
  for (; i < arguments.size(); ++i) {
    const QString& a = arguments[i];
    if (a == QLatin1String("--")) {
      ++i;
      break;
    }
    if (a == QLatin1String("--hold-lock-only") || a == QLatin1String("--silent-server") ||
        a == QLatin1String("--refuse-activation")) {
      parsed.mode = a;
    } else if ((a == QLatin1String("--listen-after") || a == QLatin1String("--reply-timeout")) &&
               i + 1 < arguments.size()) {
      bool ok = false;
      const int value = arguments[++i].toInt(&ok);
      parsed.valid = parsed.valid && ok && value >= 0;
      if (a == QLatin1String("--listen-after")) {
        parsed.mode = a;
        parsed.listenAfterMs = value;
      } else {
        parsed.replyTimeoutMs = value;
      }
    } else {
      break;
    }
  }
  parsed.rest = arguments.mid(i);
  return parsed;
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  const PeerArguments arguments = Parse(QCoreApplication::arguments());
  if (!arguments.valid) {
    std::fputs("usage: ridgeview-instance-peer [mode] [--reply-timeout MS] [--] [argument...]\n",
               stderr);
    return 2;
  }

  rp::InstanceOptions options;
  options.replyTimeoutMs = arguments.replyTimeoutMs;
  rp::SingleInstance instance(options);
  const QString commandLine =
      rp::CommandLineFromArguments(arguments.rest, QDir::currentPath());
  const int result = instance.Activate(commandLine);
  Say(QStringLiteral("result %1 attempts %2 lock %3 handed-over %4")
          .arg(result)
          .arg(instance.AttemptsMade())
          .arg(instance.HoldsLock() ? 1 : 0)
          .arg(instance.HandedOver() ? 1 : 0));
  if (result != rp::kInstanceGoOn || !instance.HoldsLock()) {
    return rp::ExitStatusFromResult(result);
  }

  // Serve until the test closes our standard input.
  QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
  QObject::connect(&input, &QSocketNotifier::activated, &app, [&] {
    char buffer[256];
    if (::read(STDIN_FILENO, buffer, sizeof buffer) <= 0) QCoreApplication::quit();
  });

  rp::HandOverServer server;
  const bool refuseActivation = arguments.mode == QLatin1String("--refuse-activation");
  QObject::connect(&server, &rp::HandOverServer::openRequested, &app, [&](const QString& path) {
    Say(QStringLiteral("open ") + path);
    server.SetResult(true);
  });
  QObject::connect(&server, &rp::HandOverServer::activateRequested, &app, [&] {
    Say(QStringLiteral("activate"));
    server.SetResult(!refuseActivation);
  });
  auto listen = [&] {
    if (server.Listen(instance.ServerPath())) {
      Say(QStringLiteral("listening"));
    } else {
      Say(QStringLiteral("listen failed: ") + server.ErrorString());
    }
  };

  QLocalServer silent;
  if (arguments.mode == QLatin1String("--silent-server")) {
    QLocalServer::removeServer(instance.ServerPath());
    silent.setSocketOptions(QLocalServer::UserAccessOption);
    if (silent.listen(instance.ServerPath())) Say(QStringLiteral("listening"));
  } else if (arguments.mode == QLatin1String("--listen-after")) {
    QTimer::singleShot(arguments.listenAfterMs, &app, listen);
  } else if (arguments.mode != QLatin1String("--hold-lock-only")) {
    listen();
  }
  return QCoreApplication::exec();
}
