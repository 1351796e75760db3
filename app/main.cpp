// The program entry: one viewer per user, a window when there is a display, and the exit
// status of the run.
//
// Order: check that a window can be shown at all; start the toolkit (it shows nothing yet);
// hand the command line to a running instance, ending this one when it took over; otherwise
// make sure the desktop knows the program (first start only) and run the viewer. The toolkit is given no arguments: the whole command line is the path of
// the file to open, even when it looks like a toolkit option.
#include <QApplication>
#include <QDir>
#include <QStringList>
#include <cstdio>

#include "app/display_check.h"
#include "base/timing.h"
#include "app/run_app.h"
#include "platform/desktop/desktop_install.h"
#include "platform/qt/instance/command_line.h"
#include "platform/qt/instance/exit_status.h"
#include "platform/qt/instance/single_instance.h"

int main(int argc, char** argv) {
  ridgeview::base::ReportTiming("main");
  const std::string problem = ridgeview::app::DisplayProblem();
  if (!problem.empty()) {
    std::fprintf(stderr, "ridgeview: %s\n", problem.c_str());
    return ridgeview::app::kExitStatusNoDisplay;
  }

  QStringList arguments;
  for (int i = 1; i < argc; ++i) arguments << QString::fromLocal8Bit(argv[i]);
  const QString workingDirectory = QDir::currentPath();

  int toolkitArgc = 1;
  ridgeview::app::BeginDisplayGuard();
  QApplication application(toolkitArgc, argv);
  ridgeview::app::EndDisplayGuard();
  QApplication::setApplicationName("Ridgeview");
  QApplication::setApplicationVersion("1.3");

  const QString commandLine =
      ridgeview::platform::CommandLineFromArguments(arguments, workingDirectory);
  const int previous = ridgeview::platform::ActivatePreviousInstance(commandLine);
  if (previous != ridgeview::platform::kInstanceGoOn) {
    return ridgeview::platform::ExitStatusFromResult(previous);
  }
  // On the first start the desktop learns about the program: its entry and the WSQ type.
  ridgeview::platform::EnsureDesktopIntegration(
      QCoreApplication::applicationFilePath().toStdString());
  return ridgeview::platform::ExitStatusFromResult(ridgeview::app::RunApp(commandLine));
}
