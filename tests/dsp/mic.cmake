# The microphone processor behind the serial tunnel: its commands and the reader of its answers.
if(NOT TARGET meridane_dsp_model)
  return()
endif()
meridane_add_test(dsp_mic_model_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/model/MicAnswerParserTest.cpp
  LIBS meridane_dsp_model)
