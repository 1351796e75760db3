// The public header in a C++ program: it is included first here, so it needs no other header
// before it, and its records have the layout a C compiler gives them. (That its functions have
// C linkage shows when the C++ tests link against the library by their plain names.)
#include "ridgeview/wsq.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <vector>

#include "record_fields.h"

extern "C" const size_t* ridgeview_test_c_layout(size_t* count);

namespace {

TEST(LibraryHeader, RecordsHaveTheLayoutCGivesThem) {
  const std::vector<size_t> cxx = {RIDGEVIEW_TEST_RECORD_FIELDS(RIDGEVIEW_TEST_FIELD_LAYOUT)};
  size_t count = 0;
  const size_t* c = ridgeview_test_c_layout(&count);
  ASSERT_EQ(count, cxx.size());
  EXPECT_EQ(std::vector<size_t>(c, c + count), cxx);
}

}  // namespace
