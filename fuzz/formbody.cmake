kiosk_fuzz_target(formbody LABEL server SOURCES ${CMAKE_CURRENT_LIST_DIR}/formbody_fuzz.cpp LIBS stationd_core)
