# tessel_module(NAME [DEPS lib...]): a static library from every .cpp in the
# current source directory. Files ending in _win32.cpp or _posix.cpp build only
# on their platform.
function(tessel_module name)
  cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  list(FILTER sources EXCLUDE REGEX "_(win32|posix)\\.cpp$")
  file(GLOB platform_sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*_${TESSEL_PLATFORM}.cpp)
  add_library(tessel_${name} STATIC ${sources} ${platform_sources})
  target_include_directories(tessel_${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  target_link_libraries(tessel_${name} PUBLIC ${ARG_DEPS})
endfunction()

# tessel_tests(NAME [DEPS lib...]): one GoogleTest program from every
# *_test.cpp in the current source directory, registered with CTest. The
# Windows build runs it through the cross-compiling emulator (wine).
function(tessel_tests name)
  cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*_test.cpp)
  file(GLOB platform_sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*_test_${TESSEL_PLATFORM}.cpp)
  add_executable(${name}_tests ${sources} ${platform_sources})
  target_include_directories(${name}_tests PRIVATE ${PROJECT_SOURCE_DIR}/src ${PROJECT_SOURCE_DIR}/tests)
  target_link_libraries(${name}_tests PRIVATE ${ARG_DEPS} tessel_test_support GTest::gtest_main)
  add_test(NAME ${name} COMMAND ${name}_tests)
  set_tests_properties(${name} PROPERTIES ENVIRONMENT "TESSEL_SOURCE_DIR=${PROJECT_SOURCE_DIR}")
endfunction()

# tessel_gui_test(TEST...): marks Windows tests that show windows or send
# input. They share one X display, so they run one at a time (input and
# screen pixels of one would reach the other), and they save their
# screenshots under the build's screens/ folder.
function(tessel_gui_test)
  foreach(test IN LISTS ARGN)
    set_property(TEST ${test} APPEND PROPERTY RESOURCE_LOCK display)
    set_property(TEST ${test} APPEND PROPERTY ENVIRONMENT "TESSEL_SCREENS_DIR=${CMAKE_BINARY_DIR}/screens")
  endforeach()
endfunction()
