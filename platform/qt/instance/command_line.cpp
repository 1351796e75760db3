#include "platform/qt/instance/command_line.h"

#include <QDir>

namespace ridgeview::platform {

QString CommandLineFromArguments(const QStringList& arguments, const QString& workingDirectory) {
  const QString path = arguments.join(QLatin1Char(' '));
  if (path.isEmpty() || QDir::isAbsolutePath(path)) return path;
  if (workingDirectory.isEmpty() || !QDir::isAbsolutePath(workingDirectory)) return path;
  if (workingDirectory.endsWith(QLatin1Char('/'))) return workingDirectory + path;
  return workingDirectory + QLatin1Char('/') + path;
}

}  // namespace ridgeview::platform
