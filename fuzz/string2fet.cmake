ridgeview_fuzz_target(fuzz_string2fet ${CMAKE_CURRENT_SOURCE_DIR}/string2fet.cpp
  LIBS ridgeview_codec
  INPUTS fuzz/corpus/string2fet tests/regress/string2fet)
