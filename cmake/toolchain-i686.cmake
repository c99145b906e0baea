# Cross build for 32-bit Windows (PE32): the SETUP.EXE we ship.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(ORLO_TRIPLE i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-mingw.cmake)
