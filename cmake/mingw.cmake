# Cross build for Windows with Debian's mingw-w64 compilers; the test
# programs run under wine. PRCFIX_MINGW_TRIPLET picks the architecture.
set(CMAKE_SYSTEM_NAME Windows)
if(NOT PRCFIX_MINGW_TRIPLET)
  set(PRCFIX_MINGW_TRIPLET i686-w64-mingw32)
endif()
if(PRCFIX_MINGW_TRIPLET MATCHES "^x86_64")
  set(CMAKE_SYSTEM_PROCESSOR AMD64)
  set(wine_loader wine64)
else()
  set(CMAKE_SYSTEM_PROCESSOR x86)
  set(wine_loader wine)
endif()
# Each build's programs run through the wine loader of their own
# architecture. Debian's /usr/bin/wine starts the 32-bit loader whenever
# wine32 is installed, even for a 64-bit program, and so fails for both on a
# host that cannot execute 32-bit programs; the 64-bit loader called
# directly runs the 64-bit build there too.
if(NOT CMAKE_CROSSCOMPILING_EMULATOR)
  find_program(PRCFIX_WINE NAMES ${wine_loader} PATHS /usr/lib/wine NO_DEFAULT_PATH)
  find_program(PRCFIX_WINE NAMES ${wine_loader} wine)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${PRCFIX_WINE})
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
