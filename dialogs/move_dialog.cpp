#include "dialogs/move_dialog.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "dialogs/control_ids.h"
#include "dialogs/program_location.h"

namespace ridgeview::dialogs {
namespace {

QLabel* NamedLabel(const QString& text, int id, QWidget* parent) {
  auto* label = new QLabel(text, parent);
  label->setObjectName(control::Name(id));
  return label;
}

// The folder as the texts name it; where no home could be found, the usual place.
std::string FolderName(std::string_view folder) {
  return folder.empty() ? std::string("~/.local/bin") : std::string(folder);
}

}  // namespace

std::string MoveDescriptionText(std::string_view programFile, std::string_view folder) {
  return "To register Ridgeview as default program for image files, " + std::string(programFile) +
         " must be moved to the  " + FolderName(folder) +
         " folder.\nClick Move to proceed, or Cancel.";
}

std::string MoveLabelText(std::string_view folder) {
  return "Move Ridgeview to " + FolderName(folder) + " folder";
}

std::string MoveFailedText(std::string_view programFile, std::string_view folder) {
  return "Cannot move " + std::string(programFile) + " to " + FolderName(folder) + " folder.";
}

MoveDialog::MoveDialog(QWidget* owner, std::string programPath, MoveDialogContext context)
    : QDialog(owner), programPath_(std::move(programPath)), context_(std::move(context)) {
  setWindowTitle(QStringLiteral("Move Ridgeview"));
  setModal(true);
  auto* layout = new QVBoxLayout(this);

  auto* group = new QGroupBox(QStringLiteral("Ridgeview present location"), this);
  group->setObjectName(control::Name(control::kPresentLocation));
  auto* groupLayout = new QVBoxLayout(group);
  QLabel* path = NamedLabel(QString::fromStdString(programPath_), control::kPresentPath, group);
  path->setWordWrap(true);
  path->setTextInteractionFlags(Qt::TextSelectableByMouse);
  groupLayout->addWidget(path);
  layout->addWidget(group, 1);

  const std::string programFile = FileNameOf(programPath_);
  auto* description = new QLabel(
      QString::fromStdString(MoveDescriptionText(programFile, context_.programFolder)), this);
  description->setObjectName(QStringLiteral("description"));
  description->setWordWrap(true);
  layout->addWidget(description, 1);

  shortcut_ = new QCheckBox(QStringLiteral("Create a shortcut at present location      "), this);
  shortcut_->setObjectName(control::Name(control::kShortcutBox));
  shortcut_->setChecked(true);
  layout->addWidget(shortcut_);

  auto* row = new QHBoxLayout;
  row->addWidget(NamedLabel(QString::fromStdString(MoveLabelText(context_.programFolder)),
                            control::kMoveText, this));
  row->addStretch(1);
  move_ = new QPushButton(QStringLiteral("Move"), this);
  move_->setObjectName(control::Name(control::kMoveButton));
  move_->setDefault(true);
  cancel_ = new QPushButton(QStringLiteral("Cancel"), this);
  cancel_->setObjectName(control::Name(control::kCancelButton));
  row->addWidget(move_);
  row->addWidget(cancel_);
  layout->addLayout(row);

  connect(move_, &QPushButton::clicked, this, &MoveDialog::Move);
  connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
}

void MoveDialog::Move() {
  const std::string target = context_.programFolder + "/" + FileNameOf(programPath_);
  const bool folderReady = !context_.programFolder.empty() && MakeFolders(context_.programFolder);
  if (!folderReady || MoveFileNoReplace(programPath_, target, context_.moveOps) != 0) {
    context_.messages->Show(MoveFailedText(FileNameOf(programPath_), context_.programFolder),
                            kProgramCaption, document::MessageIcon::Error);
    return;
  }
  movedTo_ = target;
  if (shortcut_->isChecked() && CreateShortcut(ShortcutPathFor(programPath_), target) != 0) {
    context_.messages->Show(kShortcutFailedText, kProgramCaption, document::MessageIcon::Warning);
  }
  accept();
}

MoveOutcome RunMoveDialog(QWidget* owner, const std::string& programPath,
                          const MoveDialogContext& context) {
  MoveDialog dialog(owner, programPath, context);
  MoveOutcome outcome;
  outcome.accepted = dialog.exec() == QDialog::Accepted;
  outcome.programPath = outcome.accepted ? dialog.MovedTo() : programPath;
  return outcome;
}

}  // namespace ridgeview::dialogs
