ridgeview_fuzz_target(fuzz_encode_roundtrip ${CMAKE_CURRENT_SOURCE_DIR}/encode_roundtrip.cpp
  LIBS ridgeview_codec
  INPUTS fuzz/corpus/encode_roundtrip tests/regress/encode_roundtrip)
