add_executable(archive_bench ${CMAKE_CURRENT_SOURCE_DIR}/archive_bench.cpp
                             ${CMAKE_CURRENT_SOURCE_DIR}/archive_baseline.cpp)
target_include_directories(archive_bench PRIVATE ${PROJECT_SOURCE_DIR}/src)
target_link_libraries(archive_bench PRIVATE tessel_archive)
