# Lock masks, password rules and delay statistics (no widgets), then the dialogs, overlays and delay page.
meridane_add_test(locks_rules_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/LockMasksTest.cpp ${CMAKE_CURRENT_LIST_DIR}/PasswdRulesTest.cpp
          ${CMAKE_CURRENT_LIST_DIR}/DelayCounterStatsTest.cpp
  LIBS meridane_core)
meridane_add_test(locks_widget_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/PasswdDialogTest.cpp ${CMAKE_CURRENT_LIST_DIR}/LockDialogTest.cpp
          ${CMAKE_CURRENT_LIST_DIR}/DelayCounterPageTest.cpp ${CMAKE_CURRENT_LIST_DIR}/DelayCounterLockTest.cpp
  LIBS meridane_device)
# Renders the delay page, a locked page and the lock dialog into screenshots/ (not a test).
add_executable(locks_screenshots ${CMAKE_CURRENT_LIST_DIR}/LockScreenshots.cpp)
target_include_directories(locks_screenshots PRIVATE ${PROJECT_SOURCE_DIR}/tests/support)
target_link_libraries(locks_screenshots PRIVATE meridane_device Qt5::Widgets)
target_compile_definitions(locks_screenshots PRIVATE MERIDANE_SCREENSHOT_DIR="${CMAKE_BINARY_DIR}/screenshots")
