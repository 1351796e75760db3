// The image view: the frame's client widget that shows the current bitmap reduced or magnified
// by the zoom, scrolls it with or without its two scroll bars, pans it with the mouse, zooms it
// with the keys through the zoom trackbar and with Ctrl + wheel, reads out the pixel under the
// pointer, measures with Shift + drag and asks for the context menu on tap-and-hold.
//
// Drawing: at 1.00 pixel for pixel; magnified (zoom below 1.00) every image pixel is a square
// of device pixels (nearest neighbour, MagnifyArea); reduced, either by area averaging
// ("Smooth", the default: the whole reduced content is made once per image and zoom and panning
// copies from it) or by picking one pixel per screen pixel ("Exact pixels", StretchArea).
//
// Pointer: while it is over the image the title strip's middle shows the pixel readout
// (FormatReadout: position, millimetres when the bitmap's pixels per metre are known, value);
// Shift + left drag draws a line from the press to the pointer and shows its length
// (FormatMeasure) until the next click. A plain drag pans.
//
// All arithmetic lives in ViewCore (view/core/view_core.h); this widget forwards each event to
// it and carries out the returned ViewUpdate: repaint, scroll the shown pixels, mirror the
// scroll bars, the zoom slider and the title strip.
//
// Units: the core works in device pixels, so that at zoom 1.00 one image pixel is one device
// pixel also on a screen with a scale factor. Sizes and points read from this class
// (offset(), contentSize(), clientSize()) are device pixels; imageSize() is image pixels.
//
// Ownership: the view owns the current bitmap. The zoom slider and the title strip belong to
// the frame; the view only keeps guarded references to them.
#pragma once

#include <QPointer>
#include <QScrollBar>
#include <QTimer>
#include <QWidget>
#include <memory>
#include <optional>
#include <string>
#include <utility>

#include "document/image.h"
#include "view/core/view_core.h"
#include "view/core/view_text.h"
#include "view/widget/display_image.h"

namespace ridgeview::view {

class TitleStrip;
class ZoomSlider;

class ImageView : public QWidget {
  Q_OBJECT

 public:
  // scrollBarsOn: the persisted "ScrollBars" setting. The view starts in the no-image state
  // (title "No image", zoom 1.00).
  explicit ImageView(QWidget* parent = nullptr, bool scrollBarsOn = true);
  ~ImageView() override;

  // Shows newBitmap (or nothing) under `name` at `zoom` with the image point (x, y) at the
  // client's top-left corner, or centred for (-1, -1). Frees the previous bitmap unless it is
  // the very same object (whose second owner is then released, never freed twice). A bitmap
  // that is not a valid image is kept but counts as 1 x 1 and paints nothing. The zoom
  // trackbar's maximum comes from the work area of the view's screen.
  void SetImage(std::unique_ptr<document::Image> newBitmap, std::optional<std::string> name,
                double zoom, int x, int y);

  // Changes the zoom keeping the point under the client's centre (see ViewCore::SetZoom).
  void SetZoom(double newZoom, bool redraw = true);

  // The zoom keys (ViewCore::ZoomLarger etc.): one ladder step about the client's centre,
  // 1.00, and the zoom that fits the image.
  void ZoomLarger();
  void ZoomSmaller();
  void ZoomToOne();
  void ZoomToFit();

  // Smoothed (area-averaged) or picked reductions ("Exact pixels" is !smooth).
  void SetSmooth(bool smooth);
  bool smooth() const { return core_.State().smooth; }
  // Whether the smoothed reduction of the whole content is held (only while it is shown).
  bool holdsReduction() const { return !reduced_.isNull(); }

  // The title strip's middle field parts: the pixel readout (empty while the pointer is not
  // over the image) and the measurement (empty when none is shown).
  const std::string& readoutText() const { return readout_; }
  const std::string& measureText() const { return measure_; }
  // The measured image pixels (from, to) while a measurement is shown.
  std::optional<std::pair<Point, Point>> measurement() const;
  // The resolution of the shown bitmap (its pixels per metre), if known.
  const std::optional<Resolution>& resolution() const { return resolution_; }

  // The ScrollBars command: shows or hides the scroll bars, keeping offset and zoom.
  void ToggleScrollBars();

  // Low-memory notice: frees the bitmap but keeps name, zoom and offset; painting shows the
  // window colour until ReplaceBitmap puts a reloaded bitmap in its place.
  void ReleaseBitmap();

