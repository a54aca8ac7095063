# The processor's configuration model at a large size (64 inputs, 64 outputs, 8 blocks per channel): parse and
# write against the bare JSON document. Prints its figures and targets.
add_executable(meridane-dsp-bench dsp_bench_main.cpp)
target_link_libraries(meridane-dsp-bench PRIVATE meridane_dsp_model Qt5::Core)
list(APPEND MERIDANE_BENCH_COMMANDS COMMAND meridane-dsp-bench)
list(APPEND MERIDANE_BENCH_TARGETS meridane-dsp-bench)
add_test(NAME dsp_bench_smoke COMMAND meridane-dsp-bench --rounds 2)
set_tests_properties(dsp_bench_smoke PROPERTIES LABELS bench TIMEOUT 120)

# The equaliser editor: curves computed and handed to the chart, and one drag step.
if(EXISTS ${CMAKE_CURRENT_LIST_DIR}/eq_bench_main.cpp)
  add_executable(meridane-eq-bench eq_bench_main.cpp)
  target_link_libraries(meridane-eq-bench PRIVATE meridane_dsp_widgets Qt5::Charts)
  list(APPEND MERIDANE_BENCH_COMMANDS COMMAND meridane-eq-bench)
  list(APPEND MERIDANE_BENCH_TARGETS meridane-eq-bench)
  add_test(NAME eq_bench_smoke COMMAND meridane-eq-bench --rounds 2)
  set_tests_properties(eq_bench_smoke PROPERTIES LABELS bench TIMEOUT 120 ENVIRONMENT QT_QPA_PLATFORM=offscreen)
endif()

# The processor's matrix page at the largest matrix of the model table: opening, scrolling, memory.
if(EXISTS ${CMAKE_CURRENT_LIST_DIR}/dsp_matrix_bench_main.cpp)
  add_executable(meridane-dsp-matrix-bench dsp_matrix_bench_main.cpp)
  target_link_libraries(meridane-dsp-matrix-bench PRIVATE meridane_dsp_widgets)
  list(APPEND MERIDANE_BENCH_COMMANDS COMMAND meridane-dsp-matrix-bench)
  list(APPEND MERIDANE_BENCH_TARGETS meridane-dsp-matrix-bench)
  add_test(NAME dsp_matrix_bench_smoke COMMAND meridane-dsp-matrix-bench --rounds 2)
  set_tests_properties(dsp_matrix_bench_smoke PROPERTIES LABELS bench TIMEOUT 120
    ENVIRONMENT QT_QPA_PLATFORM=offscreen)
endif()

# The FIR editor: preview design and response, coefficient files.
if(EXISTS ${CMAKE_CURRENT_LIST_DIR}/fir_bench_main.cpp)
  add_executable(meridane-fir-bench fir_bench_main.cpp)
  target_link_libraries(meridane-fir-bench PRIVATE meridane_dsp_model Qt5::Core)
  list(APPEND MERIDANE_BENCH_COMMANDS COMMAND meridane-fir-bench)
  list(APPEND MERIDANE_BENCH_TARGETS meridane-fir-bench)
  add_test(NAME fir_bench_smoke COMMAND meridane-fir-bench --rounds 2)
  set_tests_properties(fir_bench_smoke PROPERTIES LABELS bench TIMEOUT 120)
endif()

# The factory configuration at the bounds of what may be typed: parse, build, request and preview.
add_executable(meridane-dsp-factory-bench dsp_factory_bench_main.cpp)
target_link_libraries(meridane-dsp-factory-bench PRIVATE meridane_dsp_model Qt5::Core)
list(APPEND MERIDANE_BENCH_COMMANDS COMMAND meridane-dsp-factory-bench)
list(APPEND MERIDANE_BENCH_TARGETS meridane-dsp-factory-bench)
add_test(NAME dsp_factory_bench_smoke COMMAND meridane-dsp-factory-bench --rounds 1)
set_tests_properties(dsp_factory_bench_smoke PROPERTIES LABELS bench TIMEOUT 120)
