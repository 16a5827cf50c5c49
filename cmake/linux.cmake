# The stand-in layer over SDL2 and OpenGL: the only code that sees either.
find_package(PkgConfig REQUIRED)
pkg_check_modules(SDL2 REQUIRED IMPORTED_TARGET sdl2)
pkg_check_modules(EPOXY REQUIRED IMPORTED_TARGET epoxy)

file(GLOB VANTREL_PLATFORM_SOURCES CONFIGURE_DEPENDS
  platform/*.cpp platform/common/*.cpp platform/core/*.cpp platform/sdl/*.cpp platform/gl/*.cpp
  platform/memory/*.cpp platform/d3dx/*.cpp)
add_library(vantrel_platform STATIC ${VANTREL_PLATFORM_SOURCES})
target_include_directories(vantrel_platform PUBLIC ${PROJECT_SOURCE_DIR} ${PROJECT_SOURCE_DIR}/platform)
target_link_libraries(vantrel_platform PRIVATE PkgConfig::SDL2 PkgConfig::EPOXY PNG::PNG JPEG::JPEG ZLIB::ZLIB)
include(resources/resources.cmake)

# The resources are linked into the platform layer as data, so a program needs nothing more.
function(vantrel_add_resources target)
endfunction()

# main() answers --version and --help, picks the data folder and joins the arguments into
# the command line WinMain is given.
function(vantrel_add_entry target)
  target_sources(${target} PRIVATE ${PROJECT_SOURCE_DIR}/platform/entry/main.cpp
                                   ${PROJECT_SOURCE_DIR}/platform/entry/user_data.cpp)
  target_compile_definitions(${target} PRIVATE VANTREL_VERSION="${PROJECT_VERSION}")
endfunction()
