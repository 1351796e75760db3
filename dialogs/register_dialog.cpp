#include "dialogs/register_dialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "dialogs/control_ids.h"
#include "dialogs/program_location.h"
#include "dialogs/registration.h"
#include "platform/qt/desktop/desktop_associations.h"
#include "platform/desktop/desktop_install.h"
#include "platform/qt/services/file_type_info.h"
#include "platform/qt/services/qt_message_service.h"
#include "platform/registry/hive_router.h"
#include "platform/registry/registry_location.h"

namespace ridgeview::dialogs {

RegisterDialog::RegisterDialog(QWidget* owner, RegisterContext context)
    : QDialog(owner), context_(std::move(context)), programPath_(context_.programPath) {
  setWindowTitle(QString::fromLatin1(kRegisterCaption));
  setModal(true);
  auto* layout = new QVBoxLayout(this);
  auto* text = new QLabel(QString::fromLatin1(kRegisterText), this);
  text->setWordWrap(true);
  layout->addWidget(text);

  auto* group = new QGroupBox(QString::fromLatin1(kRegistrationGroup), this);
  grid_ = new QGridLayout(group);
  for (const RegistrationType& type : kRegistrationTypes) {
    auto* box = new QCheckBox(group);
    box->setObjectName(control::Name(type.box));
    const int id = type.box;
    connect(box, &QCheckBox::clicked, this, [this, id](bool checked) { Clicked(id, checked); });
    boxes_.push_back(box);
  }
  layout->addWidget(group);
  layout->addStretch(1);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("Done"));
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  layout->addWidget(buttons);

  watcher_ = new ScreenWatcher(this, context_.screenSize);
  connect(watcher_, &ScreenWatcher::ScreenChanged, this, &RegisterDialog::Relayout);
  landscape_ = true;  // forces the first arrangement below
  Arrange(false);
}

bool RegisterDialog::Start() {
  bool cancelled = false;
  if (!IsInProgramFolder(programPath_, context_.programFolder)) {
    const MoveDialogContext move{context_.messages, context_.programFolder, context_.moveOps};
    const MoveOutcome outcome = context_.runMove ? context_.runMove(this, programPath_, move)
                                                 : RunMoveDialog(this, programPath_, move);
    cancelled = !outcome.accepted;
    if (outcome.accepted && !outcome.programPath.empty()) programPath_ = outcome.programPath;
  }
  if (cancelled) return false;
  if (context_.programReady) context_.programReady(programPath_);
  FillBoxes();
  if (watcher_->Landscape()) Relayout(true);
  return true;
}

QCheckBox* RegisterDialog::Box(int id) const {
  for (std::size_t i = 0; i < kRegistrationTypes.size(); ++i) {
    if (kRegistrationTypes[i].box == id) return boxes_[i];
  }
  return nullptr;
}

void RegisterDialog::Arrange(bool landscape) {
  if (landscape == landscape_) return;
  landscape_ = landscape;
  for (QCheckBox* box : boxes_) grid_->removeWidget(box);
  for (std::size_t i = 0; i < boxes_.size(); ++i) {
    int row = static_cast<int>(i);
    int column = 0;
    if (landscape_) {
      // 1000 on top of the left column, 1001 and 1002 below it, 1003 and 1004 beside them.
      static constexpr int kRow[] = {0, 1, 2, 1, 2};
      static constexpr int kColumn[] = {0, 0, 0, 1, 1};
      row = kRow[i];
      column = kColumn[i];
    }
    grid_->addWidget(boxes_[i], row, column);
  }
}

void RegisterDialog::Relayout(bool landscape) {
  Arrange(landscape);
  FillBoxes();
}

void RegisterDialog::FillBoxes() {
  const std::string fileName = FileNameOf(programPath_);
  for (std::size_t i = 0; i < kRegistrationTypes.size(); ++i) {
    const RegistrationType& type = kRegistrationTypes[i];
    QString label = QString::fromLatin1(kWsqBoxLabel);
    if (!type.extension.empty()) {
      label = context_.typeName
                  ? context_.typeName(type.extension)
                  : platform::QueryFileType(QString::fromLatin1(type.extension.data(),
                                                                static_cast<qsizetype>(type.extension.size())))
                        .typeName;
    }
    boxes_[i]->setText(label);
    boxes_[i]->setChecked(context_.registry != nullptr &&
                          IsRegistered(*context_.registry, type.progId, fileName));
  }
}

void RegisterDialog::Clicked(int id, bool checked) {
  const RegistrationType* type = RegistrationTypeOfBox(id);
  if (type == nullptr || context_.registry == nullptr) return;
  SetRegistration(*context_.registry, type->progId, checked, programPath_);
}

int RunRegisterDialog(QWidget* owner, RegisterContext context) {
  RegisterDialog dialog(owner, std::move(context));
  if (!dialog.Start()) return QDialog::Rejected;
  return dialog.exec();
}

int RunRegisterDialog(QWidget* owner, std::string& programPath) {
  auto desktop = std::make_shared<platform::DesktopAssociations>(
      platform::DesktopAssociations::Options{{}, programPath, {}});
  std::shared_ptr<platform::Registry> userStore = platform::OpenUserRegistry();
  platform::HiveRouter registry{userStore};
  registry.SetBackend(platform::Hive::ClassesRoot, desktop);
  platform::QtMessageService messages;

  RegisterContext context;
  context.registry = &registry;
  context.messages = &messages;
  context.programPath = programPath;
  context.programFolder = ProgramFolder();
  context.programReady = [desktop, &programPath](const std::string& path) {
    programPath = path;
    desktop->SetProgramPath(path);
    // The entry must start the executable where it is now (it may just have moved).
    platform::InstallDesktopIntegration(path, platform::ResolveXdgDirs());
  };
  return RunRegisterDialog(owner, std::move(context));
}

}  // namespace ridgeview::dialogs
