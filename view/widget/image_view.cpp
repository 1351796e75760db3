// The image view's state changes: showing and releasing bitmaps, zooming, the scroll-bar mode,
// and carrying out the core's updates (bars, slider, title, repaint, pixel scrolls). Events are
// in image_view_input.cpp, painting in image_view_paint.cpp.
#include "view/widget/image_view.h"

#include <QGuiApplication>
#include <QScreen>
#include <QSignalBlocker>
#include <QStyle>
#include <algorithm>
#include <cmath>

#include "view/core/view_text.h"
#include "view/widget/title_strip.h"
#include "view/widget/zoom_slider.h"

namespace ridgeview::view {

ImageView::ImageView(QWidget* parent, bool scrollBarsOn)
    : QWidget(parent),
      core_(scrollBarsOn),
      horizontal_(new QScrollBar(Qt::Horizontal, this)),
      vertical_(new QScrollBar(Qt::Vertical, this)) {
  // paintEvent covers every client pixel itself; the toolkit must not erase first.
  setAttribute(Qt::WA_OpaquePaintEvent);
  setFocusPolicy(Qt::StrongFocus);
  setCursor(Qt::ArrowCursor);
  setMouseTracking(true);  // the pixel readout follows the pointer without a button

  const struct {
    QScrollBar* bar;
    Axis axis;
  } bars[] = {{horizontal_, Axis::Horizontal}, {vertical_, Axis::Vertical}};
  for (const auto& b : bars) {
    b.bar->setFocusPolicy(Qt::NoFocus);  // keys belong to the zoom trackbar
    b.bar->hide();
    const Axis axis = b.axis;
    connect(b.bar, &QAbstractSlider::actionTriggered, this,
            [this, axis](int action) { OnBarAction(axis, action); });
    connect(b.bar, &QAbstractSlider::sliderReleased, this,
            [this, axis] { OnBarReleased(axis); });
  }

  holdTimer_.setSingleShot(true);
  connect(&holdTimer_, &QTimer::timeout, this, &ImageView::OnHoldTimeout);

  // Start in the state of a view given no image.
  core_.SetImage(std::nullopt, {}, 1.0, Point{-1, -1}, WorkArea());
  MirrorScrollBars();
  Relayout();
}

ImageView::~ImageView() = default;

void ImageView::SetImage(std::unique_ptr<document::Image> newBitmap,
                         std::optional<std::string> name, double zoom, int x, int y) {
  if (newBitmap && newBitmap.get() == bitmap_.get()) {
    // The very bitmap already held: keep it, and never let the second owner free it.
    static_cast<void>(newBitmap.release());
  } else {
    display_.Clear();  // it may wrap the old bitmap's rows
    bitmap_ = std::move(newBitmap);
  }
  ResetDisplay();
  measureShown_ = false;
  measuring_ = false;
  measure_.clear();
  readout_.clear();

  std::optional<Size> size;
  if (bitmap_) {
    // An invalid bitmap is one whose size "cannot be read": the core counts it as 1 x 1.
    size = document::IsValidImage(*bitmap_)
               ? Size{bitmap_->width, static_cast<std::int32_t>(bitmap_->RowCount())}
               : Size{0, 0};
  }
  const std::string shownName = name.value_or(std::string());
  const Size workArea = WorkArea();
  Relayout();  // centring uses the client size: make it the widget's current one
  const Size client = core_.State().clientSize;
  Apply(core_.SetImage(size, shownName, zoom, Point{x, y}, workArea));
  if (!(core_.State().clientSize == client)) {
    // The bars the new image needs took room from the client (or gave it back). Place the
    // image again for the client it now has, as if the bars had been there from the start;
    // the bars do not change a second time since content and client are what they are now.
    Apply(core_.SetImage(size, shownName, zoom, Point{x, y}, workArea));
  }
}

void ImageView::SetZoom(double newZoom, bool redraw) { Apply(core_.SetZoom(newZoom, redraw)); }

void ImageView::ZoomLarger() { Apply(core_.ZoomLarger()); }
void ImageView::ZoomSmaller() { Apply(core_.ZoomSmaller()); }
void ImageView::ZoomToOne() { Apply(core_.ZoomToOne()); }
void ImageView::ZoomToFit() { Apply(core_.ZoomToFit()); }

void ImageView::SetSmooth(bool smooth) {
  Apply(core_.SetSmooth(smooth));  // repaints and updates the readout when it changes
}

void ImageView::ResetDisplay() {
  display_.Reset(bitmap_.get());
  reduced_ = QImage();
  reducedZoom_ = 0.0;
  resolution_ = bitmap_ ? ResolutionFromPixelsPerMetre(bitmap_->xPixelsPerMetre,
                                                       bitmap_->yPixelsPerMetre)
                        : std::nullopt;
}

std::optional<std::pair<Point, Point>> ImageView::measurement() const {
  if (!measureShown_) return std::nullopt;
  return std::make_pair(measureFrom_, measureTo_);
}

void ImageView::ToggleScrollBars() { Apply(core_.ToggleScrollBars()); }

void ImageView::setScrollBarsOn(bool on) {
  if (on != core_.State().scrollBarsOn) ToggleScrollBars();
}

void ImageView::ReleaseBitmap() {
  display_.Clear();
  bitmap_.reset();
  ResetDisplay();
  Apply(core_.ReleaseBitmap());
  MirrorZoomTrack();
}

bool ImageView::ReplaceBitmap(std::unique_ptr<document::Image> newBitmap) {
  if (!newBitmap || !core_.State().hasImage) return false;
  if (newBitmap.get() == bitmap_.get()) {
    static_cast<void>(newBitmap.release());
  } else {
    display_.Clear();
    bitmap_ = std::move(newBitmap);
  }
  ResetDisplay();
  Apply(core_.RestoreBitmap());
  MirrorZoomTrack();
  return true;
}

void ImageView::SetZoomTrack(ZoomSlider* slider) {
  if (zoomTrack_) disconnect(zoomTrack_, nullptr, this, nullptr);
  zoomTrack_ = slider;
  if (slider == nullptr) return;
  connect(slider, &ZoomSlider::trackbarKey, this,
          [this](TrackbarKey key) { Apply(core_.KeyDown(key)); });
  connect(slider, &ZoomSlider::trackbarScroll, this,
          [this](TrackbarCode code, int position) {
            Apply(core_.ZoomByTrackbar(code, position));
          });
  MirrorZoomTrack();
}

void ImageView::SetTitleBar(TitleStrip* strip) {
  titleBar_ = strip;
  MirrorTitle();
}

void ImageView::Apply(const ViewUpdate& u) {
  if (u.scrollBarsChanged) {
    MirrorScrollBars();
    Relayout();
  }
  if (u.zoomTrackChanged) MirrorZoomTrack();
  if (u.repaintAll || u.scrollBy.x != 0 || u.scrollBy.y != 0 || u.titleChanged) {
    // The image moved under the pointer: another pixel may be under it now.
    UpdateReadout(lastPointer_);
  }
  if (u.titleChanged) MirrorTitle();
  if (u.repaintAll) {
    update();
  } else if (u.scrollBy.x != 0 || u.scrollBy.y != 0) {
    ScrollPixels(u.scrollBy);
  }
}

void ImageView::MirrorScrollBars() {
  const ViewState& s = core_.State();
  const auto mirror = [](QScrollBar* bar, const ScrollBarModel& model, std::int32_t line) {
    const QSignalBlocker blocker(bar);
    bar->setRange(model.Minimum(), model.MaxPosition());
    bar->setPageStep(std::max<std::int32_t>(1, model.Page()));
    bar->setSingleStep(std::max<std::int32_t>(1, line));
    bar->setValue(model.Position());
  };
  mirror(horizontal_, s.horizontal, s.lineStep.x);
  mirror(vertical_, s.vertical, s.lineStep.y);
}

void ImageView::MirrorZoomTrack() {
  if (!zoomTrack_) return;
  zoomTrack_->Mirror(core_.State().zoomTrack);
  zoomTrack_->SetBordered(core_.State().hasImage);
  zoomTrack_->SetBackground(core_.ZoomTrackBackground());
}

void ImageView::MirrorTitle() {
  if (!titleBar_) return;
  TitleText title = Title(core_.State());
  if (title.ownerDrawn) title.middle = TitleMiddle(readout_, measure_);
  titleBar_->SetTitle(title);
}

void ImageView::Relayout() {
  if (relayingOut_) return;
  relayingOut_ = true;
  const int extent = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, vertical_);
  const auto clientFor = [this, extent](bool showH, bool showV) {
    return QRect(0, 0, std::max(0, width() - (showV ? extent : 0)),
                 std::max(0, height() - (showH ? extent : 0)));
  };

