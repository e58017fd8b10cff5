# The check road against a real stationd on loopback: the median time per request.
kiosk_bench(bench_server SOURCES ${CMAKE_CURRENT_LIST_DIR}/bench_server.cpp LIBS PkgConfig::STATIOND_HTTPLIB)
target_compile_definitions(bench_server PRIVATE STATIOND_PATH="$<TARGET_FILE:stationd>")
add_dependencies(bench_server stationd)
