#include "app/run_app.h"

#include <QApplication>
#include <QTimer>
#include <cstdio>
#include <exception>
#include <memory>

#include "app/main_frame.h"
#include "document/wsq_load.h"
#include "platform/qt/instance/handover_server.h"
#include "platform/qt/instance/single_instance.h"
#include "platform/qt/instance/window_activation.h"
#include "platform/qt/services/qt_clipboard_service.h"
#include "platform/qt/services/qt_file_dialogs.h"
#include "platform/qt/services/qt_message_service.h"
#include "platform/qt/services/qt_picture_loader.h"
#include "platform/registry/registry_location.h"

namespace ridgeview::app {

void ServeHandOver(platform::HandOverServer& server, MainFrame& frame) {
  MainFrame* f = &frame;
  QObject::connect(&server, &platform::HandOverServer::openRequested, f,
                   [&server, f](const QString& path) {
                     server.SetResult(true);
                     QMetaObject::invokeMethod(
                         f, [f, path] { f->OpenImageFile(path.toStdString(), 1.0, -1, -1); },
                         Qt::QueuedConnection);
                   });
  QObject::connect(&server, &platform::HandOverServer::activateRequested, f,
                   [&server, f] { server.SetResult(platform::RaiseAndActivate(f)); });
}

int RunApp(const QString& commandLine) {
  // The frame ends the program itself (exit code 1 once it closed); the last window closing
  // must not end it first with 0, and dialogs closing must not end it at all.
  QApplication::setQuitOnLastWindowClosed(false);

  // The file of the command line is read and decoded meanwhile the settings and the window
  // are made; the frame's load then takes the result.
  const document::WsqPreload preload(commandLine.toStdString());

  const std::unique_ptr<platform::SqliteRegistry> registry = platform::OpenUserRegistry();
  platform::QtMessageService messages;
  platform::QtFileDialogService fileDialogs;
  platform::QtPictureLoader pictures;
  platform::QtClipboardService clipboard;
  const FrameServices services{registry.get(), &messages, &fileDialogs, &pictures, &clipboard};

  std::unique_ptr<MainFrame> frame;
  try {
    frame = std::make_unique<MainFrame>(services, commandLine.toStdString());
  } catch (const std::exception& e) {
    // Out of memory while building the window: nothing to show, nothing to clean up.
    std::fprintf(stderr, "ridgeview: cannot create the main window: %s\n", e.what());
    return 0;
  }
  QObject::connect(frame.get(), &MainFrame::frameClosed, frame.get(),
                   [] { QCoreApplication::exit(1); }, Qt::QueuedConnection);

  // Later starts hand their file over to this window; only the lock holder serves them (an
  // instance started without the lock must not take the lock holder's socket name).
  platform::HandOverServer server;
  if (platform::InstanceLockHeld()) {
    ServeHandOver(server, *frame);
    if (!server.Listen(platform::InstanceServerPath())) {
      std::fprintf(stderr, "ridgeview: later starts cannot hand over their files: %s\n",
                   server.ErrorString().toLocal8Bit().constData());
    }
  }

  frame->show();
  const int code = QApplication::exec();
  server.Close();
  return code;
}

}  // namespace ridgeview::app
