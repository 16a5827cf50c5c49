# The stand-in layer over SDL2 and OpenGL: the only code that sees either. The browser
# build (cmake/emscripten.cmake) takes the same layer over SDL2 and WebGL 2.
if(EMSCRIPTEN)
  find_package(SDL2 REQUIRED CONFIG)
  set(VANTREL_SDL2 SDL2::SDL2-static)
  set(VANTREL_GL_LOADER)
else()
  find_package(PkgConfig REQUIRED)
  pkg_check_modules(SDL2 REQUIRED IMPORTED_TARGET sdl2)
  pkg_check_modules(EPOXY REQUIRED IMPORTED_TARGET epoxy)
  set(VANTREL_SDL2 PkgConfig::SDL2)
  set(VANTREL_GL_LOADER PkgConfig::EPOXY)
endif()

file(GLOB VANTREL_PLATFORM_SOURCES CONFIGURE_DEPENDS
  platform/*.cpp platform/common/*.cpp platform/core/*.cpp platform/sdl/*.cpp platform/gl/*.cpp
  platform/memory/*.cpp platform/d3dx/*.cpp)
add_library(vantrel_platform STATIC ${VANTREL_PLATFORM_SOURCES})
target_include_directories(vantrel_platform PUBLIC ${PROJECT_SOURCE_DIR} ${PROJECT_SOURCE_DIR}/platform)
target_link_libraries(vantrel_platform PRIVATE ${VANTREL_SDL2} ${VANTREL_GL_LOADER} PNG::PNG JPEG::JPEG ZLIB::ZLIB)
# The OpenGL ES 3.0 device of the browser build, on the desktop: the same code and shaders
# on Mesa, so the suite checks that path without a browser.
option(VANTREL_GLES "Draw with OpenGL ES 3.0 instead of desktop OpenGL 3.3" OFF)
if(VANTREL_GLES)
  target_compile_definitions(vantrel_platform PUBLIC VANTREL_GLES)
endif()
include(resources/resources.cmake)

# The resources are linked into the platform layer as data, so a program needs nothing more.
function(vantrel_add_resources target)
endfunction()

if(EMSCRIPTEN)
  include(cmake/web.cmake)
  return()
endif()

# main() answers --version and --help, picks the data folder and joins the arguments into
# the command line WinMain is given.
function(vantrel_add_entry target)
  target_sources(${target} PRIVATE ${PROJECT_SOURCE_DIR}/platform/entry/main.cpp
                                   ${PROJECT_SOURCE_DIR}/platform/entry/user_data.cpp)
  target_compile_definitions(${target} PRIVATE VANTREL_VERSION="${PROJECT_VERSION}")
endfunction()
