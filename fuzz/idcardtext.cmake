kiosk_fuzz_target(idcardtext LABEL core SOURCES ${CMAKE_CURRENT_LIST_DIR}/idcardtext_fuzz.cpp LIBS kiosk_core kiosk_platform)
