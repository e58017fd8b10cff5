kiosk_fuzz_target(valuetype LABEL widgets
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/valuetype_fuzz.cpp
  LIBS kiosk_valuetype)
