# Fails unless EXE imports only DLLs that Windows itself ships and maps from
# its KnownDLLs list. Those imports are resolved before any of the
# program's code runs, so before it can restrict the search for libraries
# to the system folder; a KnownDLL always comes from there, never from a
# copy planted beside the program.
cmake_minimum_required(VERSION 3.25)
execute_process(COMMAND ${OBJDUMP} -p ${EXE} OUTPUT_VARIABLE dump RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "${OBJDUMP} -p ${EXE} failed")
endif()
string(REGEX MATCHALL "DLL Name: [^\r\n]+" lines "${dump}")
set(allowed kernel32.dll msvcrt.dll comdlg32.dll)
foreach(line IN LISTS lines)
  string(REPLACE "DLL Name: " "" dll "${line}")
  string(TOLOWER "${dll}" dll)
  message(STATUS "imports ${dll}")
  if(NOT dll IN_LIST allowed)
    message(FATAL_ERROR "${EXE} needs ${dll}, which Windows does not ship")
  endif()
endforeach()
if(NOT lines)
  message(FATAL_ERROR "no imports found in ${EXE}")
endif()
