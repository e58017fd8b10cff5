# The ticket check screen against a real stationd: time and requests per check, memory over
# 1,000 checks.
kiosk_bench(bench_check SOURCES ${CMAKE_CURRENT_LIST_DIR}/bench_check.cpp LIBS kiosk_checkdesk)
target_compile_definitions(bench_check PRIVATE STATIOND_PATH="$<TARGET_FILE:stationd>")
add_dependencies(bench_check stationd)
