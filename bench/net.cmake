# HttpDownload against curl, both fetching one large file from nginx on a
# loopback port (nginx and curl from scripts/setup.sh).
add_executable(net_download_bench ${CMAKE_CURRENT_LIST_DIR}/net_download_bench.cpp)
target_include_directories(net_download_bench PRIVATE ${PROJECT_SOURCE_DIR}/src)
target_link_libraries(net_download_bench PRIVATE tessel_net)
find_package(CURL REQUIRED)
target_link_libraries(net_download_bench PRIVATE CURL::libcurl)
