#include "platform/qt/services/qt_message_service.h"

#include <QApplication>
#include <QMessageBox>
#include <QString>

namespace ridgeview::platform {

void QtMessageService::Show(const std::string& text, const std::string& caption,
                            document::MessageIcon icon) {
  QMessageBox box(icon == document::MessageIcon::Warning ? QMessageBox::Warning
                                                         : QMessageBox::Critical,
                  QString::fromStdString(caption), QString::fromStdString(text), QMessageBox::Ok,
                  QApplication::activeWindow());
  // Paths and file names are shown as they are, never interpreted as markup.
  box.setTextFormat(Qt::PlainText);
  box.exec();
}

}  // namespace ridgeview::platform
