# Cross build for Windows with Debian's mingw-w64 compilers; the test
# programs run under the emulator the presets name (wine).
# PRCFIX_MINGW_TRIPLET picks the architecture.
set(CMAKE_SYSTEM_NAME Windows)
if(NOT PRCFIX_MINGW_TRIPLET)
  set(PRCFIX_MINGW_TRIPLET i686-w64-mingw32)
endif()
if(PRCFIX_MINGW_TRIPLET MATCHES "^x86_64")
  set(CMAKE_SYSTEM_PROCESSOR AMD64)
else()
  set(CMAKE_SYSTEM_PROCESSOR x86)
endif()
# Debian ships a win32-threads and a posix-threads variant of each compiler;
# GoogleTest needs std::mutex, which only the posix one has.
find_program(CMAKE_CXX_COMPILER NAMES ${PRCFIX_MINGW_TRIPLET}-g++-posix ${PRCFIX_MINGW_TRIPLET}-g++ REQUIRED)
# GoogleTest's own project enables C as well.
find_program(CMAKE_C_COMPILER NAMES ${PRCFIX_MINGW_TRIPLET}-gcc-posix ${PRCFIX_MINGW_TRIPLET}-gcc REQUIRED)
find_program(CMAKE_RC_COMPILER NAMES ${PRCFIX_MINGW_TRIPLET}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${PRCFIX_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
