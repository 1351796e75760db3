// Large arrays from mappings of their own: zero-filled, aligned to 2 MiB, usable through a
// std::vector, and never mixed up with heap blocks when they are given back.
#include "base/large_pages.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace ridgeview::base {
namespace {

TEST(LargePages, MappingsAreZeroFilledAlignedAndWritable) {
  const std::size_t bytes = (std::size_t{5} << 20) + 123;
  void* p = AllocateLargePages(bytes);
  if (!LargePagesInUse()) {
    EXPECT_EQ(p, nullptr) << "sanitizer builds keep every array in the heap";
    return;
  }
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(reinterpret_cast<std::uintptr_t>(p) % kLargePageMinBytes, 0u);
  auto* bytes_ptr = static_cast<unsigned char*>(p);
  for (std::size_t i = 0; i < bytes; i += 4099) ASSERT_EQ(bytes_ptr[i], 0) << i;
  bytes_ptr[bytes - 1] = 7;
  ReleaseLargePages(p, bytes);
  EXPECT_EQ(AllocateLargePages(0), nullptr);
}

TEST(LargePages, VectorsOfEverySizeGrowShrinkAndFreeCleanly) {
  using Bytes = std::vector<std::uint8_t, LargePageAllocator<std::uint8_t>>;
  Bytes v(100, 1);                         // heap
  v.resize(kLargePageMinBytes + 1, 2);     // moves into a mapping
  EXPECT_EQ(v[99], 1);
  EXPECT_EQ(v[100], 2);
  EXPECT_EQ(v.back(), 2);
  Bytes copy = v;                          // a second mapping
  v.assign(10, 3);
  v.shrink_to_fit();                       // back to the heap
  EXPECT_EQ(v.size(), 10u);
  EXPECT_EQ(copy[100], 2);
  std::vector<float, LargePageAllocator<float>> floats(kLargePageMinBytes / sizeof(float), 0.5f);
  EXPECT_EQ(floats.back(), 0.5f);
}

TEST(LargePages, ProcessorsAvailableIsAtLeastOne) { EXPECT_GE(ProcessorsAvailable(), 1); }

}  // namespace
}  // namespace ridgeview::base
