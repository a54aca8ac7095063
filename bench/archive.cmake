# Archives: the export of 50 simulated devices over real sockets (the simulator on loopback addresses).
add_executable(meridane-archive-bench archive_bench_main.cpp)
target_link_libraries(meridane-archive-bench PRIVATE meridane_ctl_core meridane_offline_archive Qt5::Core Qt5::Network)
add_dependencies(meridane-archive-bench meridane-sim)
list(APPEND MERIDANE_BENCH_COMMANDS COMMAND meridane-archive-bench --sim $<TARGET_FILE:meridane-sim>)
list(APPEND MERIDANE_BENCH_TARGETS meridane-archive-bench)
add_test(NAME archive_bench_smoke COMMAND meridane-archive-bench --sim $<TARGET_FILE:meridane-sim> --devices 6 --rounds 1)
set_tests_properties(archive_bench_smoke PROPERTIES LABELS bench TIMEOUT 120)
