kiosk_fuzz_target(answer LABEL data SOURCES ${CMAKE_CURRENT_LIST_DIR}/answer_fuzz.cpp LIBS kiosk_data)
