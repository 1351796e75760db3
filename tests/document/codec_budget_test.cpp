#include "document/codec_budget.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstddef>
#include <limits>

#include "ridgeview/wsq.h"

namespace ridgeview::document {
namespace {

TEST(FitCodecBudgetToMachine, LowersToThreeQuartersOfMemoryAndNeverRaises) {
  const std::size_t saved = ridgeview_wsq_memory_budget();
  const auto physical = static_cast<std::size_t>(::sysconf(_SC_PHYS_PAGES)) *
                        static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));

  ridgeview_wsq_set_memory_budget(std::numeric_limits<std::size_t>::max());
  FitCodecBudgetToMachine();
  const std::size_t fitted = ridgeview_wsq_memory_budget();
  FitCodecBudgetToMachine();  // a second call changes nothing
  const std::size_t again = ridgeview_wsq_memory_budget();

  ridgeview_wsq_set_memory_budget(1000);
  FitCodecBudgetToMachine();
  const std::size_t small = ridgeview_wsq_memory_budget();
  ridgeview_wsq_set_memory_budget(saved);

  EXPECT_EQ(fitted, physical / 4 * 3);
  EXPECT_EQ(again, fitted);
  EXPECT_EQ(small, 1000u);
}

}  // namespace
}  // namespace ridgeview::document
