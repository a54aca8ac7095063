# The processor's configuration model and blocks.
if(NOT TARGET meridane_dsp_model)
  return()
endif()
meridane_add_test(dsp_model_test
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/model/DspTestConfig.cpp
    ${CMAKE_CURRENT_LIST_DIR}/model/MatrixGainCodeTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/model/DspConfigParseTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/model/DspConfigRoundTripTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/model/DspBlocksTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/model/DspCpuTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/model/DspEditRulesTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/model/DspLinkPlanTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/model/DspChainEditorTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/model/DspMalformedConfigTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/model/DspParserCapsTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/model/DspJsonTextTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/model/EqResponseTest.cpp
  LIBS meridane_dsp_model)
target_include_directories(dsp_model_test PRIVATE ${CMAKE_CURRENT_LIST_DIR}/model)
foreach(extra DynamicsModelTest MatrixModelTest AecModelTest FirModelTest ProgramModelTest)
  if(EXISTS ${CMAKE_CURRENT_LIST_DIR}/model/${extra}.cpp)
    target_sources(dsp_model_test PRIVATE ${CMAKE_CURRENT_LIST_DIR}/model/${extra}.cpp)
  endif()
endforeach()

# The detail store's processor addresses (kept beside the other store tests, registered here).
meridane_add_test(store_dsp_address_test
  SOURCES ${PROJECT_SOURCE_DIR}/tests/store/DevDetailStoreDspAddressTest.cpp
  LIBS meridane_core)

# The factory configuration: the advanced command grammar and the configuration built from it.
meridane_add_test(dsp_factory_config_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/model/DspCommandParserTest.cpp
          ${CMAKE_CURRENT_LIST_DIR}/model/DspFactoryConfigTest.cpp
          ${CMAKE_CURRENT_LIST_DIR}/model/DspCommandReferenceTest.cpp
  LIBS meridane_dsp_model)
target_compile_definitions(dsp_factory_config_test PRIVATE MERIDANE_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
