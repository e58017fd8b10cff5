kiosk_fuzz_target(formatitemvalue LABEL print SOURCES ${CMAKE_CURRENT_LIST_DIR}/formatitemvalue_fuzz.cpp LIBS kiosk_print)
