# The registry store and the view settings reading a damaged database file.
if(TARGET ridgeview_settings)
  ridgeview_fuzz_target(fuzz_registry ${CMAKE_CURRENT_SOURCE_DIR}/registry.cpp
    LIBS ridgeview_settings
    INPUTS fuzz/corpus/registry tests/regress/registry)
endif()
