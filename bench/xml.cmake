# The catalogue job against pugixml and tinyxml2 (Debian's libpugixml-dev and
# libtinyxml2-dev).
find_package(pugixml REQUIRED)
find_package(tinyxml2 REQUIRED)
add_executable(xml_bench ${CMAKE_CURRENT_SOURCE_DIR}/xml_bench.cpp)
target_include_directories(xml_bench PRIVATE ${PROJECT_SOURCE_DIR}/src)
target_link_libraries(xml_bench PRIVATE tessel_addons pugixml::pugixml tinyxml2::tinyxml2)
