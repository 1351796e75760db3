#include "view/widget/title_strip.h"

#include <QPainter>

namespace ridgeview::view {

TitleStrip::TitleStrip(QWidget* parent) : QWidget(parent) {
  title_.plain = "No image";
  setAccessibleName(QString::fromStdString(title_.plain));
  setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
  // The plain text sits on the window colour; the owner-drawn form paints all of itself.
  setAutoFillBackground(true);
}

void TitleStrip::SetTitle(const TitleText& title) {
  if (title == title_) return;
  title_ = title;
  setAccessibleName(QString::fromStdString(AccessibleText(title_)));
  update();
}

std::string TitleStrip::AccessibleText(const TitleText& title) {
  if (!title.ownerDrawn) return title.plain;
  std::string text = title.left;
  if (!title.middle.empty()) text += "  " + title.middle;
  text += "  " + title.right;
  return text;
}

QSize TitleStrip::sizeHint() const {
  return {fontMetrics().averageCharWidth() * 20, fontMetrics().height() + 2 * kPadding};
}

QSize TitleStrip::minimumSizeHint() const { return {0, sizeHint().height()}; }

void TitleStrip::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  const QRect inner = rect().adjusted(kTitleInset, 0, -kTitleInset, 0);
  const int flags = Qt::AlignVCenter | Qt::TextSingleLine;
  if (!title_.ownerDrawn) {
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawText(inner, flags | Qt::AlignLeft, QString::fromStdString(title_.plain));
    return;
  }
  painter.fillRect(rect(), Qt::white);
  painter.setPen(QColor(kTitleTextRgb[0], kTitleTextRgb[1], kTitleTextRgb[2]));
  const QString left = QString::fromStdString(title_.left);
  const QString right = QString::fromStdString(title_.right);
  painter.drawText(inner, flags | Qt::AlignLeft, left);
  painter.drawText(inner, flags | Qt::AlignRight, right);
  if (title_.middle.empty()) return;
  // The middle field is centred in the strip when it fits there, else in the room between
  // the two others, elided when even that is too narrow.
  const QFontMetrics metrics = fontMetrics();
  const int gap = metrics.averageCharWidth() * 2;
  const int leftEnd = inner.left() + metrics.horizontalAdvance(left) + gap;
  const int rightStart = inner.right() + 1 - metrics.horizontalAdvance(right) - gap;
  if (rightStart <= leftEnd) return;
  const QString middle = QString::fromStdString(title_.middle);
  const int width = metrics.horizontalAdvance(middle);
  QRect room(leftEnd, inner.top(), rightStart - leftEnd, inner.height());
  const int centredLeft = inner.center().x() - width / 2;
  if (centredLeft >= leftEnd && centredLeft + width <= rightStart) {
    room = QRect(centredLeft, inner.top(), width + 1, inner.height());
  }
  painter.drawText(room, flags | Qt::AlignHCenter,
                   metrics.elidedText(middle, Qt::ElideRight, room.width()));
}

}  // namespace ridgeview::view
