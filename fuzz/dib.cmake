# Bitmap parsers (packed blocks and .bmp files) of document/.
if(TARGET ridgeview_document)
  ridgeview_fuzz_target(fuzz_dib ${PROJECT_SOURCE_DIR}/fuzz/dib.cpp LIBS ridgeview_document
                        INPUTS fuzz/corpus/dib tests/regress/dib)
endif()
