cmake_policy(SET CMP0057 NEW)
# Fails when a Windows binary imports a DLL that is not part of Windows (the
# compiler's runtime DLLs above all), so the add-in runs where only Windows is.
# Usage: cmake -DOBJDUMP=<objdump> -DFILE=<binary> -P check-system-imports.cmake
execute_process(COMMAND ${OBJDUMP} -p ${FILE} OUTPUT_VARIABLE dump RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "${OBJDUMP} could not read ${FILE}")
endif()
string(REGEX MATCHALL "DLL Name: [^\r\n]+" lines "${dump}")
set(allowed kernel32.dll user32.dll gdi32.dll advapi32.dll ole32.dll oleaut32.dll shell32.dll comdlg32.dll
    comctl32.dll psapi.dll msvcrt.dll ucrtbase.dll shlwapi.dll)
set(found "")
foreach(line IN LISTS lines)
  string(REPLACE "DLL Name: " "" dll "${line}")
  string(STRIP "${dll}" dll)
  string(TOLOWER "${dll}" dll)
  list(APPEND found ${dll})
  if(NOT dll IN_LIST allowed AND NOT dll MATCHES "^api-ms-win-")
    message(FATAL_ERROR "${FILE} imports ${dll}, which is not a Windows system DLL")
  endif()
endforeach()
if(NOT found)
  message(FATAL_ERROR "${FILE}: no imports found; is ${OBJDUMP} the right objdump?")
endif()
