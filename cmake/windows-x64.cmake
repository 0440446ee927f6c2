# Cross toolchain for the 64-bit Windows libraries and programs. Wine runs what it builds, so test
# programs get it as their emulator.
set(MINGW_TRIPLET x86_64-w64-mingw32)
set(MINGW_PROCESSOR AMD64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)

find_program(VELOMORPH_WINE64 NAMES wine64 PATHS /usr/lib/wine NO_DEFAULT_PATH)
find_program(VELOMORPH_WINE64 NAMES wine64)
if(VELOMORPH_WINE64)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${VELOMORPH_WINE64})
endif()
