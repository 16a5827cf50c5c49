# Cross-compiles for 64-bit Windows with Debian's mingw-w64 (the posix thread model,
# whose libstdc++ has std::thread and std::mutex).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(VANTREL_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${VANTREL_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VANTREL_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${VANTREL_MINGW_TRIPLE}-windres)
set(CMAKE_DLLTOOL ${VANTREL_MINGW_TRIPLE}-dlltool)

# Libraries built for Windows (tools/windows/build-deps.sh) live in a prefix of their
# own; it is searched before the toolchain's sysroot.
if(NOT VANTREL_WIN_DEPS AND DEFINED ENV{VANTREL_WIN_DEPS})
  set(VANTREL_WIN_DEPS $ENV{VANTREL_WIN_DEPS})
endif()
set(CMAKE_FIND_ROOT_PATH ${VANTREL_WIN_DEPS} /usr/${VANTREL_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# Try-compiles must see the prefix too (CMake forwards only listed variables).
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES VANTREL_WIN_DEPS)
