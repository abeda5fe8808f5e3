# Shared build settings and helpers.

add_compile_options(-Wall -Wextra)

if(PALLIMER_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()

if(PALLIMER_FUZZ)
  # Every library is built with coverage instrumentation so the fuzzers can see inside it.
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()

# pallimer_library(NAME SOURCES... DEPS ...): a static library whose headers are
# included as "folder/File.h" from the source root.
function(pallimer_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC ${ARG_DEPS})
endfunction()

# pallimer_test(NAME SOURCES... DEPS ...): one GoogleTest executable registered with CTest.
function(pallimer_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_DEPS} GTest::gtest GTest::gtest_main pallimer_testsupport)
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60
    PROPERTIES ENVIRONMENT "PALLIMER_TEST_TMP=${CMAKE_BINARY_DIR}/testtmp" TIMEOUT 300)
endfunction()

# pallimer_fuzzer(NAME SOURCES... DEPS ...): a libFuzzer target.
function(pallimer_fuzzer name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_options(${name} PRIVATE -fsanitize=fuzzer)
  target_link_libraries(${name} PRIVATE ${ARG_DEPS})
  set_property(GLOBAL APPEND PROPERTY PALLIMER_FUZZERS ${name})
endfunction()
include(${PROJECT_SOURCE_DIR}/cmake/Subdirs.cmake)
include(${PROJECT_SOURCE_DIR}/cmake/Resources.cmake)

# pallimer_test_folder(NAME DEPS ...): every .cpp of the calling folder becomes one
# GoogleTest executable NAME.
function(pallimer_test_folder name)
  cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  if(sources)
    pallimer_test(${name} SOURCES ${sources} DEPS ${ARG_DEPS})
  endif()
endfunction()
