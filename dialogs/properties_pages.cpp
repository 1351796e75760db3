#include "dialogs/properties_pages.h"

#include <QDateTime>
#include <QLabel>
#include <QLocale>
#include <QRegularExpression>

#include "dialogs/properties_values.h"
#include "platform/qt/services/file_type_info.h"

namespace ridgeview::dialogs {
namespace {

QString Text(const std::string& text) { return QString::fromStdString(text); }

constexpr int kIconSize = 32;

}  // namespace

QString CreatedText(std::optional<std::int64_t> secondsSinceEpoch, const QLocale& locale) {
  if (!secondsSinceEpoch) return {};
  const QDateTime time = QDateTime::fromSecsSinceEpoch(*secondsSinceEpoch);
  QString timeFormat = locale.timeFormat(QLocale::ShortFormat);
  static const QRegularExpression seconds(QStringLiteral("[:.]?s{1,2}"));
  timeFormat.remove(seconds);
  return locale.toString(time.date(), QLocale::ShortFormat) + QStringLiteral("  ") +
         locale.toString(time.time(), timeFormat.trimmed());
}

FilePage::FilePage(std::string path, QWidget* parent)
    : PropertiesPage(parent), path_(std::move(path)) {
  AddRow(QString(), "1008");
  AddRow(QStringLiteral("Type:"), "1009");
  AddRow(QStringLiteral("Location:"), "1010");
  AddRow(QStringLiteral("Name:"), "1016");
  AddRow(QStringLiteral("Created:"), "1012");
  AddRow(QStringLiteral("Size:"), "1011");
  AddRow(QStringLiteral("Attributes:"), "1013");
}

void FilePage::Fill() {
  const platform::FileTypeInfo type = platform::QueryFileType(Text(path_));
  auto* icon = findChild<QLabel*>(QStringLiteral("1008"));
  icon->setPixmap(type.icon.pixmap(kIconSize, kIconSize));
  findChild<QLabel*>(QStringLiteral("1009"))
      ->setText(Text(FileTypeText(path_, type.typeName.toStdString())));
  findChild<QLabel*>(QStringLiteral("1010"))->setText(Text(LocationText(path_)));
  findChild<QLabel*>(QStringLiteral("1016"))->setText(Text(NameText(path_)));
  const FileFacts facts = ReadFileFacts(path_);
  findChild<QLabel*>(QStringLiteral("1012"))->setText(CreatedText(facts.created, QLocale()));
  findChild<QLabel*>(QStringLiteral("1011"))->setText(Text(FileSizeText(facts)));
  findChild<QLabel*>(QStringLiteral("1013"))->setText(Text(AttributesText(facts)));
}

ImagePage::ImagePage(std::optional<document::ImageHeader> header, bool wsqOrigin,
                     QPixmap thumbnail, QWidget* parent)
    : PropertiesPage(parent),
      header_(header),
      wsqOrigin_(wsqOrigin),
      thumbnail_(std::move(thumbnail)) {
  AddRow(QStringLiteral("Type:"), "1009")->setText(QStringLiteral("Device Independant Bitmap"));
  AddRow(QStringLiteral("Size:"), "1021");
  AddRow(QStringLiteral("Colors:"), "1019");
  AddRow(QStringLiteral("Bits per pixel:"), "1020");
  AddRow(QStringLiteral("Image bytes:"), "1022");
  AddPicture("1043", QSize(kThumbnailControlWidth, kThumbnailControlHeight));
}

void ImagePage::Fill() {
  if (!header_) return;
  const ImagePageTexts texts = ImageTexts(*header_, wsqOrigin_);
  findChild<QLabel*>(QStringLiteral("1021"))->setText(Text(texts.size));
  findChild<QLabel*>(QStringLiteral("1019"))->setText(Text(texts.colours));
  findChild<QLabel*>(QStringLiteral("1020"))->setText(Text(texts.bitsPerPixel));
  findChild<QLabel*>(QStringLiteral("1022"))->setText(Text(texts.imageBytes));
  if (!thumbnail_.isNull()) findChild<QLabel*>(QStringLiteral("1043"))->setPixmap(thumbnail_);
}

ViewPage::ViewPage(double zoom, int contentWidth, int contentHeight, QPixmap thumbnail,
                   QWidget* parent)
    : PropertiesPage(parent),
      zoom_(zoom),
      contentWidth_(contentWidth),
      contentHeight_(contentHeight),
      thumbnail_(std::move(thumbnail)) {
  AddRow(QStringLiteral("Zoom:"), "1023");
  AddRow(QStringLiteral("Size:"), "1021");
  AddPicture("1024", QSize(kThumbnailControlWidth, kThumbnailControlHeight));
}

void ViewPage::Fill() {
  findChild<QLabel*>(QStringLiteral("1023"))->setText(Text(ZoomText(zoom_)));
  findChild<QLabel*>(QStringLiteral("1021"))->setText(Text(SizeText(contentWidth_, contentHeight_)));
  if (!thumbnail_.isNull()) findChild<QLabel*>(QStringLiteral("1024"))->setPixmap(thumbnail_);
}

}  // namespace ridgeview::dialogs
