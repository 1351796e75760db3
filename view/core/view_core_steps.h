// Small per-axis rules shared by the view core's source files. Internal to view/core.
#pragma once

#include <algorithm>
#include <cstdint>

namespace ridgeview::view::detail {

// A step derived from the content size alone: max(1, content / divisor).
inline std::int32_t DefaultStep(std::int32_t content, std::int32_t divisor) {
  return std::max<std::int32_t>(1, content / divisor);
}

// A step carried over from a previous zoom (already in screen units): a step that came out as
// 0 falls back to the derived one, any other is capped at the content size.
inline std::int32_t CarriedStep(std::int32_t step, std::int32_t content, std::int32_t divisor) {
  if (step <= 0) return DefaultStep(content, divisor);
  return std::min(step, content);
}

// One axis of the offset clamp: with limit = content - client, an offset above the limit
// becomes max(limit, 0) and a negative one 0.
inline std::int32_t ClampAxis(std::int32_t offset, std::int32_t content, std::int32_t client) {
  const std::int64_t limit = static_cast<std::int64_t>(content) - client;
  if (offset > limit) return static_cast<std::int32_t>(std::max<std::int64_t>(limit, 0));
  if (offset < 0) return 0;
  return offset;
}

}  // namespace ridgeview::view::detail
