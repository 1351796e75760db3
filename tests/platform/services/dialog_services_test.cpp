// Message boxes and file dialogs, driven while their modal loops run.
#include <gtest/gtest.h>

#include <QDialogButtonBox>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QFileSystemModel>
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
            QStringList({"Image Files (*.wsq *.bmp *.jpg *.jpeg *.gif *.png)",
                         "WSQ Files (*.wsq)", "Bitmap Files (*.bmp)", "JPEG Files (*.jpg *.jpeg)",
                         "PNG Files (*.png)", "GIF Files (*.gif)", "All Files (*)"}));
  EXPECT_EQ(SaveDialogFilters(), QStringList({"WSQ Files (*.wsq)", "Bitmap Files (*.bmp)",
                                              "PNG Files (*.png)"}));
}

// Types `name` into the dialog's name field and accepts, as the user pressing Save does.
void TypeAndAccept(QFileDialog* dialog, const QString& name) {
  auto* field = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
  ASSERT_NE(field, nullptr);
  field->setText(name);
  static_cast<QDialog*>(dialog)->accept();  // QFileDialog::accept checks the choice
}

// Picks filter position `filter` (1-based) as the user does in the filter box.
void ChooseFilter(QFileDialog* dialog, int filter) {
  dialog->selectNameFilter(SaveDialogFilters().at(filter - 1));
  emit dialog->filterSelected(SaveDialogFilters().at(filter - 1));
}

// The save dialog answered with `typed` under filter position `filter` (1-based).
std::optional<document::FileDialogService::SaveChoice> SaveAs(const QString& typed, int filter,
                                                             const std::string& folder = {}) {
  WhenModalShown<QFileDialog>([&](QFileDialog* dialog) {
    ChooseFilter(dialog, filter);
    TypeAndAccept(dialog, typed);
  });
  return QtFileDialogService().GetSaveFileName(folder);
}

TEST(QtFileDialogService, SaveCompletesANameWithoutAKnownExtension) {
  QTemporaryDir dir;
  bool confirmsItself = true;
  QString suffix;
  QString started;
  WhenModalShown<QFileDialog>([&](QFileDialog* dialog) {
    started = dialog->directory().absolutePath();
    EXPECT_EQ(dialog->acceptMode(), QFileDialog::AcceptSave);
    EXPECT_EQ(dialog->nameFilters(), SaveDialogFilters());
    EXPECT_EQ(dialog->selectedNameFilter(), SaveDialogFilters().first());
    confirmsItself = !dialog->testOption(QFileDialog::DontConfirmOverwrite);
    // The default suffix follows the filter the user picks.
    EXPECT_EQ(dialog->defaultSuffix(), "wsq");
    ChooseFilter(dialog, 3);
    suffix = dialog->defaultSuffix();
    TypeAndAccept(dialog, dir.filePath("scan"));
  });
  // A folder that is gone: the dialog starts in its nearest existing parent.
  auto choice = QtFileDialogService().GetSaveFileName(dir.filePath("gone/deeper").toStdString());
  EXPECT_EQ(started, dir.path());
  ASSERT_TRUE(choice);
  EXPECT_EQ(choice->path, dir.filePath("scan.png").toStdString());
  EXPECT_EQ(choice->filterIndex, 3);
  EXPECT_EQ(suffix, "png");
  EXPECT_FALSE(confirmsItself);  // the program asks, once the name is complete

  choice = SaveAs(dir.filePath("photo.jpg"), 2);
  ASSERT_TRUE(choice);
  EXPECT_EQ(choice->path, dir.filePath("photo.jpg.bmp").toStdString());

  // A known extension in any case stays; the filter is reported as chosen.
  choice = SaveAs(dir.filePath("PRINT.WSQ"), 2);
  ASSERT_TRUE(choice);
  EXPECT_EQ(choice->path, dir.filePath("PRINT.WSQ").toStdString());
  EXPECT_EQ(choice->filterIndex, 2);
}

