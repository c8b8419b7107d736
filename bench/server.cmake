# tessel-server behind nginx against nginx alone, measured with wrk on
# loopback ports (nginx, Redis and wrk from scripts/setup.sh).
if(TARGET tessel-server)
  add_executable(server_bench ${CMAKE_CURRENT_LIST_DIR}/server_bench.cpp)
  target_include_directories(server_bench PRIVATE ${PROJECT_SOURCE_DIR}/src)
  target_link_libraries(server_bench PRIVATE tessel_net)
  target_compile_definitions(server_bench PRIVATE TESSEL_SERVER_BINARY="$<TARGET_FILE:tessel-server>"
                                                  TESSEL_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
  add_dependencies(server_bench tessel-server)
endif()
