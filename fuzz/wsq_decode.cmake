ridgeview_fuzz_target(fuzz_wsq_decode ${CMAKE_CURRENT_SOURCE_DIR}/wsq_decode.cpp
  LIBS ridgeview_codec
  INPUTS fuzz/corpus/wsq_decode tests/regress/wsq_decode)
