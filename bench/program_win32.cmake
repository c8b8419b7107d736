# VaelTessel.exe itself under wine (an X server is needed): the time from the
# process's start to its main window shown, and the idle program's CPU and
# working set with the list shown and the window hidden in the tray.
add_executable(program_bench ${CMAKE_CURRENT_LIST_DIR}/program_bench_win32.cpp)
target_link_libraries(program_bench PRIVATE tessel_program_driver psapi)
add_dependencies(program_bench VaelTessel)
target_compile_definitions(program_bench PRIVATE
                           TESSEL_PROGRAM_EXE="$<TARGET_FILE_NAME:VaelTessel>")
