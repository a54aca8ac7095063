# The stream view and its widget-free rules; stream_screenshots renders the view into screenshots/ (not a test).
meridane_add_test(routeui_stream_logic_test
  SOURCES McastCreateChecksTest.cpp StreamTableTextTest.cpp
  LIBS meridane_core)
meridane_add_test(routeui_stream_widget_test
  SOURCES StreamViewTest.cpp StreamRouteFormTest.cpp
  LIBS meridane_routeui)
add_executable(stream_screenshots StreamScreenshotTest.cpp)
target_link_libraries(stream_screenshots PRIVATE meridane_routeui)
target_include_directories(stream_screenshots PRIVATE ${PROJECT_SOURCE_DIR}/tests/routeui)
target_include_directories(stream_screenshots PRIVATE ${PROJECT_SOURCE_DIR}/tests/support)
target_compile_definitions(stream_screenshots PRIVATE MERIDANE_SCREENSHOT_DIR="${CMAKE_BINARY_DIR}/screenshots")
