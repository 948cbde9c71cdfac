# The test host that plays Word with the embedded engine and loads the
# add-in DLL as Word does. The DLL itself never links the engine.
set(win32_src ${PROJECT_SOURCE_DIR}/src/win32)
file(GLOB word_host_sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/*.cpp)
add_executable(tw_word_host_tests ${word_host_sources} ${win32_src}/test_runner.cpp ${win32_src}/test_view_driver.cpp)
target_compile_options(tw_word_host_tests PRIVATE ${TARNWELL_WARNINGS})
target_link_libraries(tw_word_host_tests PRIVATE tw_win32 tw_engine)
add_dependencies(tw_word_host_tests VellDLLCOM)
add_custom_command(TARGET tw_word_host_tests POST_BUILD
  COMMAND ${CMAKE_COMMAND} -DOBJDUMP=${CMAKE_OBJDUMP} -DFILE=$<TARGET_FILE:tw_word_host_tests>
          -P ${PROJECT_SOURCE_DIR}/cmake/check-system-imports.cmake
  VERBATIM)
