# One helper registers every unit test:
#   meridane_add_test(NAME SOURCES a.cpp ... LIBS lib ... [PROPERTIES prop value ...])
# Each discovered test carries its executable's name as a label, so one executable's tests run with
# `ctest -L '^NAME$'` (scripts/test-tsan.sh picks the threaded ones that way).
find_package(GTest REQUIRED)
include(GoogleTest)

# Every unit test executable (and through their dependencies what they need), without the programs and
# benchmarks: the sanitizer runs build only this.
add_custom_target(meridane_unit_tests)

function(meridane_add_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS;PROPERTIES" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gtest_main Qt5::Core Qt5::Test)
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests/support)
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 30
    PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen" LABELS ${name} ${ARG_PROPERTIES})
  add_dependencies(meridane_unit_tests ${name})
  if(MERIDANE_SANITIZE STREQUAL "thread")
    # Qt's locks made visible to TSan (see the file).
    target_sources(${name} PRIVATE ${PROJECT_SOURCE_DIR}/cmake/sanitizers/QtTsanAnnotations.cpp)
  endif()
endfunction()
