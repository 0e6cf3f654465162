# Cross-compiles for 64-bit Windows with MinGW-w64's posix thread model, so that
# std::thread and std::mutex come from winpthreads and link statically.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(QINGQU_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${QINGQU_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${QINGQU_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${QINGQU_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${QINGQU_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