  // Showing a bar shrinks the client, which may show the other bar: a few rounds settle it
  // (bars only appear as the client shrinks, so this converges; the bound guards anyway).
  bool clientChanged = false;
  for (int round = 0; round < 4; ++round) {
    const QRect client =
        clientFor(core_.State().horizontal.Visible(), core_.State().vertical.Visible());
    const Size device = ToDevice(client.size());
    if (device == core_.State().clientSize) break;
    core_.Resize(device);  // its pixel scroll is moot: the whole view repaints below
    MirrorScrollBars();
    clientChanged = true;
  }

  const bool showH = core_.State().horizontal.Visible();
  const bool showV = core_.State().vertical.Visible();
  clientRect_ = clientFor(showH, showV);
  horizontal_->setGeometry(0, clientRect_.height(), clientRect_.width(), extent);
  vertical_->setGeometry(clientRect_.width(), 0, extent, clientRect_.height());
  horizontal_->setVisible(showH);
  vertical_->setVisible(showV);
  relayingOut_ = false;
  if (clientChanged) update();
}

void ImageView::ScrollPixels(Point delta) {
  // The toolkit scrolls by logical pixels. A device delta that is no whole number of them
  // (a fractional scale factor) cannot be moved exactly: repaint the client instead.
  const qreal dpr = devicePixelRatioF();
  const qreal dx = delta.x / dpr;
  const qreal dy = delta.y / dpr;
  if (dx != std::trunc(dx) || dy != std::trunc(dy) || std::abs(dx) > clientRect_.width() ||
      std::abs(dy) > clientRect_.height()) {
    update(clientRect_);
    return;
  }
  scroll(static_cast<int>(dx), static_cast<int>(dy), clientRect_);
}

Point ImageView::ToDevice(QPointF logical) const {
  const qreal dpr = devicePixelRatioF();
  return {TruncToInt32(std::floor(logical.x() * dpr)), TruncToInt32(std::floor(logical.y() * dpr))};
}

Size ImageView::ToDevice(QSize logical) const {
  const qreal dpr = devicePixelRatioF();
  return {TruncToInt32(std::round(logical.width() * dpr)),
          TruncToInt32(std::round(logical.height() * dpr))};
}

Size ImageView::WorkArea() const {
  QScreen* s = screen();
  if (s == nullptr) s = QGuiApplication::primaryScreen();
  if (s == nullptr) return {0, 0};  // the core counts a missing dimension as one pixel
  const QRect area = s->availableGeometry();
  const qreal dpr = s->devicePixelRatio();
  return {TruncToInt32(std::round(area.width() * dpr)),
          TruncToInt32(std::round(area.height() * dpr))};
}

}  // namespace ridgeview::view
