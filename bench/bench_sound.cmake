# The check sound on a private sound server: from the status line's change to the sound playing.
kiosk_bench(bench_sound SOURCES ${CMAKE_CURRENT_LIST_DIR}/bench_sound.cpp LIBS kiosk_sound kiosk_testsupport Qt6::Widgets Qt6::Test)
