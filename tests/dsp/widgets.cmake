# The processor dialog, the diagram page, block editors and the device window's processor button.
meridane_add_test(dsp_widgets_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/widgets/DevDspDialogTest.cpp ${CMAKE_CURRENT_LIST_DIR}/widgets/DspDiagramFormTest.cpp
          ${CMAKE_CURRENT_LIST_DIR}/widgets/DspBlockEditorTest.cpp
          ${CMAKE_CURRENT_LIST_DIR}/widgets/DspOfflineDialogTest.cpp
  LIBS meridane_dsp_widgets)
meridane_add_test(dsp_device_window_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/widgets/DspDeviceWindowTest.cpp
  LIBS meridane_device)

# Not a test: renders the processor dialog and a block editor for a person to look at.
add_executable(dsp_screenshots ${CMAKE_CURRENT_LIST_DIR}/widgets/DspScreenshots.cpp)
target_link_libraries(dsp_screenshots PRIVATE meridane_dsp_widgets GTest::gtest Qt5::Test)
target_include_directories(dsp_screenshots PRIVATE ${PROJECT_SOURCE_DIR}/tests/support)
target_compile_definitions(dsp_screenshots PRIVATE MERIDANE_SCREENSHOT_DIR="${CMAKE_BINARY_DIR}/screenshots")

# The block editors and pages, each with a screenshot program for a person to look at.
foreach(editor Eq Dynamics Matrix ChannelPage Aec Fir Program)
  string(TOLOWER ${editor} lower)
  if(EXISTS ${CMAKE_CURRENT_LIST_DIR}/widgets/Dsp${editor}EditorTest.cpp)
    meridane_add_test(dsp_${lower}_editor_test
      SOURCES ${CMAKE_CURRENT_LIST_DIR}/widgets/Dsp${editor}EditorTest.cpp
      LIBS meridane_dsp_widgets)
  endif()
  if(EXISTS ${CMAKE_CURRENT_LIST_DIR}/widgets/Dsp${editor}Screenshots.cpp)
    add_executable(dsp_${lower}_screenshots ${CMAKE_CURRENT_LIST_DIR}/widgets/Dsp${editor}Screenshots.cpp)
    target_link_libraries(dsp_${lower}_screenshots PRIVATE meridane_dsp_widgets GTest::gtest Qt5::Test)
    target_include_directories(dsp_${lower}_screenshots PRIVATE ${PROJECT_SOURCE_DIR}/tests/support)
    target_compile_definitions(dsp_${lower}_screenshots
      PRIVATE MERIDANE_SCREENSHOT_DIR="${CMAKE_BINARY_DIR}/screenshots")
  endif()
endforeach()

# The factory configuration dialog (with the device window's button that opens it), and its screenshot program.
meridane_add_test(dsp_default_dialog_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/widgets/ModifyDefaultDspDialogTest.cpp
  LIBS meridane_device)
add_executable(dsp_default_screenshots ${CMAKE_CURRENT_LIST_DIR}/widgets/ModifyDefaultDspScreenshots.cpp)
target_link_libraries(dsp_default_screenshots PRIVATE meridane_dsp_widgets GTest::gtest Qt5::Test)
target_include_directories(dsp_default_screenshots PRIVATE ${PROJECT_SOURCE_DIR}/tests/support)
target_compile_definitions(dsp_default_screenshots PRIVATE MERIDANE_SCREENSHOT_DIR="${CMAKE_BINARY_DIR}/screenshots")
