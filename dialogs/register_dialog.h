// The registration dialog: one check box per image type; a checked box means the desktop
// opens that type with Ridgeview. Each click takes effect at once (registration.h); Done and
// Cancel only close the dialog.
//
// Start: when the executable is not in the program folder the Move dialog comes first; when
// it is cancelled the registration dialog closes as well. Then the boxes get their labels
// ("WSQ Image", and the desktop's type names of .bmp, .jpg, .png and .gif) and their check
// marks from the registry, and the dialog is laid out for the screen: one column when the
// screen is taller than wide (or square); on a wider screen box 1000 at the top of the left
// column with 1001 and 1002 below it, 1003 and 1004 in a right column beside those. Every
// screen geometry change lays it out again and refills the boxes, so they show the state of
// that moment.
#pragma once

#include <QDialog>

#include <functional>
#include <string>
#include <string_view>

#include "dialogs/move_dialog.h"
#include "dialogs/screen_orientation.h"
#include "document/document_ports.h"
#include "platform/registry/registry.h"

class QCheckBox;
class QGridLayout;

namespace ridgeview::dialogs {

inline constexpr char kRegisterCaption[] = "Register Ridgeview";
inline constexpr char kRegisterText[] =
    "To register Ridgeview as the default program for image files, check the file type. To "
    "unregister uncheck.";
inline constexpr char kRegistrationGroup[] = "Ridgeview registration";

struct RegisterContext {
  platform::Registry* registry = nullptr;         // required: both hives
  document::MessageService* messages = nullptr;   // required: the Move dialog's messages
  std::string programPath;                        // the executable's full path at start
  std::string programFolder;                      // where registration wants it
  FileMoveOps moveOps = DefaultFileMoveOps();
  // Called once the start knows where the executable is (after a move, its new path).
  std::function<void(const std::string& programPath)> programReady;
  // Runs the Move dialog; RunMoveDialog when empty (tests script it).
  std::function<MoveOutcome(QWidget* owner, const std::string& programPath,
                            const MoveDialogContext& context)>
      runMove;
  // The desktop's type name for an extension; platform::QueryFileType when empty.
  std::function<QString(std::string_view extension)> typeName;
  ScreenSizeSource screenSize;  // the dialog's screen when empty
};

class RegisterDialog final : public QDialog {
  Q_OBJECT

 public:
  RegisterDialog(QWidget* owner, RegisterContext context);

  // The start steps. False when the Move dialog was cancelled: the dialog is then to close
  // with Rejected without being shown.
  bool Start();

  QCheckBox* Box(int id) const;
  bool Landscape() const { return landscape_; }
  const std::string& ProgramPath() const { return programPath_; }

  // Lays the boxes out for the orientation and fills them again.
  void Relayout(bool landscape);
  // Sets each box's label and check mark from the registry.
  void FillBoxes();

 private:
  void Arrange(bool landscape);
  void Clicked(int id, bool checked);

  RegisterContext context_;
  std::string programPath_;
  QGridLayout* grid_ = nullptr;
  std::vector<QCheckBox*> boxes_;  // in the order of kRegistrationTypes
  bool landscape_ = false;
  ScreenWatcher* watcher_ = nullptr;
};

// Runs the dialog with the given services: Start, then modal unless cancelled.
int RunRegisterDialog(QWidget* owner, RegisterContext context);

// Runs the dialog for the running program, whose executable is at `programPath`: the user's
// registry with HKEY_CLASSES_ROOT answered by the desktop's associations, message boxes, and
// Ridgeview's desktop entry and WSQ type installed or refreshed for the path the executable
// has once the start is over. A Move updates `programPath`: the caller keeps it for the rest
// of the run, since the system's own record of the program's path is taken once at start and
// goes stale when the executable moves.
int RunRegisterDialog(QWidget* owner, std::string& programPath);

}  // namespace ridgeview::dialogs
