// The Move dialog: offers to move Ridgeview's executable into the program folder, which
// file-type registration needs, optionally leaving a shortcut (a symbolic link) at the old
// place so the program still starts from where the user put it.
//
// Controls (object names are the control ids): group box 1025 "Ridgeview present location"
// around the path text 1010; the description (MoveDescriptionText); check box 1007 "Create a
// shortcut at present location" (checked at start); text 1026 (MoveLabelText); push buttons
// 1005 "Move" and 2 "Cancel". The texts name the executable by its own file name and the
// program folder by its real path.
//
// Move: the executable goes to <program folder>/<its file name> (the folder is created when
// missing); an existing file there is never replaced. When that fails the error message
// MoveFailedText is shown and the dialog stays open with nothing changed. Then, with the box
// checked, the shortcut is made at ShortcutPathFor(old path) pointing at the new place; when
// that fails the warning "Cannot create shortcut to Ridgeview." is shown and the move
// stands. The dialog then closes with Accepted (OK). Cancel closes it with Rejected.
#pragma once

#include <QDialog>

#include <string>
#include <string_view>

#include "dialogs/file_relocation.h"
#include "document/document_ports.h"

class QCheckBox;
class QPushButton;

namespace ridgeview::dialogs {

inline constexpr char kShortcutFailedText[] = "Cannot create shortcut to Ridgeview.";
inline constexpr char kProgramCaption[] = "Ridgeview";

// The texts naming the executable's file name `programFile` and the program folder `folder`:
//   "To register Ridgeview as default program for image files, <file> must be moved to the
//    <folder> folder." (two blanks before the folder), a line break, "Click Move to proceed,
//    or Cancel.";
//   "Move Ridgeview to <folder> folder";
//   "Cannot move <file> to <folder> folder." (the error when the move fails).
std::string MoveDescriptionText(std::string_view programFile, std::string_view folder);
std::string MoveLabelText(std::string_view folder);
std::string MoveFailedText(std::string_view programFile, std::string_view folder);

struct MoveDialogContext {
  document::MessageService* messages = nullptr;  // required
  std::string programFolder;                     // where the executable goes
  FileMoveOps moveOps = DefaultFileMoveOps();
};

class MoveDialog final : public QDialog {
  Q_OBJECT

 public:
  MoveDialog(QWidget* owner, std::string programPath, MoveDialogContext context);

  // The executable's path after a successful move; empty before.
  const std::string& MovedTo() const { return movedTo_; }

  QCheckBox* ShortcutBox() const { return shortcut_; }
  QPushButton* MoveButton() const { return move_; }
  QPushButton* CancelButton() const { return cancel_; }

  // What the Move button does (public so that tests can press it without an event loop).
  void Move();

 private:
  std::string programPath_;
  MoveDialogContext context_;
  std::string movedTo_;
  QCheckBox* shortcut_ = nullptr;
  QPushButton* move_ = nullptr;
  QPushButton* cancel_ = nullptr;
};

// Outcome of the modal Move dialog.
struct MoveOutcome {
  bool accepted = false;    // Move succeeded (OK); false for Cancel
  std::string programPath;  // the executable's path afterwards
};

// Shows the Move dialog modally over `owner`.
MoveOutcome RunMoveDialog(QWidget* owner, const std::string& programPath,
                          const MoveDialogContext& context);

}  // namespace ridgeview::dialogs
