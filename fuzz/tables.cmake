kiosk_fuzz_target(tables LABEL data SOURCES ${CMAKE_CURRENT_LIST_DIR}/tables_fuzz.cpp LIBS kiosk_data)
