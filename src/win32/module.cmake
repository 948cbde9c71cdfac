# The Windows home: services and the bridge as a library, the add-in DLL
# (VellDLLCOM.dll) on top, and a self-contained test program run under Wine.
set(win32_dir ${CMAKE_CURRENT_SOURCE_DIR}/win32)
file(GLOB win32_all CONFIGURE_DEPENDS ${win32_dir}/*.cpp)
file(GLOB win32_tests CONFIGURE_DEPENDS ${win32_dir}/*_test.cpp ${win32_dir}/test_*.cpp)
set(win32_lib_sources ${win32_all})
list(REMOVE_ITEM win32_lib_sources ${win32_dir}/com_server.cpp ${win32_tests})

# The dialogs' windows are resources, linked into every binary that shows them.
enable_language(RC)
set(win32_resources ${win32_dir}/VellDLLCOM.rc)

set(win32_system_libs ole32 oleaut32 uuid psapi shell32 comdlg32 comctl32 user32 gdi32 advapi32)

add_library(tw_win32 STATIC ${win32_lib_sources})
target_include_directories(tw_win32 PUBLIC ${PROJECT_SOURCE_DIR}/src)
target_compile_options(tw_win32 PRIVATE ${TARNWELL_WARNINGS})
# The headers offer only what the oldest Windows the DLL serves has; psapi's
# first version is the one every Windows has in psapi.dll.
if(TARNWELL_WINDOWS_FLOOR STREQUAL "xp-sp3")
  set(win32_winnt 0x0501)
elseif(TARNWELL_WINDOWS_FLOOR STREQUAL "vista")
  set(win32_winnt 0x0600)
else()
  message(FATAL_ERROR "TARNWELL_WINDOWS_FLOOR is \"${TARNWELL_WINDOWS_FLOOR}\"; expected xp-sp3 or vista")
endif()
target_compile_definitions(tw_win32 PUBLIC UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=${win32_winnt}
                                           PSAPI_VERSION=1)
target_link_libraries(tw_win32 PUBLIC tw_addin tw_dialog tw_copyrun tw_support tw_platform tw_host ${win32_system_libs})

add_library(VellDLLCOM SHARED ${win32_dir}/com_server.cpp ${win32_dir}/VellDLLCOM.def ${win32_resources})
set_target_properties(VellDLLCOM PROPERTIES PREFIX "" OUTPUT_NAME VellDLLCOM)
target_compile_options(VellDLLCOM PRIVATE ${TARNWELL_WARNINGS})
target_link_libraries(VellDLLCOM PRIVATE tw_win32)
# Word loads the DLL into its own process: it may import nothing but Windows,
# and only functions the oldest Windows it serves has.
add_custom_command(TARGET VellDLLCOM POST_BUILD
  COMMAND ${CMAKE_COMMAND} -DOBJDUMP=${CMAKE_OBJDUMP} -DFILE=$<TARGET_FILE:VellDLLCOM>
          -DALLOWLIST=${PROJECT_SOURCE_DIR}/cmake/windows-imports.txt -DFLOOR=${TARNWELL_WINDOWS_FLOOR}
          -P ${PROJECT_SOURCE_DIR}/cmake/check-system-imports.cmake
  VERBATIM)

if(win32_tests)
  add_executable(tw_win32_tests ${win32_tests} ${win32_resources})
  target_compile_options(tw_win32_tests PRIVATE ${TARNWELL_WARNINGS})
  target_link_libraries(tw_win32_tests PRIVATE tw_win32)
  add_dependencies(tw_win32_tests VellDLLCOM)
  add_custom_command(TARGET tw_win32_tests POST_BUILD
    COMMAND ${CMAKE_COMMAND} -DOBJDUMP=${CMAKE_OBJDUMP} -DFILE=$<TARGET_FILE:tw_win32_tests>
            -P ${PROJECT_SOURCE_DIR}/cmake/check-system-imports.cmake
    VERBATIM)
endif()

if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  # 32-bit exports are stdcall; the .def names them undecorated, as COM wants.
  target_link_options(VellDLLCOM PRIVATE -Wl,--enable-stdcall-fixup)
endif()

# The help file beside the add-in, compiled from the manual in help/ and
# checked: every topic inside, context ids 3 and 87 leading to theirs.
find_program(TARNWELL_CHMCMD chmcmd REQUIRED)
file(GLOB help_sources CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/help/*.html ${PROJECT_SOURCE_DIR}/help/*.css
     ${PROJECT_SOURCE_DIR}/help/*.hhp ${PROJECT_SOURCE_DIR}/help/*.hhc)
set(help_chm ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/TarnwellHelp.chm)
add_custom_command(OUTPUT ${help_chm}
  COMMAND bash ${PROJECT_SOURCE_DIR}/cmake/build-chm.sh ${PROJECT_SOURCE_DIR}/help ${help_chm}
  DEPENDS ${help_sources} ${PROJECT_SOURCE_DIR}/cmake/build-chm.sh
  COMMENT "Compiling TarnwellHelp.chm"
  VERBATIM)
add_custom_target(TarnwellHelp ALL DEPENDS ${help_chm})
