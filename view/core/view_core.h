// The image view without a window: all zoom, scroll, pan and zoom-trackbar state and the
// arithmetic that changes it. The view widget forwards its events here and carries out what the
// returned ViewUpdate asks for (repaint, scroll pixels, mirror the bars, the trackbar and the
// title); it never computes a position itself.
//
// Units: `offset`, `contentSize`, `clientSize`, `lineStep` and `pageStep` are screen pixels;
// `imageSize` and the points taken by SetImage and ScrollToImagePoint are image pixels. The
// conversions between them are ToImage and ToScreen (view_units.h) with the current `zoom`.
//
// Invariants kept by every operation below:
//   - contentSize == ToScreen(imageSize, zoom) per axis;
//   - 0 <= offset.x <= max(0, contentSize.w - clientSize.w), likewise for y;
//   - zoom is finite and > 0.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "view/core/scroll_bar_model.h"
#include "view/core/trackbar_model.h"
#include "view/core/view_units.h"

namespace ridgeview::view {

// Everything the view knows. Read through ViewCore::State(); changed only by ViewCore.
// The bitmap itself stays with the widget (which frees the previous one when SetImage gets a
// different one); the core only knows whether one is held and its size.
struct ViewState {
  bool hasImage = false;    // an image is shown: title owner-drawn, trackbar bordered
  bool bitmapHeld = false;  // the bitmap is present (false after a low-memory release)
  std::string displayName;  // shown after "Image: " in the title bar
  Size imageSize{0, 0};     // bitmap pixels; 1 x 1 without a bitmap or when unreadable
  double zoom = 1.0;        // reduction factor: shown size = image size / zoom
  Size contentSize{0, 0};   // the whole reduced image, screen pixels
  Size clientSize{0, 0};    // the client area, screen pixels
  Point offset{0, 0};       // content pixel at the client's top-left corner
  Point lineStep{0, 0};     // scroll-bar line step per axis, screen pixels
  Point pageStep{0, 0};     // scroll-bar page step per axis, screen pixels
  bool scrollBarsOn = true;
  Point dragPoint{0, 0};    // last stylus position
  ScrollBarModel horizontal;
  ScrollBarModel vertical;
  TrackbarModel zoomTrack;  // the zoom trackbar the frame created and the view drives
  std::int32_t wheelRemainder = 0;  // wheel units below one notch, carried to the next event
  std::int32_t zoomWheelRemainder = 0;  // the same for Ctrl + wheel (zoom steps)
  // Reductions (zoom above 1.00) are drawn by area averaging ("Smooth", the default), or by
  // picking one image pixel per screen pixel (the "Exact pixels" option). Magnification and
  // 1.00 are exact either way.
  bool smooth = true;
};

// A point in client pixels with fractions, for drawing over the image.
struct ClientPointF {
  double x = 0.0, y = 0.0;
};

// What a widget must do after an operation.
struct ViewUpdate {
  bool repaintAll = false;         // invalidate the whole view, erasing the background
  Point scrollBy{0, 0};            // scroll the shown pixels by this much (old offset - new
                                   // offset) and repaint the uncovered strips; ignored when
                                   // repaintAll is set
  bool scrollBarsChanged = false;  // mirror State().horizontal / vertical onto the bars
  bool zoomTrackChanged = false;   // mirror State().zoomTrack onto the slider
  bool titleChanged = false;       // redraw the title bar (Title(), view_text.h)

  bool Any() const {
    return repaintAll || scrollBy.x != 0 || scrollBy.y != 0 || scrollBarsChanged ||
           zoomTrackChanged || titleChanged;
  }
  // Combines two updates made one after the other.
  void Merge(const ViewUpdate& later);
};

enum class Axis { Horizontal, Vertical };

// What a scroll bar asks for.
enum class ScrollAction {
  LineUp,         // -lineStep
  LineDown,       // +lineStep
  PageUp,         // -pageStep
  PageDown,       // +pageStep
  ThumbTrack,     // to the dragged thumb's position
  ThumbPosition,  // to the released thumb's position
  Top,            // to 0
  Bottom,         // to content - client
  EndScroll,      // the user let go: nothing moves
};

// Brush a widget paints the trackbar's background with.
enum class TrackbarBackground { ButtonFace, ButtonHighlight };

class ViewCore {
 public:
  static constexpr std::int32_t kWheelDelta = 120;   // wheel units of one notch
  static constexpr std::int32_t kWheelLines = 3;     // lines scrolled per notch
  static constexpr std::int32_t kTrackbarMinimum = 100;
  // Trackbar maximum for an image that fits the work area: it can be shown at a quarter.
  static constexpr std::int32_t kSmallImageMaximum = 400;
  static constexpr std::int32_t kTrackbarPage = 100;

