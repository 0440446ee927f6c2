# Cross toolchain for the 32-bit Windows libraries. Nothing on this machine runs 32-bit Windows
# programs, so the build is checked statically (tests/windows/check_x86_dlm.sh).
set(MINGW_TRIPLET i686-w64-mingw32)
set(MINGW_PROCESSOR X86)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
