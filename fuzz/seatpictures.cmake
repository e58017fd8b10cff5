kiosk_fuzz_target(seatpictures LABEL seatplan
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/seatpictures_fuzz.cpp
  LIBS kiosk_seatplan_view)
