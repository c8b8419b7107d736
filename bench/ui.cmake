# Cutting an animated GIF into frames against one copy of its bytes (Google
# Benchmark, Debian's libbenchmark-dev).
add_executable(ui_bench ${CMAKE_CURRENT_LIST_DIR}/ui_bench.cpp)
target_include_directories(ui_bench PRIVATE ${PROJECT_SOURCE_DIR}/tests)
target_link_libraries(ui_bench PRIVATE tessel_ui_core benchmark::benchmark)
