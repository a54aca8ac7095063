# The routing matrix at full scale (1024 devices of 64 channels each side); prints its figures and targets.
add_executable(meridane-matrix-bench matrix_bench_main.cpp)
target_link_libraries(meridane-matrix-bench PRIVATE meridane_routeui Qt5::Widgets)
list(APPEND MERIDANE_BENCH_COMMANDS COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen
     $<TARGET_FILE:meridane-matrix-bench>)
list(APPEND MERIDANE_BENCH_TARGETS meridane-matrix-bench)
