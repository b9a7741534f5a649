# Compiler settings of the fuzz build: every library is instrumented for libFuzzer's coverage
# feedback and built with AddressSanitizer and UndefinedBehaviorSanitizer; only the fuzz targets
# link the libFuzzer driver.
if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
  message(FATAL_ERROR "PATHFLUX_FUZZ needs clang (libFuzzer); configure with "
                      "-DCMAKE_CXX_COMPILER=clang++-14")
endif()
add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined
                    -fno-omit-frame-pointer -g)
add_link_options(-fsanitize=address,undefined)
