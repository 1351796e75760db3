// The frame's side of the document operations' ports: the image view and the command-state
// table seen through document::DocumentView and document::CommandStates.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "app/ui_state_table.h"
#include "document/document_ports.h"

namespace ridgeview::view {
class ImageView;
}

namespace ridgeview::app {

// DocumentView over the frame's ImageView. The view must outlive the adapter.
class ImageViewPort final : public document::DocumentView {
 public:
  explicit ImageViewPort(view::ImageView& view) : view_(view) {}

  void SetImage(std::unique_ptr<document::Image> image, std::optional<std::string> name,
                double zoom, int x, int y) override;
  bool ReplaceBitmap(std::unique_ptr<document::Image> image) override;
  const document::Image* Bitmap() const override;
  int ContentWidth() const override;
  int ContentHeight() const override;
  double Zoom() const override;
  bool Smooth() const override;

 private:
  view::ImageView& view_;
};

// CommandStates over the frame's command-state table.
class UiStatePort final : public document::CommandStates {
 public:
  explicit UiStatePort(UiStateTable& table) : table_(table) {}
  void Enable(int commandId, bool enabled) override { table_.Enable(commandId, enabled); }

 private:
  UiStateTable& table_;
};

}  // namespace ridgeview::app
