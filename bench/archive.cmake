# Whole-process extraction: this project's extractor, a minimal zlib
# extractor and libzip's (Debian's libzip-dev) as programs of their own,
# beside unzip and bsdtar, all started and timed alike by archive_bench.
add_executable(archive_extract_tessel ${CMAKE_CURRENT_LIST_DIR}/archive_extract_tessel.cpp)
target_include_directories(archive_extract_tessel PRIVATE ${PROJECT_SOURCE_DIR}/src)
target_link_libraries(archive_extract_tessel PRIVATE tessel_archive)
find_package(ZLIB REQUIRED)
add_executable(archive_extract_zlib ${CMAKE_CURRENT_LIST_DIR}/archive_baseline.cpp)
target_link_libraries(archive_extract_zlib PRIVATE ZLIB::ZLIB)
find_package(PkgConfig REQUIRED)
pkg_check_modules(LIBZIP REQUIRED IMPORTED_TARGET libzip)
add_executable(archive_extract_libzip ${CMAKE_CURRENT_LIST_DIR}/archive_extract_libzip.cpp)
target_link_libraries(archive_extract_libzip PRIVATE PkgConfig::LIBZIP)
add_executable(archive_bench ${CMAKE_CURRENT_LIST_DIR}/archive_bench.cpp)
target_include_directories(archive_bench PRIVATE ${PROJECT_SOURCE_DIR}/src)
target_link_libraries(archive_bench PRIVATE tessel_platform)
target_compile_definitions(archive_bench PRIVATE BENCH_BIN_DIR="$<TARGET_FILE_DIR:archive_extract_tessel>")
add_dependencies(archive_bench archive_extract_tessel archive_extract_zlib archive_extract_libzip)
