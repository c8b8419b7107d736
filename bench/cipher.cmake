# One exchange's cipher work against OpenSSL's Blowfish.
find_package(OpenSSL REQUIRED)
add_executable(cipher_bench ${CMAKE_CURRENT_LIST_DIR}/cipher_bench.cpp)
target_link_libraries(cipher_bench PRIVATE tessel_cipher OpenSSL::Crypto)
target_compile_options(cipher_bench PRIVATE -Wno-deprecated-declarations)