  // Puts a reloaded bitmap in place of the released (or current) one without SetImage: name,
  // zoom, offset and trackbar stay. Returns false, dropping the bitmap, when no image is shown
  // (there is nothing to reload into) or newBitmap is null.
  bool ReplaceBitmap(std::unique_ptr<document::Image> newBitmap);

  // The zoom trackbar and the title bar the frame created; either may be null. The view
  // connects to the slider, mirrors its model onto it and keeps the strip's text current.
  void SetZoomTrack(ZoomSlider* slider);
  void SetTitleBar(TitleStrip* strip);

  // Readers.
  double zoom() const { return core_.State().zoom; }
  Point offset() const { return core_.State().offset; }
  Size imageSize() const { return core_.State().imageSize; }
  Size contentSize() const { return core_.State().contentSize; }
  Size clientSize() const { return core_.State().clientSize; }
  bool scrollBarsOn() const { return core_.State().scrollBarsOn; }
  const std::string& displayName() const { return core_.State().displayName; }
  const document::Image* bitmap() const { return bitmap_.get(); }
  const ViewCore& core() const { return core_; }

  // Sets the scroll-bar mode without toggling it blindly (for the setting read at start-up).
  void setScrollBarsOn(bool on);

  // The client area in widget (logical) coordinates: the widget minus the shown bars.
  QRect clientRect() const { return clientRect_; }
  QScrollBar* horizontalBar() const { return horizontal_; }
  QScrollBar* verticalBar() const { return vertical_; }

 signals:
  // Tap-and-hold, the right mouse button or the Menu key asked for the context menu at this
  // global position.
  void contextMenuRequested(QPoint globalPos);

 protected:
  bool event(QEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  void leaveEvent(QEvent* event) override;

 private:
  // Carries out what the core asked for.
  void Apply(const ViewUpdate& update);
  // Places the bars by their models and feeds the resulting client size to the core until
  // both agree; repaints when the client changed.
  void Relayout();
  void MirrorScrollBars();
  void MirrorZoomTrack();
  void MirrorTitle();
  void ScrollPixels(Point delta);
  void OnBarAction(Axis axis, int action);
  void OnBarReleased(Axis axis);
  void OnHoldTimeout();
  void RequestMenuAt(QPoint globalPos);
  QPoint KeyboardMenuPoint(QPoint suggested) const;
  Point ToDevice(QPointF logical) const;
  Size ToDevice(QSize logical) const;
  Size WorkArea() const;
  void PaintClient(QPainter& painter, const QRect& exposedLogical);
  // Paints the visible content for magnification and smoothed reductions into `area`
  // (device pixels); false when it could not (memory short), so the caller picks instead.
  bool PaintContent(QPainter& painter, const QRect& area);
  void PaintMeasurement(QPainter& painter);
  // Points display_ at the bitmap (or nothing) and drops the reduced content.
  void ResetDisplay();
  // The readout for the device point p (nothing when it shows no image pixel).
  void UpdateReadout(std::optional<Point> p);
  void ClearMeasurement();

  ViewCore core_;
  std::unique_ptr<document::Image> bitmap_;
  DisplayImage display_;  // wraps bitmap_ or a rendering of it; cleared before bitmap_ goes
  QImage reduced_;        // the smoothed reduction of the whole content, made on demand
  double reducedZoom_ = 0.0;  // the zoom reduced_ was made for (null: it could not be); 0: none
  std::optional<Resolution> resolution_;

  // Pixel readout and measuring.
  std::string readout_;
  std::string measure_;
  std::optional<Point> lastPointer_;  // device point of the last pointer position
  bool measuring_ = false;            // a Shift + drag is in progress
  bool measureShown_ = false;
  Point measureFrom_{0, 0};
  Point measureTo_{0, 0};

  QScrollBar* horizontal_;
  QScrollBar* vertical_;
  QRect clientRect_;
  bool relayingOut_ = false;

  QPointer<ZoomSlider> zoomTrack_;
  QPointer<TitleStrip> titleBar_;

  // Mouse: tap-and-hold and panning.
  QTimer holdTimer_;
  QPoint pressPos_;          // logical press point, for the menu and the drag tolerance
  bool leftDown_ = false;    // the left button went down in the view and is still down
  bool panned_ = false;      // a drag moved the image since the last paint
  PaintBuffer paintBuffer_;  // the pixels of a paint, kept for the next one
  bool paintedBefore_ = false;
  bool holdFired_ = false;   // the hold opened the menu: no panning until the next press
  bool menuKeyHandled_ = false;  // a keyboard context-menu event already answered the Menu key
};

}  // namespace ridgeview::view
