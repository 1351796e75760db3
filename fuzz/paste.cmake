# Paste: clipboard bytes through the document operation, with recording doubles.
if(TARGET ridgeview_document)
  ridgeview_fuzz_target(fuzz_paste ${PROJECT_SOURCE_DIR}/fuzz/paste.cpp LIBS ridgeview_document
                        INPUTS fuzz/corpus/paste tests/regress/paste)
endif()
