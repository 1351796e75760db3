#include "view/widget/title_strip.h"

#include <QPainter>

namespace ridgeview::view {

TitleStrip::TitleStrip(QWidget* parent) : QWidget(parent) {
  title_.plain = "No image";
  setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
  // The plain text sits on the window colour; the owner-drawn form paints all of itself.
  setAutoFillBackground(true);
}

void TitleStrip::SetTitle(const TitleText& title) {
  title_ = title;
  update();
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
  painter.drawText(inner, flags | Qt::AlignLeft, QString::fromStdString(title_.left));
  painter.drawText(inner, flags | Qt::AlignRight, QString::fromStdString(title_.right));
}

}  // namespace ridgeview::view