  // scrollBarsOn: the persisted "ScrollBars" setting, read before the view exists.
  explicit ViewCore(bool scrollBarsOn = true);

  const ViewState& State() const { return s_; }

  // Shows a bitmap, or nothing, under a display name at the given zoom.
  //   bitmapSize: nullopt when there is no bitmap; otherwise the bitmap's width and height, with
  //     a non-positive dimension meaning "cannot be read" (the image then counts as 1 x 1).
  //   newZoom: a zoom that is not finite or not above 0 is taken as 1.0.
  //   start: the image point to show at the client's top-left corner, or (-1, -1) to centre.
  //   workArea: the screen's work area (screen minus task and menu bars); sets the trackbar's
  //     maximum, max(w * 100 / workArea.w, h * 100 / workArea.h). A non-positive work
  //     dimension counts as 1 pixel. The minimum is MagnifyMinimumFor(image) (96, 16 x) with
  //     an image and 100 without one.
  // Resets the scroll geometry and the trackbar; the whole view repaints.
  ViewUpdate SetImage(std::optional<Size> bitmapSize, std::string_view name, double newZoom,
                      Point start, Size workArea);

  // The frame freed the bitmap on a low-memory notice / put a reloaded one in its place. Name,
  // zoom and offset stay; only painting and panning depend on the bitmap being held.
  ViewUpdate ReleaseBitmap();
  ViewUpdate RestoreBitmap();

  // Clamps each axis of the offset to [0, max(0, content - client)]. Returns whether it changed.
  bool ClampOffset();

  // offset = ToScreen((px, py)), clamped; the bars follow. redraw: repaint the whole view.
  ViewUpdate ScrollToImagePoint(std::int32_t px, std::int32_t py, bool redraw);

  // Changes the zoom keeping the image point under the client's centre in place (up to
  // truncation; exactly, to half a device pixel, when the old or the new zoom magnifies, see
  // ZoomAround); the title redraws since it shows the zoom. With the bars on, the line and
  // page steps keep their size in image units. A zoom that is not finite or not above 0 is
  // ignored. Without redraw the caller repaints when it sees fit.
  ViewUpdate SetZoom(double newZoom, bool redraw);

  // The ScrollBars command: shows or hides the bars. Offset, steps and zoom are kept.
  ViewUpdate ToggleScrollBars();

  // The client area got a new size (negative dimensions count as 0). The offset is clamped,
  // never re-centred; the returned update scrolls the shown pixels by the change. (The view
  // redraws on every size change anyway, as its toolkit repaints a resized widget.)
  ViewUpdate Resize(Size newClientSize);

  // A scroll-bar request along one axis. thumbPosition is used by ThumbTrack / ThumbPosition.
  // Every move is clamped to [0, content - client] and reported as a pixel scroll.
  ViewUpdate Scroll(Axis axis, ScrollAction action, std::int32_t thumbPosition = 0);

  // A wheel event of `delta` units (120 per notch, positive away from the user). Each whole
  // notch scrolls kWheelLines lines up (positive) or down, vertically when the content is
  // taller than the client, otherwise horizontally; units below a notch are carried over.
  // Works with the bars hidden too: the offset is the same either way.
  ViewUpdate Wheel(std::int32_t delta);

  // Stylus (left button) pressed at p: the start point of a pan.
  void StylusDown(Point p);

  // Stylus moved to p while pressed: the image follows it. Ignored while no bitmap is held.
  // At magnification (zoom below 1.00) the offset moves by the pointer's movement in device
  // pixels, so that slow movements are not lost to the conversion to image units.
  ViewUpdate StylusMove(Point p);

  // A scroll notification from the zoom trackbar. For ThumbPosition and ThumbTrack the
  // trackbar is moved to thumbPosition (clamped to its range) first; every code then takes the
  // trackbar's position. newZoom = position * 0.01; when it differs from the current zoom the
  // view zooms with a full repaint and the title redraws, otherwise nothing happens.
  ViewUpdate ZoomByTrackbar(TrackbarCode code, std::int32_t thumbPosition = 0);

