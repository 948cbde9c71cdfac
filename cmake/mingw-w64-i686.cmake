# 32-bit Windows (Word 97 to 2007 are 32-bit), from Windows XP SP3 on: the
# win32 thread model's runtime, unlike the posix one's, imports nothing newer
# than XP, and the add-in starts no C++ threads.
set(CMAKE_SYSTEM_PROCESSOR x86)
set(TOOLCHAIN_PREFIX i686-w64-mingw32)
set(TOOLCHAIN_THREADS win32)
set(TARNWELL_WINDOWS_FLOOR xp-sp3 CACHE STRING "Oldest Windows the add-in DLL loads on")
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
