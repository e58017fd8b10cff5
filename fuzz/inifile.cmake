kiosk_fuzz_target(inifile LABEL core SOURCES ${CMAKE_CURRENT_LIST_DIR}/inifile_fuzz.cpp LIBS kiosk_core kiosk_platform)
