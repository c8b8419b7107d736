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
# A burst of connections at once to tessel-server alone: no connection may
# wait for a SYN retransmit.
if(TARGET tessel-server)
  add_executable(server_burst_bench ${CMAKE_CURRENT_LIST_DIR}/server_burst_bench.cpp)
  target_compile_definitions(server_burst_bench PRIVATE TESSEL_SERVER_BINARY="$<TARGET_FILE:tessel-server>")
  add_dependencies(server_burst_bench tessel-server)
endif()
