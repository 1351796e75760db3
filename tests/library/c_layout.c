/* The public records as a C compiler lays them out; header_cxx_test.cpp compares them with
   the C++ compiler's view, since C programs and the C++ library share them. */
#include <stddef.h>

#include "ridgeview/wsq.h"
#include "record_fields.h"

static const size_t c_layout[] = {RIDGEVIEW_TEST_RECORD_FIELDS(RIDGEVIEW_TEST_FIELD_LAYOUT)};

const size_t* ridgeview_test_c_layout(size_t* count);

const size_t* ridgeview_test_c_layout(size_t* count) {
  *count = sizeof c_layout / sizeof c_layout[0];
  return c_layout;
}
