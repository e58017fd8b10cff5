kiosk_bench(bench_seatplan SOURCES ${CMAKE_CURRENT_LIST_DIR}/bench_seatplan.cpp LIBS kiosk_seatplan_view)
