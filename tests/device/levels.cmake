# Levels page and level overview.
meridane_add_test(levels_logic_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/LevelConversionTest.cpp ${CMAKE_CURRENT_LIST_DIR}/LevelPagingTest.cpp
  LIBS meridane_core)
meridane_add_test(levels_widget_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/ChannelVoiceTest.cpp ${CMAKE_CURRENT_LIST_DIR}/ChannelVoiceEditTest.cpp
          ${CMAKE_CURRENT_LIST_DIR}/LevelPollThreadTest.cpp ${CMAKE_CURRENT_LIST_DIR}/DevVolumeFormTest.cpp
  LIBS meridane_device)

# Not a test: renders the levels page and the level overview for a person to look at.
add_executable(levels_screenshots ${CMAKE_CURRENT_LIST_DIR}/LevelScreenshots.cpp)
target_link_libraries(levels_screenshots PRIVATE meridane_device)
target_compile_definitions(levels_screenshots PRIVATE MERIDANE_SCREENSHOT_DIR="${CMAKE_BINARY_DIR}/screenshots")
