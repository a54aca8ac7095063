# Settings window: name and address rules, the window and its frame, the type tool.
meridane_add_test(settings_rules_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/NameRulesTest.cpp ${CMAKE_CURRENT_LIST_DIR}/AddressChecksTest.cpp
  LIBS meridane_core)
meridane_add_test(settings_widget_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/SettingsWindowTest.cpp ${CMAKE_CURRENT_LIST_DIR}/SettingsFrameTest.cpp
          ${CMAKE_CURRENT_LIST_DIR}/SettingsTypeToolTest.cpp
  LIBS meridane_device)

# Not a test: renders the settings window (plain and with the detail lock) for a person to look at.
add_executable(settings_screenshots ${CMAKE_CURRENT_LIST_DIR}/SettingsScreenshots.cpp)
target_link_libraries(settings_screenshots PRIVATE meridane_device)
target_include_directories(settings_screenshots PRIVATE ${PROJECT_SOURCE_DIR}/tests/support)
target_compile_definitions(settings_screenshots PRIVATE MERIDANE_SCREENSHOT_DIR="${CMAKE_BINARY_DIR}/screenshots")