  // A key pressed in the view, forwarded to the zoom trackbar with Up turned into Page Up and
  // Down into Page Down, so that Left/Right zoom by 0.01 and Up/Down by 1.00 at 1.00 and
  // above. A step that would cross 1.00 stops at 1.00 (also from a restored zoom such as 1.005
  // whose thumb already sits at 100). Below 1.00, and from 1.00 toward magnification, every
  // arrow and page key moves one magnification position: Left/Up to the next larger
  // magnification (1.00 -> 1/2 -> 1/4 -> 1/8 -> 1/16), Right/Down back toward 1.00. Home and
  // End go to the trackbar's ends (Home: 1/16). When the key moved the trackbar, the zoom
  // follows as with ZoomByTrackbar.
  ViewUpdate KeyDown(TrackbarKey key);

  // Background of the zoom trackbar: button face without a bitmap, button highlight with one.
  TrackbarBackground ZoomTrackBackground() const;

  // Zooms to newZoom keeping the image point under the client pixel `anchor` where it is,
  // exactly (in fractions of a pixel, rounded once); the trackbar moves to the zoom's position
  // (TrackbarPositionFromZoom), the title redraws and the whole view repaints. Nothing
  // happens without an image, for an unusable zoom or for the current one.
  ViewUpdate ZoomAround(double newZoom, Point anchor);

  // The zoom keys and Ctrl + wheel (zoom_steps.h): one ladder step larger (Ctrl + Plus, wheel
  // away from the user) or smaller (Ctrl + Minus), keeping the image point under `anchor`
  // (nullopt: the client's centre) in place. Steps stop at the trackbar's ends: the larger
  // step at its minimum's zoom (1/16 for any image up to 2^26 pixels a side), the smaller one
  // at its maximum's zoom; a zoom already beyond an end does not move toward it.
  ViewUpdate ZoomLarger(std::optional<Point> anchor = std::nullopt);
  ViewUpdate ZoomSmaller(std::optional<Point> anchor = std::nullopt);
  // Ctrl + 0: zoom 1.00; Ctrl + 9: FitZoom of the image in the client (may lie beyond the
  // trackbar's maximum, whose thumb then stays at its end). Both keep the centre.
  ViewUpdate ZoomToOne();
  ViewUpdate ZoomToFit();

  // A Ctrl + wheel event of `delta` units: each whole notch (kWheelDelta) is one ZoomLarger
  // (positive, away from the user) or ZoomSmaller step about the client point `anchor`;
  // units below a notch are carried over.
  ViewUpdate ZoomWheel(std::int32_t delta, Point anchor);

  // Smooth (area-averaged) or picked reductions; the whole view repaints when it changes.
  ViewUpdate SetSmooth(bool smooth);

  // The image pixel shown at client pixel p, or nullopt when p shows no image pixel (outside
  // the client or the content, no image, the bitmap released). At magnification, 1.00 and
  // smoothed reductions it is the pixel under p's centre, floor((offset + p + 0.5) * zoom);
  // for picked reductions the pixel picked for p (SourcePixel of the paint's mapping).
  std::optional<Point> ImagePixelAt(Point p) const;

  // Where the centre of image pixel (px, py) lies on the client, in client pixels with
  // fractions: (px + 0.5) / zoom - offset per axis.
  ClientPointF ClientPointOf(Point imagePixel) const;

  // The trackbar's minimum for an image: the position of the largest magnification (16, 8,
  // 4, 2 x, else 1.00) at which the image's larger side stays within 2^30 device pixels, so
  // that every content coordinate fits 32 bits.
  static std::int32_t MagnifyMinimumFor(Size imageSize);

 private:
  void ResetScrollGeometry();
  void SetBarPositions();
  void SetBarRanges();
  ViewUpdate ScrollAxisTo(Axis axis, std::int64_t target);
  // SetZoom's arithmetic for zoom changes from or to a magnification: keeps the image point
  // under `anchor` in place exactly.
  ViewUpdate ZoomKeeping(double newZoom, Point anchor, bool redraw);
  // The zooms of the trackbar's two ends.
  double LargestZoomAllowed() const;
  double SmallestZoomAllowed() const;

  ViewState s_;
};

}  // namespace ridgeview::view
