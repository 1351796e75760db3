ridgeview_fuzz_target(fuzz_alloc_failure ${CMAKE_CURRENT_SOURCE_DIR}/alloc_failure.cpp
  LIBS ridgeview_codec
  INPUTS fuzz/corpus/alloc_failure tests/regress/alloc_failure)
