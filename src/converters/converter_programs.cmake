# pathflux_add_converter(LIBRARY name PROGRAM name CORE target ENTRY source)
# The two ways into a converter, both installed: the shared library that other programs load,
# whose only exported symbol is its C entry (defined in ENTRY), and the command-line program
# (main.cpp of the calling folder). Both are thin layers over the static CORE.
function(pathflux_add_converter)
  cmake_parse_arguments(ARG "" "LIBRARY;PROGRAM;CORE;ENTRY" "" ${ARGN})
  add_library(${ARG_LIBRARY} SHARED ${ARG_ENTRY})
  target_link_libraries(${ARG_LIBRARY} PRIVATE ${ARG_CORE})
  set_target_properties(${ARG_LIBRARY} PROPERTIES CXX_VISIBILITY_PRESET hidden
                                                  VISIBILITY_INLINES_HIDDEN ON)
  target_link_options(${ARG_LIBRARY} PRIVATE -Wl,--exclude-libs,ALL)

  add_executable(${ARG_PROGRAM}_cli main.cpp)
  target_link_libraries(${ARG_PROGRAM}_cli PRIVATE ${ARG_CORE})
  set_target_properties(${ARG_PROGRAM}_cli PROPERTIES OUTPUT_NAME ${ARG_PROGRAM})

  install(TARGETS ${ARG_PROGRAM}_cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(TARGETS ${ARG_LIBRARY} LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR})
endfunction()
