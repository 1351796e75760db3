// Message boxes and file dialogs, driven while their modal loops run.
#include <gtest/gtest.h>

#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>

#include "platform/qt/services/qt_file_dialogs.h"
#include "platform/qt/services/qt_message_service.h"
#include "service_test_support.h"

namespace ridgeview::platform {
namespace {

using testing::WhenModalShown;

struct SeenBox {
  QString title, text;
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  Qt::TextFormat format = Qt::AutoText;
};

SeenBox ShowAndClose(const std::string& text, document::MessageIcon icon) {
  SeenBox seen;
  WhenModalShown<QMessageBox>([&seen](QMessageBox* box) {
    seen = {box->windowTitle(), box->text(), box->icon(), box->textFormat()};
    box->accept();
  });
  QtMessageService().Show(text, "Ridgeview", icon);
  return seen;
}

TEST(QtMessageService, ShowsTitleTextAndIcon) {
  const SeenBox error = ShowAndClose("Cannot load image from: /tmp/<b>x</b>.wsq", document::MessageIcon::Error);
  EXPECT_EQ(error.title, "Ridgeview");
  EXPECT_EQ(error.text, "Cannot load image from: /tmp/<b>x</b>.wsq");
  EXPECT_EQ(error.icon, QMessageBox::Critical);
  EXPECT_EQ(error.format, Qt::PlainText);

  const SeenBox warning = ShowAndClose("Could not copy image to clipboard", document::MessageIcon::Warning);
  EXPECT_EQ(warning.icon, QMessageBox::Warning);
}

TEST(DialogFilters, MatchTheDocumentedEntries) {
  EXPECT_EQ(OpenDialogFilters(),
            QStringList({"Image Files (*.wsq *.bmp *.jpg *.gif *.png)", "WSQ Files (*.wsq)",
                         "Bitmap Files (*.bmp)", "JPEG Files (*.jpg)", "PNG Files (*.png)",
                         "GIF Files (*.gif)", "All Files (*)"}));
  EXPECT_EQ(SaveDialogFilters(), QStringList({"WSQ Files (*.wsq)", "Bitmap Files (*.bmp)"}));
}

TEST(QtFileDialogService, SaveReturnsThePathAsTypedAndTheFilterPosition) {
  QTemporaryDir dir;
  const QString typed = dir.filePath("scan");
  bool confirmsOverwrite = false;
  QString suffix = "unset";
  WhenModalShown<QFileDialog>([&](QFileDialog* dialog) {
    EXPECT_EQ(dialog->acceptMode(), QFileDialog::AcceptSave);
    EXPECT_EQ(dialog->nameFilters(), SaveDialogFilters());
    EXPECT_EQ(dialog->selectedNameFilter(), SaveDialogFilters().first());
    confirmsOverwrite = !dialog->testOption(QFileDialog::DontConfirmOverwrite);
    suffix = dialog->defaultSuffix();
    dialog->selectNameFilter(SaveDialogFilters().at(1));
    // Typed into the name field (selectFile leaves a focused field alone).
    auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    ASSERT_NE(name, nullptr);
    name->setText(typed);
    static_cast<QDialog*>(dialog)->accept();  // QFileDialog::accept checks the choice
  });
  const auto choice = QtFileDialogService().GetSaveFileName();
  ASSERT_TRUE(choice);
  EXPECT_EQ(choice->path, typed.toStdString());  // no extension added
  EXPECT_EQ(choice->filterIndex, 2);
  EXPECT_TRUE(confirmsOverwrite);
  EXPECT_TRUE(suffix.isEmpty());
}

TEST(QtFileDialogService, SaveOverAnExistingFileAsksFirst) {
  QTemporaryDir dir;
  const QString existing = dir.filePath("old.bmp");
  QFile file(existing);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.close();
  bool asked = false;
  WhenModalShown<QFileDialog>([&](QFileDialog* dialog) {
    auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    ASSERT_NE(name, nullptr);
    name->setText(existing);
    // The question comes up inside accept(); answer it once it shows.
    WhenModalShown<QMessageBox>([&asked](QMessageBox* box) {
      asked = true;
      box->button(QMessageBox::Yes)->click();
    });
    static_cast<QDialog*>(dialog)->accept();
  });
  const auto choice = QtFileDialogService().GetSaveFileName();
  EXPECT_TRUE(asked);
  ASSERT_TRUE(choice);
  EXPECT_EQ(choice->path, existing.toStdString());
  EXPECT_EQ(choice->filterIndex, 1);
}

TEST(QtFileDialogService, OpenReturnsTheChosenFileOrNothingWhenCancelled) {
  QTemporaryDir dir;
  const QString path = dir.filePath("a.wsq");
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.close();
  WhenModalShown<QFileDialog>([&](QFileDialog* dialog) {
    EXPECT_EQ(dialog->acceptMode(), QFileDialog::AcceptOpen);
    EXPECT_EQ(dialog->fileMode(), QFileDialog::ExistingFile);
    EXPECT_EQ(dialog->nameFilters(), OpenDialogFilters());
    auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    ASSERT_NE(name, nullptr);
    name->setText(path);
    static_cast<QDialog*>(dialog)->accept();  // QFileDialog::accept checks the choice
  });
  EXPECT_EQ(QtFileDialogService().GetOpenFileName(), std::optional<std::string>(path.toStdString()));

  WhenModalShown<QFileDialog>([](QFileDialog* dialog) { dialog->reject(); });
  EXPECT_FALSE(QtFileDialogService().GetOpenFileName());
}

}  // namespace
}  // namespace ridgeview::platform
