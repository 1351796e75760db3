#include "document/codec_budget.h"

#include <unistd.h>

#include <cstddef>

#include "ridgeview/wsq.h"

namespace ridgeview::document {

void FitCodecBudgetToMachine() {
  const long pages = ::sysconf(_SC_PHYS_PAGES);
  const long pageSize = ::sysconf(_SC_PAGESIZE);
  if (pages <= 0 || pageSize <= 0) {
    return;
  }
  const auto physical = static_cast<std::size_t>(pages) * static_cast<std::size_t>(pageSize);
  // Leave room for the rest of the machine; never raise the codec's own default.
  const std::size_t budget = physical / 4 * 3;
  if (budget < ridgeview_wsq_memory_budget()) {
    ridgeview_wsq_set_memory_budget(budget);
  }
}

}  // namespace ridgeview::document
