# ReloadAll and the install pipeline against their bare costs.
if(TARGET tessel_addons)
  add_executable(addons_bench ${CMAKE_CURRENT_LIST_DIR}/addons_bench.cpp)
  target_link_libraries(addons_bench PRIVATE tessel_addons)
  if(TARGET tessel-server)
    target_compile_definitions(addons_bench PRIVATE TESSEL_SERVER_PATH="$<TARGET_FILE:tessel-server>")
    add_dependencies(addons_bench tessel-server)
  endif()
endif()
