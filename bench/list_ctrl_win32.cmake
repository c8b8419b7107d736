# The installed-addons list under wine (a Windows program, timed loops).
add_executable(list_ctrl_bench ${CMAKE_CURRENT_LIST_DIR}/list_ctrl_bench_win32.cpp)
target_link_libraries(list_ctrl_bench PRIVATE tessel_ui)
