/* Every field of the public records, for comparing their layout as C and C++ compilers see
   it: X(record type, field). Shared by c_layout.c and header_cxx_test.cpp. */
#ifndef RIDGEVIEW_TEST_RECORD_FIELDS_H
#define RIDGEVIEW_TEST_RECORD_FIELDS_H

#define RIDGEVIEW_TEST_RECORD_FIELDS(X)                                                   \
  X(ridgeview_wsq_error, code) X(ridgeview_wsq_error, refusal)                            \
  X(ridgeview_wsq_error, message)                                                         \
  X(ridgeview_wsq_image, pixels) X(ridgeview_wsq_image, width)                            \
  X(ridgeview_wsq_image, height) X(ridgeview_wsq_image, depth) X(ridgeview_wsq_image, ppi) \
  X(ridgeview_wsq_image, lossy)                                                           \
  X(ridgeview_wsq_nistcom_entry, name) X(ridgeview_wsq_nistcom_entry, value)              \
  X(ridgeview_wsq_segment, marker) X(ridgeview_wsq_segment, offset)                       \
  X(ridgeview_wsq_segment, length)                                                        \
  X(ridgeview_wsq_info, width) X(ridgeview_wsq_info, height) X(ridgeview_wsq_info, depth) \
  X(ridgeview_wsq_info, ppi) X(ridgeview_wsq_info, lossy) X(ridgeview_wsq_info, encoder)  \
  X(ridgeview_wsq_info, software) X(ridgeview_wsq_info, nistcom_count)                    \
  X(ridgeview_wsq_info, nistcom) X(ridgeview_wsq_info, segment_count)                     \
  X(ridgeview_wsq_info, segments)

/* Offset, field size and record size of each field, in list order. */
#define RIDGEVIEW_TEST_FIELD_LAYOUT(type, field) \
  offsetof(type, field), sizeof(((type*)0)->field), sizeof(type),

#endif
