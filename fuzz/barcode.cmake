kiosk_fuzz_target(barcode LABEL print SOURCES ${CMAKE_CURRENT_LIST_DIR}/barcode_fuzz.cpp LIBS kiosk_print)
