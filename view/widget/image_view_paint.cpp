// The image view's painting. Only client pixels the paint event exposes are touched: the
// window-colour strips right of and below a content smaller than the client, the visible part
// of the bitmap (magnified by whole device pixels, reduced by area averaging from the content
// made once per zoom, or picked by nearest neighbour for "Exact pixels" and 1.00), the
// measuring line over it, and nothing else, except pixels that neither cover (no bitmap, a
// released one, or a sliver that the reduction maps past the bitmap's edge), which get the
// window colour too so that no stale pixels show.
#include <QPaintEvent>
#include <QPainter>
#include <QPen>
#include <QRegion>
#include <algorithm>
#include <chrono>
#include <string>

#include "base/timing.h"
#include "view/core/paint_geometry.h"
#include "view/widget/image_view.h"

namespace ridgeview::view {
namespace {

QRect ToQRect(const Rect& r) { return QRect(r.x, r.y, r.w, r.h); }

const QColor kMeasureColour(255, 200, 0);

}  // namespace

void ImageView::paintEvent(QPaintEvent* event) {
  const bool timing = base::TimingEnabled();
  const auto started = timing ? std::chrono::steady_clock::now() : std::chrono::steady_clock::time_point();
  {
    QPainter painter(this);

    // Outside the client and the shown bars (the corner between two bars): the window face.
    QRegion outside = QRegion(event->rect()) - clientRect_;
    if (!horizontal_->isHidden()) outside -= horizontal_->geometry();
    if (!vertical_->isHidden()) outside -= vertical_->geometry();
    for (const QRect& r : outside) painter.fillRect(r, palette().color(QPalette::Window));

    PaintClient(painter, event->rect() & clientRect_);
  }
  if (!timing) return;
  const double ms =
      std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - started).count();
  const QSize area = event->rect().size() * devicePixelRatioF();
  const std::string what = std::to_string(area.width()) + " x " + std::to_string(area.height());
  if (!paintedBefore_ && bitmap_ != nullptr) {
    paintedBefore_ = true;
    base::ReportTiming(("first paint of the image, " + what + " device pixels").c_str());
  } else if (panned_) {
    base::ReportDuration(("repaint after a pan, " + what + " device pixels").c_str(), ms);
  }
  panned_ = false;
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

  // The smoothed reduction is kept only while it is what the view shows: at 1.00, magnified or
  // with "Exact pixels" its memory (up to 4/3 of the image's) goes back at once.
  const bool smoothReduction = s.zoom > 1.0 && s.smooth;
  if (!smoothReduction && reducedZoom_ != 0.0) {
    reduced_ = QImage();
    reducedZoom_ = 0.0;
  }
  bool contentPainted = false;
  if (!display_.empty() && s.bitmapHeld && (s.zoom < 1.0 || smoothReduction)) {
    // Client pixel d shows content pixel offset + d: the part of the content on the client.
    const QRect onClient(0, 0, std::max(0, s.contentSize.w - s.offset.x),
                         std::max(0, s.contentSize.h - s.offset.y));
    const QRect area = onClient & exposed;
    if (area.isEmpty() || PaintContent(painter, area)) {
      contentPainted = true;
      uncovered -= area;
    }
  }
  if (!display_.empty() && !contentPainted) {
    const Size bitmapSize{display_.image().width(), display_.image().height()};
    if (const std::optional<StretchPart> part = PlanPaint(s, bitmapSize)) {
      const QRect area = ToQRect(part->destination) & exposed;
      if (!area.isEmpty()) {
        const QImage pixels =
            StretchArea(display_.image(), PaintSourceRect(s.offset, s.clientSize, s.zoom),
                        s.clientSize, area, &paintBuffer_);
        if (!pixels.isNull()) {
          painter.drawImage(area.topLeft(), pixels);
          uncovered -= area;
        }
      }
    }
  }

  for (const QRect& r : uncovered) painter.fillRect(r, window);
  if (measureShown_) PaintMeasurement(painter);
  painter.restore();
}

bool ImageView::PaintContent(QPainter& painter, const QRect& area) {
  const ViewState& s = core_.State();
  if (s.zoom < 1.0) {
    const QImage pixels = MagnifyArea(display_.image(), s.zoom, s.offset, area, &paintBuffer_);
    if (pixels.isNull()) return false;
    painter.drawImage(area.topLeft(), pixels);
    return true;
  }
  const bool current = reducedZoom_ == s.zoom &&
                       (reduced_.isNull() || (reduced_.width() == s.contentSize.w &&
                                              reduced_.height() == s.contentSize.h));
  if (!current) {
    reduced_ = QImage();  // the old reduction goes before the new one is made
    reduced_ = ReduceAreaMean(display_.image(), s.zoom, s.contentSize, display_.gray());
    reducedZoom_ = s.zoom;
  }
  // A reduction that could not be made is not tried again at this zoom: the caller picks.
  if (reduced_.isNull()) return false;
  // Panning is a copy out of the reduced content.
  painter.drawImage(area.topLeft(), reduced_, area.translated(s.offset.x, s.offset.y));
  return true;
}

void ImageView::PaintMeasurement(QPainter& painter) {
  const ClientPointF a = core_.ClientPointOf(measureFrom_);
  const ClientPointF b = core_.ClientPointOf(measureTo_);
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing, true);
  const qreal width = std::max<qreal>(2.0, devicePixelRatioF() * 2.0);
  // A dark casing under a bright line: visible on black ridges and white valleys alike.
  painter.setPen(QPen(QColor(0, 0, 0, 160), width + 2.0, Qt::SolidLine, Qt::RoundCap));
  painter.drawLine(QPointF(a.x, a.y), QPointF(b.x, b.y));
  painter.setPen(QPen(kMeasureColour, width, Qt::SolidLine, Qt::RoundCap));
  painter.drawLine(QPointF(a.x, a.y), QPointF(b.x, b.y));
  painter.restore();
}

}  // namespace ridgeview::view
