// The title bar: a thin strip at the top of the frame that shows what the image view tells it.
//
// With an image it is owner-drawn: filled white, inset kTitleInset pixels left and right,
// "Image: " + the display name left-aligned and "Zoom: 1.00" right-aligned on one line each, in
// RGB(0, 0, 156), and the middle field (pixel readout, measurement) centred between them.
// Without one it shows the plain text "No image" in the normal palette. Its accessible name is
// the whole text (AccessibleText), so assistive tools (and the end-to-end test) can read it.
// The view keeps it up to date (ImageView::SetTitleBar); the frame owns, places and hides it.
#pragma once

#include <QWidget>
#include <string>

#include "view/core/view_text.h"

namespace ridgeview::view {

class TitleStrip : public QWidget {
 public:
  explicit TitleStrip(QWidget* parent = nullptr);

  // Shows new texts (view_text.h's Title()) and repaints.
  void SetTitle(const TitleText& title);
  const TitleText& title() const { return title_; }

  // The plain text, or left, middle (when set) and right joined by two blanks.
  static std::string AccessibleText(const TitleText& title);

  // One line of the font plus kPadding above and below.
  QSize sizeHint() const override;
  QSize minimumSizeHint() const override;

  static constexpr int kPadding = 2;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  TitleText title_;
};

}  // namespace ridgeview::view
