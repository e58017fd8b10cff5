find_package(PkgConfig REQUIRED)
pkg_check_modules(BENCH_PRINT_HTTPLIB REQUIRED IMPORTED_TARGET cpp-httplib)
find_package(nlohmann_json REQUIRED)
kiosk_bench(bench_print
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/bench_print.cpp ${PROJECT_SOURCE_DIR}/tests/print/templateserver.cpp
  LIBS kiosk_print_testdoubles kiosk_data kiosk_testsupport PkgConfig::BENCH_PRINT_HTTPLIB nlohmann_json::nlohmann_json
       Threads::Threads)
