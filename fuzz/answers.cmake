# One answer through the query, the seat pictures and view, and the print engine; answers.options
# makes an input slower than 10 s or hungrier than 1 GB count as a crash.
find_package(PkgConfig REQUIRED)
pkg_check_modules(KIOSK_FUZZ_HTTPLIB REQUIRED IMPORTED_TARGET cpp-httplib)
find_package(Threads REQUIRED)
kiosk_fuzz_target(answers LABEL check
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/answers_fuzz.cpp
  LIBS kiosk_print_qt kiosk_seatplan_view kiosk_data kiosk_core PkgConfig::KIOSK_FUZZ_HTTPLIB Threads::Threads)
