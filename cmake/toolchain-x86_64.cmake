# Cross build for 64-bit Windows (PE32+): the build the tests run under Wine.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(ORLO_TRIPLE x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-mingw.cmake)
