# Cross build of the shipped 32-bit program. This kernel cannot run 32-bit
# code, so this build has no emulator and runs no tests.
set(CMAKE_SYSTEM_PROCESSOR x86)
set(MINGW_PREFIX i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
