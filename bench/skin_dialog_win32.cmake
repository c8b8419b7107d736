# Repainting the main window's skinned background under wine (a Windows
# program, timed loops).
add_executable(skin_dialog_bench ${CMAKE_CURRENT_LIST_DIR}/skin_dialog_bench_win32.cpp
               $<TARGET_OBJECTS:tessel_program_resources>)
target_include_directories(skin_dialog_bench PRIVATE ${PROJECT_SOURCE_DIR}/tests
                           ${PROJECT_SOURCE_DIR}/resources)
target_link_libraries(skin_dialog_bench PRIVATE tessel_ui)
