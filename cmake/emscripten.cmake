# Builds the browser page with Debian's Emscripten: its own toolchain file, with the
# libraries tools/web/build-deps.sh built (SDL2, libpng, zlib, libjpeg-turbo, giflib) found in
# their prefix (VANTREL_WEB_DEPS, default build-web/deps) before Emscripten's sysroot.
include(/usr/share/emscripten/cmake/Modules/Platform/Emscripten.cmake)

if(NOT VANTREL_WEB_DEPS AND DEFINED ENV{VANTREL_WEB_DEPS})
  set(VANTREL_WEB_DEPS $ENV{VANTREL_WEB_DEPS})
endif()
if(NOT VANTREL_WEB_DEPS)
  set(VANTREL_WEB_DEPS ${CMAKE_CURRENT_LIST_DIR}/../build-web/deps)
endif()
get_filename_component(VANTREL_WEB_DEPS ${VANTREL_WEB_DEPS} ABSOLUTE)
list(PREPEND CMAKE_FIND_ROOT_PATH ${VANTREL_WEB_DEPS})
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES VANTREL_WEB_DEPS)
# Emscripten's link step runs its JavaScript tools under Node.js, which needs the acorn
# parser Debian installs under /usr/share/nodejs; a Node.js not from Debian's own package
# does not look there by itself.
set(CMAKE_C_LINKER_LAUNCHER env NODE_PATH=/usr/share/nodejs)
set(CMAKE_CXX_LINKER_LAUNCHER env NODE_PATH=/usr/share/nodejs)
