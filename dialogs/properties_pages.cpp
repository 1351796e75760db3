#include "dialogs/properties_pages.h"

#include <QDateTime>
#include <QLabel>
#include <QLocale>
#include <QRegularExpression>

#include "dialogs/control_ids.h"
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
  AddRow(QString(), control::kFileIcon);
  AddRow(QStringLiteral("Type:"), control::kType);
  AddRow(QStringLiteral("Location:"), control::kLocation);
  AddRow(QStringLiteral("Name:"), control::kName);
  AddRow(QStringLiteral("Created:"), control::kCreated);
  AddRow(QStringLiteral("Size:"), control::kFileSize);
  AddRow(QStringLiteral("Attributes:"), control::kAttributes);
}

void FilePage::Fill() {
  const platform::FileTypeInfo type = platform::QueryFileType(Text(path_));
  auto* icon = Control(control::kFileIcon);
  icon->setPixmap(type.icon.pixmap(kIconSize, kIconSize));
  Control(control::kType)
      ->setText(Text(FileTypeText(path_, type.typeName.toStdString())));
  Control(control::kLocation)->setText(Text(LocationText(path_)));
  Control(control::kName)->setText(Text(NameText(path_)));
  const FileFacts facts = ReadFileFacts(path_);
  Control(control::kCreated)->setText(CreatedText(facts.created, QLocale()));
  Control(control::kFileSize)->setText(Text(FileSizeText(facts)));
  Control(control::kAttributes)->setText(Text(AttributesText(facts)));
}

ImagePage::ImagePage(std::optional<document::ImageHeader> header, bool wsqOrigin,
                     QPixmap thumbnail, QWidget* parent)
    : PropertiesPage(parent),
      header_(header),
      wsqOrigin_(wsqOrigin),
      thumbnail_(std::move(thumbnail)) {
  AddRow(QStringLiteral("Type:"), control::kType)->setText(QStringLiteral("Device Independant Bitmap"));
  AddRow(QStringLiteral("Size:"), control::kSize);
  AddRow(QStringLiteral("Colors:"), control::kColours);
  AddRow(QStringLiteral("Bits per pixel:"), control::kBitsPerPixel);
  AddRow(QStringLiteral("Image bytes:"), control::kImageBytes);
  AddPicture(control::kImageThumbnail, QSize(kThumbnailControlWidth, kThumbnailControlHeight));
}

void ImagePage::Fill() {
  if (!header_) return;
  const ImagePageTexts texts = ImageTexts(*header_, wsqOrigin_);
  Control(control::kSize)->setText(Text(texts.size));
  Control(control::kColours)->setText(Text(texts.colours));
  Control(control::kBitsPerPixel)->setText(Text(texts.bitsPerPixel));
  Control(control::kImageBytes)->setText(Text(texts.imageBytes));
  if (!thumbnail_.isNull()) Control(control::kImageThumbnail)->setPixmap(thumbnail_);
}

ViewPage::ViewPage(double zoom, int contentWidth, int contentHeight, QPixmap thumbnail,
                   QWidget* parent)
    : PropertiesPage(parent),
      zoom_(zoom),
      contentWidth_(contentWidth),
      contentHeight_(contentHeight),
      thumbnail_(std::move(thumbnail)) {
  AddRow(QStringLiteral("Zoom:"), control::kZoom);
  AddRow(QStringLiteral("Size:"), control::kSize);
  AddPicture(control::kViewThumbnail, QSize(kThumbnailControlWidth, kThumbnailControlHeight));
}

void ViewPage::Fill() {
  Control(control::kZoom)->setText(Text(ZoomText(zoom_)));
  Control(control::kSize)->setText(Text(SizeText(contentWidth_, contentHeight_)));
  if (!thumbnail_.isNull()) Control(control::kViewThumbnail)->setPixmap(thumbnail_);
}

}  // namespace ridgeview::dialogs
