# Cross build for 64-bit Windows (PE32+): the build the tests run under Wine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(ORLO_TRIPLE x86_64-w64-mingw32)
# The -posix variants carry std::mutex, which GoogleTest needs; the product
# itself uses no threads, so nothing of winpthread ends up in SETUP.EXE.
set(CMAKE_C_COMPILER ${ORLO_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${ORLO_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${ORLO_TRIPLE}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${ORLO_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
