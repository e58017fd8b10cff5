kiosk_fuzz_target(money LABEL print SOURCES ${CMAKE_CURRENT_LIST_DIR}/money_fuzz.cpp LIBS kiosk_print kiosk_platform)
