meridane_add_test(clock_rules_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/ClockTextsTest.cpp ${CMAKE_CURRENT_LIST_DIR}/BandwidthTest.cpp
          ${CMAKE_CURRENT_LIST_DIR}/ClockEventLogTest.cpp
  LIBS meridane_core)
meridane_add_test(clock_widget_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/ClockFormTest.cpp ${CMAKE_CURRENT_LIST_DIR}/ClockLogPageTest.cpp
          ${CMAKE_CURRENT_LIST_DIR}/ClockPriorityDialogTest.cpp
  LIBS meridane_routeui)
# Renders the clock view with six devices into screenshots/ (not a test).
add_executable(clock_screenshots ${CMAKE_CURRENT_LIST_DIR}/ClockScreenshots.cpp)
target_include_directories(clock_screenshots PRIVATE ${PROJECT_SOURCE_DIR}/tests/support ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(clock_screenshots PRIVATE meridane_routeui Qt5::Widgets)
target_compile_definitions(clock_screenshots PRIVATE MERIDANE_SCREENSHOT_DIR="${CMAKE_BINARY_DIR}/screenshots")
