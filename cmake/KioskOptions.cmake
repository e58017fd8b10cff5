# Compiler flags shared by every target of the project.
# ccache, where installed, keeps compiled objects between builds and between clones.
find_program(KIOSK_CCACHE ccache)
if(KIOSK_CCACHE AND NOT CMAKE_CXX_COMPILER_LAUNCHER)
  set(CMAKE_C_COMPILER_LAUNCHER ${KIOSK_CCACHE})
  set(CMAKE_CXX_COMPILER_LAUNCHER ${KIOSK_CCACHE})
endif()
add_compile_options(-Wall -Wextra -Wpedantic)
if(KIOSK_WERROR)
  add_compile_options(-Werror)
endif()

if(KIOSK_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
  if(CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    # A double out of an integer's range cast to it is undefined; clang can check it (g++ cannot).
    add_compile_options(-fsanitize=float-cast-overflow)
    add_link_options(-fsanitize=float-cast-overflow)
  endif()
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    # g++ 12 reports std::variant and std::optional members as "maybe uninitialized" once the
    # sanitizers' instrumentation is inlined; the plain build keeps the warning.
    add_compile_options(-Wno-maybe-uninitialized)
  endif()
endif()

# kiosk_library(<name> SOURCES ... [QT] LIBS ...): one library per folder of src/.
function(kiosk_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  target_link_libraries(${name} PUBLIC ${ARG_LIBS})
endfunction()

# kiosk_test(<name> LABEL <layer> SOURCES ... LIBS ... [ENV k=v ...] [TIMEOUT s]): one
# GoogleTest executable registered as one CTest test carrying its layer's label, so that
# `ctest -L <layer>` runs one layer alone.
set(KIOSK_LSAN_SUPPRESSIONS ${PROJECT_SOURCE_DIR}/tests/lsan.supp)
function(kiosk_test name)
  cmake_parse_arguments(ARG "" "LABEL;TIMEOUT" "SOURCES;LIBS;ENV" ${ARGN})
  if(NOT ARG_TIMEOUT)
    set(ARG_TIMEOUT 300)
  endif()
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} kiosk_testsupport GTest::gmock GTest::gtest GTest::gtest_main)
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  add_test(NAME ${name} COMMAND ${name})
  set_tests_properties(${name} PROPERTIES
    LABELS ${ARG_LABEL}
    TIMEOUT ${ARG_TIMEOUT}
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;KIOSK_BIN_DIR=${CMAKE_BINARY_DIR}/bin;KIOSK_SOURCE_DIR=${PROJECT_SOURCE_DIR};ASAN_OPTIONS=detect_leaks=1:abort_on_error=0:halt_on_error=1;LSAN_OPTIONS=suppressions=${KIOSK_LSAN_SUPPRESSIONS}:print_suppressions=0;UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1;${ARG_ENV}")
endfunction()
