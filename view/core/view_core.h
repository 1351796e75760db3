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
  //     dimension counts as 1 pixel.
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
  // truncation); the title redraws since it shows the zoom. With the bars on, the line and
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
  ViewUpdate StylusMove(Point p);

  // A scroll notification from the zoom trackbar. For ThumbPosition and ThumbTrack the
  // trackbar is moved to thumbPosition (clamped to its range) first; every code then takes the
  // trackbar's position. newZoom = position * 0.01; when it differs from the current zoom the
  // view zooms with a full repaint and the title redraws, otherwise nothing happens.
  ViewUpdate ZoomByTrackbar(TrackbarCode code, std::int32_t thumbPosition = 0);

  // A key pressed in the view, forwarded to the zoom trackbar with Up turned into Page Up and
  // Down into Page Down, so that Left/Right zoom by 0.01 and Up/Down by 1.00. When the key
  // moved the trackbar, the zoom follows as with ZoomByTrackbar.
  ViewUpdate KeyDown(TrackbarKey key);

  // Background of the zoom trackbar: button face without a bitmap, button highlight with one.
  TrackbarBackground ZoomTrackBackground() const;

 private:
  void ResetScrollGeometry();
  void SetBarPositions();
  void SetBarRanges();
  ViewUpdate ScrollAxisTo(Axis axis, std::int64_t target);

  ViewState s_;
};

}  // namespace ridgeview::view
