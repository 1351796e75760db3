#include "app/app_icons.h"

#include <QPainter>
#include <QStyle>
#include <algorithm>

#include "document/command_ids.h"

namespace ridgeview::app {

QPixmap ProgramPixmap(int size) {
  QPixmap pixmap(size, size);
  pixmap.fill(Qt::transparent);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);

  const qreal s = size;
  // A white tile with a thin frame, holding ridges as nested arcs around a core.
  p.setPen(QPen(QColor(0, 0, 156), std::max<qreal>(1.0, s / 32)));
  p.setBrush(Qt::white);
  p.drawRoundedRect(QRectF(0.5, 0.5, s - 1, s - 1), s / 8, s / 8);

  p.setBrush(Qt::NoBrush);
  p.setPen(QPen(QColor(40, 40, 40), std::max<qreal>(1.0, s / 22), Qt::SolidLine, Qt::RoundCap));
  const QPointF core(s / 2, s * 0.55);
  const int ridges = size >= 32 ? 5 : 3;
  for (int i = 1; i <= ridges; ++i) {
    const qreal rx = s * 0.08 * i;
    const qreal ry = s * 0.085 * i;
    // Open at the bottom, like the loops of a fingerprint.
    p.drawArc(QRectF(core.x() - rx, core.y() - ry, 2 * rx, 2 * ry), -30 * 16, 240 * 16);
  }
  return pixmap;
}

QIcon ProgramIcon() {
  QIcon icon;
  for (int size : {16, 24, 32, 48, 64}) icon.addPixmap(ProgramPixmap(size));
  return icon;
}



namespace {

namespace cmd = document::command;

// A sheet of paper with a folded corner, outlined, filling r.
void DrawSheet(QPainter& p, QRectF r) {
  const qreal fold = r.width() / 3;
  QPolygonF sheet;
  sheet << r.topLeft() << QPointF(r.right() - fold, r.top()) << QPointF(r.right(), r.top() + fold)
        << r.bottomRight() << r.bottomLeft();
  p.setBrush(Qt::white);
  p.drawPolygon(sheet);
  p.drawLine(QPointF(r.right() - fold, r.top()), QPointF(r.right() - fold, r.top() + fold));
  p.drawLine(QPointF(r.right() - fold, r.top() + fold), QPointF(r.right(), r.top() + fold));
}

QIcon DrawnIcon(bool paste) {
  QIcon icon;
  for (int size : {16, 24, 32}) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(50, 50, 50), 1));
    const qreal s = size;
    if (paste) {
      // A clipboard with a sheet on it.
      p.setBrush(QColor(176, 128, 72));
      p.drawRoundedRect(QRectF(s * 0.12, s * 0.12, s * 0.62, s * 0.8), 2, 2);
      p.setBrush(QColor(200, 200, 200));
      p.drawRect(QRectF(s * 0.3, s * 0.06, s * 0.26, s * 0.14));
      DrawSheet(p, QRectF(s * 0.42, s * 0.36, s * 0.5, s * 0.58));
    } else {
      // Two overlapping sheets.
      DrawSheet(p, QRectF(s * 0.08, s * 0.06, s * 0.5, s * 0.62));
      DrawSheet(p, QRectF(s * 0.4, s * 0.32, s * 0.5, s * 0.62));
    }
    icon.addPixmap(pixmap);
  }
  return icon;
}

}  // namespace

QIcon CommandIcon(int id, const QStyle* style) {
  switch (id) {
    case cmd::kOpen: return style->standardIcon(QStyle::SP_DialogOpenButton);
    case cmd::kSave: return style->standardIcon(QStyle::SP_DialogSaveButton);
    case cmd::kProperties: return style->standardIcon(QStyle::SP_FileDialogInfoView);
    case cmd::kAbout: return style->standardIcon(QStyle::SP_MessageBoxQuestion);
    case cmd::kCopy: return QIcon::fromTheme("edit-copy", DrawnIcon(false));
    case cmd::kPaste: return QIcon::fromTheme("edit-paste", DrawnIcon(true));
    default: return {};
  }
}

}  // namespace ridgeview::app
