# Cross build for Windows with Debian's mingw-w64 compilers; the test
# programs run under wine. PRCFIX_MINGW_TRIPLET picks the architecture.
set(CMAKE_SYSTEM_NAME Windows)
if(NOT PRCFIX_MINGW_TRIPLET)
  set(PRCFIX_MINGW_TRIPLET i686-w64-mingw32)
endif()
if(PRCFIX_MINGW_TRIPLET MATCHES "^x86_64")
  set(CMAKE_SYSTEM_PROCESSOR AMD64)
else()
  set(CMAKE_SYSTEM_PROCESSOR x86)
endif()
# Debian ships the threads (posix) and the win32 variants; the win32 one
# needs no winpthread at run time.
find_program(CMAKE_CXX_COMPILER NAMES ${PRCFIX_MINGW_TRIPLET}-g++-win32 ${PRCFIX_MINGW_TRIPLET}-g++ REQUIRED)
find_program(CMAKE_RC_COMPILER NAMES ${PRCFIX_MINGW_TRIPLET}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${PRCFIX_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
find_program(PRCFIX_WINE NAMES wine REQUIRED)
set(CMAKE_CROSSCOMPILING_EMULATOR ${PRCFIX_WINE})
