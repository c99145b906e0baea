# Shared part of the two cross toolchains; ORLO_TRIPLE names the compiler.
set(CMAKE_SYSTEM_NAME Windows)
# The -posix variants carry std::mutex, which GoogleTest needs; the product
# itself uses no threads, so nothing of winpthread ends up in SETUP.EXE.
set(CMAKE_C_COMPILER ${ORLO_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${ORLO_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${ORLO_TRIPLE}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${ORLO_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
