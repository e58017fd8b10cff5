find_package(CURL REQUIRED)
find_package(PkgConfig REQUIRED)
pkg_check_modules(BENCH_HTTPLIB REQUIRED IMPORTED_TARGET cpp-httplib)
kiosk_bench(bench_transport SOURCES ${CMAKE_CURRENT_LIST_DIR}/bench_transport.cpp
  LIBS kiosk_data PkgConfig::BENCH_HTTPLIB CURL::libcurl Threads::Threads)
target_include_directories(bench_transport PRIVATE ${PROJECT_SOURCE_DIR}/tests)
