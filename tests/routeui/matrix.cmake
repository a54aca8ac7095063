# The routing matrix: its widget-free rules, then the form on the registry and on a large synthetic source.
meridane_add_test(matrix_rules_test
  SOURCES SameNetworkTest.cpp MatrixCapacityTest.cpp RouteClickChecksTest.cpp
  LIBS meridane_core)
meridane_add_test(matrix_form_test
  SOURCES MatrixFormTest.cpp MatrixWindowTest.cpp
  LIBS meridane_routeui)
target_include_directories(matrix_form_test PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})

# Not a test: draws the matrix with routes into screenshots/matrix.png for a look by eye.
add_executable(matrix_screenshot MatrixScreenshotTest.cpp)
target_link_libraries(matrix_screenshot PRIVATE meridane_routeui Qt5::Widgets)
target_include_directories(matrix_screenshot PRIVATE ${PROJECT_SOURCE_DIR}/tests/support ${CMAKE_CURRENT_SOURCE_DIR})
target_compile_definitions(matrix_screenshot PRIVATE MERIDANE_SCREENSHOT_DIR="${CMAKE_BINARY_DIR}/screenshots")
