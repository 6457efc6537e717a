# Cross-compiling for 64-bit Windows with mingw-w64 (Debian's x86_64-w64-mingw32 packages).
# The posix thread model, so that std::thread and std::mutex are there.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(DRAPE_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${DRAPE_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${DRAPE_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${DRAPE_MINGW_TRIPLE}-windres)

# Libraries and headers come from the target's tree only; programs from the build machine.
set(CMAKE_FIND_ROOT_PATH /usr/${DRAPE_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
