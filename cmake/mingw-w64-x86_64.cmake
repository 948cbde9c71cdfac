# 64-bit Windows, for 64-bit Word (2010 on), from Windows Vista on.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(TOOLCHAIN_PREFIX x86_64-w64-mingw32)
set(TOOLCHAIN_THREADS posix)
set(TARNWELL_WINDOWS_FLOOR vista CACHE STRING "Oldest Windows the add-in DLL loads on")
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
