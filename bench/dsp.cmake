# The processor's configuration model at a large size (64 inputs, 64 outputs, 8 blocks per channel): parse and
# write against the bare JSON document. Prints its figures and targets.
add_executable(meridane-dsp-bench dsp_bench_main.cpp)
target_link_libraries(meridane-dsp-bench PRIVATE meridane_dsp_model Qt5::Core)
list(APPEND MERIDANE_BENCH_COMMANDS COMMAND meridane-dsp-bench)
list(APPEND MERIDANE_BENCH_TARGETS meridane-dsp-bench)
add_test(NAME dsp_bench_smoke COMMAND meridane-dsp-bench --rounds 2)
set_tests_properties(dsp_bench_smoke PROPERTIES LABELS bench TIMEOUT 120)
