# The microphone processor behind the serial tunnel: its commands and the reader of its answers.
if(NOT TARGET meridane_dsp_model)
  return()
endif()
meridane_add_test(dsp_mic_model_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/model/MicAnswerParserTest.cpp
  LIBS meridane_dsp_model)

# The dialog on the diagram page, and its screenshot program.
if(TARGET meridane_dsp_widgets)
  meridane_add_test(dsp_mic_dialog_test
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/widgets/MicControlDialogTest.cpp
    LIBS meridane_dsp_widgets Qt5::Test)
  add_executable(dsp_mic_screenshots ${CMAKE_CURRENT_LIST_DIR}/widgets/MicControlScreenshots.cpp)
  target_link_libraries(dsp_mic_screenshots PRIVATE meridane_dsp_widgets GTest::gtest Qt5::Test)
  target_include_directories(dsp_mic_screenshots PRIVATE ${PROJECT_SOURCE_DIR}/tests/support)
  target_compile_definitions(dsp_mic_screenshots PRIVATE MERIDANE_SCREENSHOT_DIR="${CMAKE_BINARY_DIR}/screenshots")
endif()
