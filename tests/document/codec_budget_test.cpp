#include "document/codec_budget.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstddef>
#include <limits>

#include "codec/common/codec_memory.h"

namespace ridgeview::document {
namespace {

TEST(FitCodecBudgetToMachine, LowersToThreeQuartersOfMemoryAndNeverRaises) {
  const std::size_t saved = codec::codec_memory_budget();
  const auto physical = static_cast<std::size_t>(::sysconf(_SC_PHYS_PAGES)) *
                        static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));

  codec::codec_set_memory_budget(std::numeric_limits<std::size_t>::max());
  FitCodecBudgetToMachine();
  const std::size_t fitted = codec::codec_memory_budget();
  FitCodecBudgetToMachine();  // a second call changes nothing
  const std::size_t again = codec::codec_memory_budget();

  codec::codec_set_memory_budget(1000);
  FitCodecBudgetToMachine();
  const std::size_t small = codec::codec_memory_budget();
  codec::codec_set_memory_budget(saved);

  EXPECT_EQ(fitted, physical / 4 * 3);
  EXPECT_EQ(again, fitted);
  EXPECT_EQ(small, 1000u);
}

}  // namespace
}  // namespace ridgeview::document
