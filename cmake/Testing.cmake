# pathflux_add_test(NAME name SOURCES ... LIBRARIES ...)
# One GoogleTest executable with the shared helpers of tests/support (which also say where the
# data files are); its tests are listed at test time, so that a sanitizer build does not run
# test code during the build.
function(pathflux_add_test)
  cmake_parse_arguments(ARG "" "NAME" "SOURCES;LIBRARIES" ${ARGN})
  add_executable(${ARG_NAME} ${ARG_SOURCES})
  target_link_libraries(${ARG_NAME} PRIVATE ${ARG_LIBRARIES} test_support GTest::gtest
                                            GTest::gtest_main)
  target_compile_definitions(${ARG_NAME} PRIVATE
      PATHFLUX_BIN_DIR="${CMAKE_BINARY_DIR}/bin"
      PATHFLUX_LIB_DIR="${CMAKE_BINARY_DIR}/lib")
  gtest_discover_tests(${ARG_NAME} DISCOVERY_MODE PRE_TEST
                       WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
endfunction()
