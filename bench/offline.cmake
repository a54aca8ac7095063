# The offline design: save and load of a 200-device design with full tables and processor configurations.
add_executable(meridane-offline-bench offline_bench_main.cpp)
target_link_libraries(meridane-offline-bench PRIVATE meridane_offline_model Qt5::Core)
list(APPEND MERIDANE_BENCH_COMMANDS COMMAND meridane-offline-bench)
list(APPEND MERIDANE_BENCH_TARGETS meridane-offline-bench)
add_test(NAME offline_bench_smoke COMMAND meridane-offline-bench --rounds 1)
set_tests_properties(offline_bench_smoke PROPERTIES LABELS bench TIMEOUT 120)
