# Cross toolchain for the 32-bit Windows libraries. Nothing on this machine runs 32-bit Windows
# programs, so the build is checked statically (tests/windows/check_x86_dlm.sh).
set(MINGW_TRIPLET i686-w64-mingw32)
set(MINGW_PROCESSOR X86)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
# Float arithmetic in SSE registers, as the real host's 32-bit build does it: the x87 unit's
# extended precision would change squared-distance comparisons, so pairing could pick another
# partner on a near tie. The Windows stage checks the built library for it (check_x86_float.sh).
set(CMAKE_C_FLAGS_INIT "-msse2 -mfpmath=sse")
set(CMAKE_CXX_FLAGS_INIT "-msse2 -mfpmath=sse")
