#include "view/core/scroll_bar_model.h"

#include <algorithm>

#include "view/core/view_units.h"

namespace ridgeview::view {

void ScrollBarModel::Set(std::int32_t minimum, std::int32_t maximum, std::int32_t page,
                         std::int32_t position) {
  minimum_ = minimum;
  maximum_ = std::max(minimum, maximum);
  page_ = std::max<std::int32_t>(0, page);
  SetPosition(position);
}

std::int32_t ScrollBarModel::SetPosition(std::int32_t position) {
  position_ = std::clamp(position, minimum_, MaxPosition());
  return position_;
}

void ScrollBarModel::Hide() { *this = ScrollBarModel{}; }

std::int32_t ScrollBarModel::MaxPosition() const {
  const std::int64_t last =
      static_cast<std::int64_t>(maximum_) - std::max<std::int64_t>(0, page_ - 1);
  return SaturateToInt32(std::max<std::int64_t>(minimum_, last));
}

bool ScrollBarModel::Visible() const {
  if (minimum_ == 0 && maximum_ == 0) return false;
  const std::int64_t length = static_cast<std::int64_t>(maximum_) - minimum_ + 1;
  return length > page_;
}

}  // namespace ridgeview::view
