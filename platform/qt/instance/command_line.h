// The command line Ridgeview works with: the path of the file to open, or nothing.
#pragma once

#include <QString>
#include <QStringList>

namespace ridgeview::platform {

// The command line made of the program's arguments (without the program name):
//   - no arguments: the empty command line;
//   - otherwise the arguments joined by single blanks, so that an unquoted path with blanks
//     ("ridgeview My Prints/left thumb.wsq") still names the file. There are no options: an
//     argument starting with '-' is part of the path like any other;
//   - a non-empty relative result is made absolute against `workingDirectory`, the directory
//     the program was started in, so that the path still names the same file when it is
//     handed to an instance running elsewhere or stored for the next start. "." and ".."
//     components are kept as given: removing them by text would name a different file when
//     the component before ".." is a symbolic link.
// `workingDirectory` must be absolute; when it is not (or is empty), a relative path is
// returned as given. A path that is already absolute is returned unchanged.
QString CommandLineFromArguments(const QStringList& arguments, const QString& workingDirectory);

}  // namespace ridgeview::platform
