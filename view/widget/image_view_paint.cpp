// The image view's painting. Only client pixels the paint event exposes are touched: the
// window-colour strips right of and below a content smaller than the client, the visible part
// of the bitmap stretched by nearest neighbour, and nothing else, except pixels that neither
// cover (no bitmap, a released one, or a sliver that the reduction maps past the bitmap's
// edge), which get the window colour too so that no stale pixels show.
#include <QPaintEvent>
#include <QPainter>
#include <QRegion>

#include "view/core/paint_geometry.h"
#include "view/widget/image_view.h"

namespace ridgeview::view {
namespace {

QRect ToQRect(const Rect& r) { return QRect(r.x, r.y, r.w, r.h); }

}  // namespace

void ImageView::paintEvent(QPaintEvent* event) {
  QPainter painter(this);

  // Outside the client and the shown bars (the corner between two bars): the window face.
  QRegion outside = QRegion(event->rect()) - clientRect_;
  if (!horizontal_->isHidden()) outside -= horizontal_->geometry();
  if (!vertical_->isHidden()) outside -= vertical_->geometry();
  for (const QRect& r : outside) painter.fillRect(r, palette().color(QPalette::Window));

  PaintClient(painter, event->rect() & clientRect_);
}

void ImageView::PaintClient(QPainter& painter, const QRect& exposedLogical) {
  if (exposedLogical.isEmpty()) return;
  const ViewState& s = core_.State();
  const QRect client(0, 0, s.clientSize.w, s.clientSize.h);

  // Work in device pixels: undo the painter's scale factor so that at zoom 1.00 one image
  // pixel lands on one device pixel.
  const qreal dpr = devicePixelRatioF();
  painter.save();
  painter.setWorldTransform(QTransform::fromScale(1.0 / dpr, 1.0 / dpr));
  const QRectF exposedF(exposedLogical.x() * dpr, exposedLogical.y() * dpr,
                        exposedLogical.width() * dpr, exposedLogical.height() * dpr);
  const QRect exposed = exposedF.toAlignedRect() & client;

  const QColor window = palette().color(QPalette::Base);
  QRegion uncovered(exposed);

  const BackgroundStrips strips = EraseStrips(s.contentSize, s.clientSize);
  for (const std::optional<Rect>& strip : {strips.right, strips.below}) {
    if (!strip) continue;
    const QRect r = ToQRect(*strip) & exposed;
    if (r.isEmpty()) continue;
    painter.fillRect(r, window);
    uncovered -= r;
  }

  if (!display_.empty()) {
    const Size bitmapSize{display_.image().width(), display_.image().height()};
    if (const std::optional<StretchPart> part = PlanPaint(s, bitmapSize)) {
      const QRect area = ToQRect(part->destination) & exposed;
      if (!area.isEmpty()) {
        const QImage pixels =
            StretchArea(display_.image(), PaintSourceRect(s.offset, s.clientSize, s.zoom),
                        s.clientSize, area);
        if (!pixels.isNull()) {
          painter.drawImage(area.topLeft(), pixels);
          uncovered -= area;
        }
      }
    }
  }

  for (const QRect& r : uncovered) painter.fillRect(r, window);
  painter.restore();
}

}  // namespace ridgeview::view