TEST(QtFileDialogService, SaveAsksBeforeReplacingTheCompletedName) {
  QTemporaryDir dir;
  const QString existing = dir.filePath("old.bmp");
  QFile file(existing);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.close();

  // "old" with the bitmap filter is old.bmp: the question names it; Yes replaces.
  QString question;
  WhenModalShown<QFileDialog>([&](QFileDialog* dialog) {
    ChooseFilter(dialog, 2);
    WhenModalShown<QMessageBox>([&question](QMessageBox* box) {
      question = box->text();
      box->button(QMessageBox::Yes)->click();
    });
    TypeAndAccept(dialog, dir.filePath("old"));
  });
  auto choice = QtFileDialogService().GetSaveFileName({});
  EXPECT_EQ(question, ReplaceQuestion(existing));
  ASSERT_TRUE(choice);
  EXPECT_EQ(choice->path, existing.toStdString());
  EXPECT_EQ(choice->filterIndex, 2);

  // No brings the dialog back on that name and filter; cancelling it saves nothing.
  QString shownAgain;
  QString filterAgain;
  WhenModalShown<QFileDialog>([&](QFileDialog* dialog) {
    WhenModalShown<QMessageBox>([&](QMessageBox* box) {
      WhenModalShown<QFileDialog>([&](QFileDialog* again) {
        shownAgain = again->selectedFiles().value(0);
        filterAgain = again->selectedNameFilter();
        again->reject();
      });
      box->button(QMessageBox::No)->click();
    });
    ChooseFilter(dialog, 2);
    TypeAndAccept(dialog, existing);
  });
  choice = QtFileDialogService().GetSaveFileName({});
  EXPECT_FALSE(choice);
  EXPECT_EQ(shownAgain, existing);
  EXPECT_EQ(filterAgain, SaveDialogFilters().at(1));
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
    TypeAndAccept(dialog, path);
  });
  EXPECT_EQ(QtFileDialogService().GetOpenFileName({}),
            std::optional<std::string>(path.toStdString()));

  WhenModalShown<QFileDialog>([](QFileDialog* dialog) { dialog->reject(); });
  EXPECT_FALSE(QtFileDialogService().GetOpenFileName({}));
}

// The names the dialog lists in its current folder, once its model has read them.
QStringList Listed(QFileDialog* dialog, int expected) {
  auto* model = dialog->findChild<QFileSystemModel*>();
  if (model == nullptr) return {};
  const QModelIndex root = model->index(dialog->directory().absolutePath());
  QElapsedTimer timer;
  timer.start();
  while (model->rowCount(root) < expected && timer.elapsed() < 3000) {
    QApplication::processEvents(QEventLoop::AllEvents, 20);
  }
  QApplication::processEvents(QEventLoop::AllEvents, 50);
  QStringList names;
  for (int row = 0; row < model->rowCount(root); ++row) {
    names << model->index(row, 0, root).data().toString();
  }
  names.sort();
  return names;
}

TEST(QtFileDialogService, OpenStartsInTheFolderAndMatchesExtensionsInAnyCase) {
  QTemporaryDir dir;
  for (const char* name : {"IMG_0001.JPG", "scan.jpeg", "PRINT.WSQ", "b.Png", "notes.txt"}) {
    QFile file(dir.filePath(name));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  }
  QString started;
  QStringList listed;
  WhenModalShown<QFileDialog>([&](QFileDialog* dialog) {
    started = dialog->directory().absolutePath();
    listed = Listed(dialog, 4);
    dialog->reject();
  });
  QtFileDialogService().GetOpenFileName(dir.path().toStdString());
  EXPECT_EQ(started, dir.path());
  EXPECT_EQ(listed, (QStringList{"IMG_0001.JPG", "PRINT.WSQ", "b.Png", "scan.jpeg"}));
}

TEST(StartFolder, TheNearestExistingFolderOrNone) {
  QTemporaryDir dir;
  QFile file(dir.filePath("f.wsq"));
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  EXPECT_EQ(StartFolder(dir.filePath("f.wsq").toStdString()), dir.path());  // a file's folder
  EXPECT_EQ(StartFolder(""), "");
  EXPECT_EQ(StartFolder("relative/folder"), "");
}

}  // namespace
}  // namespace ridgeview::platform
